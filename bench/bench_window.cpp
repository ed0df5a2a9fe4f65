// Opening, paging, editing and batch expansion in a watch-list window.

#include "harness.h"

#include "accore.h"
#include "batchmonotordlg.h"
#include "devicecatalog.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"

#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace bench {

// Each figure of a repetition is itself the median of several opens: one
// open of a window is about a millisecond, near the noise of the machine.
void benchOpening()
{
    constexpr int runs = 5;
    std::printf("\nOpening a watch list (window %dx%d; medians of %d repetitions, the order of "
                "the sides alternated)\n",
                windowWidth,
                windowHeight,
                runs);
    std::printf("%12s %12s %10s %12s %10s %14s\n",
                "entries",
                "lazy ms",
                "items",
                "eager ms",
                "items",
                "eager/lazy");
    struct Size
    {
        int entries;
        const char *label;
    };
    const std::vector<Size> sizes{{1000, "1,000"}, {100000, "100,000"}, {1000000, "1,000,000"}};
    const auto opens = [](const QString &name, int times, int *items) {
        std::unique_ptr<WatchListWidget> widget;
        const Result lazy = measure(
            times, {}, [&] { return openWindow(widget, name); }, [&] { widget.reset(); });
        if (items)
            *items = lazy.items;
        return lazy.ms;
    };
    std::vector<std::vector<double>> overFloor;
    double eagerRatioAtMillion = 0;
    for (const Size &each : sizes) {
        const int size = each.entries;
        const QString name = QStringLiteral("Open%1").arg(size);
        makeList(name, size);
        const int times = size >= 1000000 ? 5 : 9;
        int items = 0; // the window goes first in the first repetition: its rows are known
        std::unique_ptr<QTreeWidget> bare;
        const Paired paired = pairedRuns(
            runs,
            [&] { return opens(name, times, &items); },
            [&] {
                return measure(
                           9, {}, [&] { return openFloor(bare, items); }, [&] { bare.reset(); })
                    .ms;
            });
        std::unique_ptr<QTreeWidget> eagerTree;
        const Result eager = measure(
            size >= 1000000 ? 1 : 3,
            {},
            [&] { return openEager(eagerTree, name); },
            [&] { eagerTree.reset(); });

        const double lazy = median(paired.work);
        if (size == 1000000)
            eagerRatioAtMillion = eager.ms / lazy;
        overFloor.push_back(paired.ratios);
        std::printf("%12d %12.2f %10d %12.1f %10d %13.0fx\n",
                    size,
                    lazy,
                    items,
                    eager.ms,
                    eager.items,
                    eager.ms / lazy);
        benchList(name)->setVariables({});
    }
    for (size_t i = 0; i < sizes.size(); ++i) {
        const std::string what = std::string("open / floor at ") + sizes[i].label + " entries";
        reportRatio(what.c_str(), overFloor[i], 3.0);
    }

    // The two sizes' opens take turns, so that the growth is not the machine's drift.
    const QString small = QStringLiteral("Grow1000");
    const QString large = QStringLiteral("Grow1000000");
    makeList(small, 1000);
    makeList(large, 1000000);
    const Paired growth = pairedRuns(
        runs, [&] { return opens(large, 5, nullptr); }, [&] { return opens(small, 5, nullptr); });
    reportRatio("open 1,000,000 / open 1,000", growth.ratios, 1.5);
    benchList(small)->setVariables({});
    benchList(large)->setVariables({});
    std::printf("eager baseline / lazy at 1,000,000: %.0fx\n", eagerRatioAtMillion);
}

void benchPaging()
{
    constexpr int size = 100000;
    constexpr int page = 20;
    constexpr int spanPages = 500; // timed as one span: far above the timer's resolution
    constexpr int runs = 5;
    const QString name = QStringLiteral("Paging");
    makeList(name, size);
    std::vector<double> ratios;
    std::vector<double> firsts;
    std::vector<double> lasts;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        std::unique_ptr<WatchListWidget> widget;
        openWindow(widget, name);
        const auto loadSpan = [&] {
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < spanPages; ++i)
                widget->loadRows(page);
            return double(timer.nsecsElapsed()) / 1e6 / spanPages;
        };
        const double first = loadSpan();
        while (widget->lastLoadedRow() + 1 < size - spanPages * page)
            widget->loadRows(page);
        const double last = loadSpan();
        pages = (widget->lastLoadedRow() + 1) / page;
        firsts.push_back(first);
        lasts.push_back(last);
        ratios.push_back(last / first);
    }
    std::printf("\nPaging through %d entries, %d rows a page (%d pages)\n", size, page, pages);
    std::printf("a page among the first %d: %.4f ms, among the last %d: %.4f ms (medians)\n",
                spanPages,
                median(firsts),
                spanPages,
                median(lasts));
    reportRatio("last pages / first pages", ratios, 1.5);
    benchList(name)->setVariables({});
}

