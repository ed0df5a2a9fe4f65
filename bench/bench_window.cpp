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
#include <vector>

namespace bench {

void benchOpening()
{
    std::printf(
        "\nOpening a watch list (window %dx%d; median of runs)\n", windowWidth, windowHeight);
    std::printf("%12s %12s %10s %12s %10s %14s %10s\n",
                "entries",
                "lazy ms",
                "items",
                "eager ms",
                "items",
                "eager/lazy",
                "lazy/floor");
    const std::vector<int> sizes{1000, 100000, 1000000};
    double lazy1000 = 0;
    bool allWithinFloor = true;
    double eagerRatioAtMillion = 0;
    double lazyMillion = 0;
    for (int size : sizes) {
        const QString name = QStringLiteral("Open%1").arg(size);
        makeList(name, size);
        std::unique_ptr<WatchListWidget> widget;
        const Result lazy = measure(
            size >= 1000000 ? 5 : 9,
            {},
            [&] { return openWindow(widget, name); },
            [&] { widget.reset(); });
        std::unique_ptr<QTreeWidget> bare;
        const Result floor = measure(
            9, {}, [&] { return openFloor(bare, lazy.items); }, [&] { bare.reset(); });
        std::unique_ptr<QTreeWidget> eagerTree;
        const Result eager = measure(
            size >= 1000000 ? 1 : 3,
            {},
            [&] { return openEager(eagerTree, name); },
            [&] { eagerTree.reset(); });

        if (size == 1000)
            lazy1000 = lazy.ms;
        if (size == 1000000) {
            eagerRatioAtMillion = eager.ms / lazy.ms;
            lazyMillion = lazy.ms;
        }
        const double overFloor = lazy.ms / floor.ms;
        allWithinFloor = allWithinFloor && overFloor <= 3.0;
        std::printf("%12d %12.2f %10d %12.1f %10d %13.0fx %9.2fx\n",
                    size,
                    lazy.ms,
                    lazy.items,
                    eager.ms,
                    eager.items,
                    eager.ms / lazy.ms,
                    overFloor);
        benchList(name)->setVariables({});
    }
    const double growth = lazyMillion / lazy1000;
    std::printf("open 1,000,000 / open 1,000: %.2fx (target <= 1.5x: %s)\n",
                growth,
                verdict(growth <= 1.5));
    std::printf("open / floor at every size <= 3x: %s\n", verdict(allWithinFloor));
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
        const Result expand = measure(
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

        QStringList names;
        const Result bare = measure(
            5,
            [&] { names = QStringList(); },
            [&] {
                const QString prefix = param.scType;
                if (batch.dataType == ac::TYPE_BOOL) {
                    for (quint32 word = 0; word < words; ++word) {
                        for (int bit = 0; bit < 16; ++bit)
                            names.append(prefix + QString::number(word) + QLatin1Char('.') +
                                         QString::number(bit));
                    }
                } else {
                    for (quint32 word = 0; word + 2 <= words; word += 2)
                        names.append(prefix + QString::number(word) + QStringLiteral(".D"));
                }
                return int(names.size());
            });

        const double ratio = expand.ms / bare.ms;
        std::printf("batch expansion of %u words as %s: %d rows in %.2f ms; "
                    "bare QStringList %.2f ms; ratio %.2fx (target <= 3x: %s)\n",
                    words,
                    batch.title,
                    expand.items,
                    expand.ms,
                    bare.ms,
                    ratio,
                    verdict(ratio <= 3.0));
    }
    benchList(name)->setVariables({});
    ac::ACCore::close(projectName.toStdString());
}

} // namespace bench