void benchEditing()
{
    constexpr int size = 100000;
    const QString name = QStringLiteral("Editing");
    makeList(name, size);
    std::unique_ptr<WatchListWidget> widget;
    openWindow(widget, name);
    VarTreeWidget *tree = widget->tree();

    std::printf(
        "\nEditing a list of %d entries (%d rows loaded)\n", size, widget->lastLoadedRow() + 1);
    const Result insert = measure(
        5,
        [&] {
            tree->clearSelection();
            tree->topLevelItem(0)->setSelected(true);
        },
        [&] {
            widget->insertRowAtSelection();
            return benchList(name)->getCount();
        });
    std::printf("insert at row 0: %.2f ms, %.3f us for each entry moved down\n",
                insert.ms,
                insert.ms * 1000 / insert.items);

    // Load a spread of rows, then delete 1,000 of them, scattered over the loaded range.
    widget->showVariable(5000);
    const int loaded = widget->lastLoadedRow() + 1;
    const Result remove = measure(
        1,
        [&] {
            tree->clearSelection();
            for (int i = 0; i < 1000; ++i)
                tree->topLevelItem((i * 4999) % loaded)->setSelected(true);
        },
        [&] {
            widget->deleteSelectedRows();
            return benchList(name)->getCount();
        });
    std::printf(
        "delete 1,000 scattered rows: %.2f ms, %.4f ms a row\n", remove.ms, remove.ms / 1000);
    widget.reset();
    benchList(name)->setVariables({});
}

// Batch monitor: 8,000 words of D expanded into their bits and into DINTs,
// against appending the same names to a bare QStringList.
void benchBatchExpansion()
{
    QString error;
    ac::ACCore::open(std::make_unique<ac::ACCore>(
        projectName.toStdString(), DeviceCatalog::create(QStringLiteral("DEMO-FX"), &error)));
    const QString name = QStringLiteral("Batch");
    makeList(name, 0);
    struct Case
    {
        const char *title;
        int dataType;
        quint32 words;
    };
    // 100,000 bits at the most: a larger batch asks the user first.
    for (const Case &batch :
         {Case{"bits (BOOL)", ac::TYPE_BOOL, 6250}, Case{"DINT", ac::TYPE_DINT, 8000}}) {
        const quint32 words = batch.words;
        BatchMonitorParam param;
        param.scType = QStringLiteral("D");
        param.beginAddress = 0;
        param.length = words;
        param.dataType = batch.dataType;
        param.scDataType = ac::TYPE_INT;
        param.showMode = 16;

        std::unique_ptr<WatchListWidget> widget;
        int rows = 0;
        const auto expand = [&] {
            const Result expanded = measure(
                5,
                [&] {
                    benchList(name)->setVariables({});
                    openWindow(widget, name);
                },
                [&] {
                    widget->addBatchVariables(param);
                    return benchList(name)->getCount();
                },
                [&] { widget.reset(); });
            rows = expanded.items;
            return expanded.ms;
        };

        QStringList names;
        const auto bare = [&] {
            return measure(
                       5,
                       [&] { names = QStringList(); },
                       [&] {
                           const QString prefix = param.scType;
                           if (batch.dataType == ac::TYPE_BOOL) {
                               for (quint32 word = 0; word < words; ++word) {
                                   for (int bit = 0; bit < 16; ++bit)
                                       names.append(prefix + QString::number(word) +
                                                    QLatin1Char('.') + QString::number(bit));
                               }
                           } else {
                               for (quint32 word = 0; word + 2 <= words; word += 2)
                                   names.append(prefix + QString::number(word) +
                                                QStringLiteral(".D"));
                           }
                           return int(names.size());
                       })
                .ms;
        };

        const Paired paired = pairedRuns(5, expand, bare);
        std::printf("batch expansion of %u words as %s: %d rows in %.2f ms; "
                    "bare QStringList %.2f ms (medians); ",
                    words,
                    batch.title,
                    rows,
                    median(paired.work),
                    median(paired.floor));
        reportRatio("expansion / bare", paired.ratios, 3.0);
    }
    benchList(name)->setVariables({});
    ac::ACCore::close(projectName.toStdString());
}

} // namespace bench
