// Deleting selected rows, paging a long list through the scroll bar, and
// refreshing a screen of values.

#include "harness.h"

#include "controllertransfer.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "simulatedcontroller.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QProcess>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

// k rows in the middle of the list, as one block.
QItemSelection blockSelection(QAbstractItemModel *model, int rows, int k)
{
    const int first = (rows - k) / 2;
    return QItemSelection(model->index(first, 0), model->index(first + k - 1, 0));
}

// Select-all + Delete and its smaller cousins: a block of k rows of a fully
// loaded list, the current row the block's last. The floor: a bare tree of as
// many rows removing the block as one range.
namespace {

double deleteInWindow(const QString &name, int size, int k, bool *right)
{
    QStringList entries;
    for (int i = 0; i < size; ++i)
        entries.append(QStringLiteral("D%1").arg(i % 8000));
    benchList(name)->setVariables(entries);
    std::unique_ptr<WatchListWidget> widget;
    openWindow(widget, name);
    widget->showVariable(size - 1);
    QCoreApplication::processEvents();
    VarTreeWidget *tree = widget->tree();
    tree->clearSelection();
    tree->selectionModel()->select(blockSelection(tree->model(), size, k),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tree->selectionModel()->setCurrentIndex(tree->model()->index((size - k) / 2 + k - 1, 0),
                                            QItemSelectionModel::NoUpdate);
    QElapsedTimer timer;
    timer.start();
    widget->deleteSelectedRows();
    QCoreApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    *right = benchList(name)->getCount() == size - k && tree->topLevelItemCount() == size - k + 1;
    return ms;
}

double deleteInBareTree(int size, int k)
{
    std::unique_ptr<QTreeWidget> bare;
    openFloor(bare, size + 1);
    bare->selectionModel()->select(blockSelection(bare->model(), size, k),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    bare->selectionModel()->setCurrentIndex(bare->model()->index((size - k) / 2 + k - 1, 0),
                                            QItemSelectionModel::NoUpdate);
    QElapsedTimer timer;
    timer.start();
    const QItemSelection selection = bare->selectionModel()->selection();
    for (auto range = selection.crbegin(); range != selection.crend(); ++range)
        bare->model()->removeRows(range->top(), range->height());
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

void benchDeleting(Workbench &workbench)
{
    constexpr int size = 100000;
    constexpr int runs = 5;
    const QString name = QStringLiteral("Deleting");
    makeList(name, 0);
    workbench.transfer()->setOnline(true);
    std::printf(
        "\nDeleting k selected rows of a fully loaded list of %d, the current row among them\n",
        size);
    for (int k : {1000, 10000, 100000}) {
        std::vector<double> ratios;
        std::vector<double> windowMs;
        bool right = true;
        for (int run = 0; run < runs; ++run) {
            bool rowsRight = false;
            double window = 0;
            double bare = 0;
            if (run % 2 == 0) {
                window = deleteInWindow(name, size, k, &rowsRight);
                bare = deleteInBareTree(size, k);
            } else {
                bare = deleteInBareTree(size, k);
                window = deleteInWindow(name, size, k, &rowsRight);
            }
            right = right && rowsRight;
            windowMs.push_back(window);
            ratios.push_back(window / bare);
        }
        std::printf("k = %6d: window %.1f ms (median)%s; ",
                    k,
                    median(windowMs),
                    right ? "" : ", WRONG ROWS");
        reportRatio("window / one range removal", ratios, 1.5);
    }
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

// Paging as the user does it: the window shown and online, the scroll bar
// pulled to its end, the events of each page processed before the next.
namespace {

struct LoadAll
{
    double ms = 0;         // every row by pages, then shown
    double showLastMs = 0; // a fresh window made to show the last row
    double bytesPerRow = 0;
    bool ok = false;
};

// The bench again, in a child process, measuring one side only.
LoadAll loadAllInChild(const char *side)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--load-all"), QString::fromLatin1(side)});
    LoadAll result;
    if (!child.waitForFinished(600000) || child.exitCode() != 0)
        return result;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 5 || fields[0] != "LOADALL")
        return result;
    result.ms = fields[1].toDouble();
    result.showLastMs = fields[2].toDouble();
    result.bytesPerRow = fields[3].toDouble();
    result.ok = fields[4] == "ok";
    return result;
}

} // namespace

void loadAllInThisProcess(Workbench &workbench, const QString &side)
{
    constexpr int size = 1000000;
    constexpr int page = 20;
    const QString name = QStringLiteral("ScrollPaging");
    makeList(name, size);
    workbench.transfer()->setOnline(true);
    LoadAll result;
    const qint64 heapBefore = heapInUse();
    QElapsedTimer timer;
    if (side == QLatin1String("window")) {
        std::unique_ptr<WatchListWidget> widget;
        timer.start();
        openWindow(widget, name);
        while (widget->lastLoadedRow() + 1 < size)
            widget->loadRows(page);
        QCoreApplication::processEvents();
        result.ms = double(timer.nsecsElapsed()) / 1e6;
        result.bytesPerRow = double(heapInUse() - heapBefore) / size;
        result.ok = widget->tree()->topLevelItemCount() == size + 1;
        widget.reset();
        timer.start();
        openWindow(widget, name);
        widget->showVariable(size - 1);
        QCoreApplication::processEvents();
        result.showLastMs = double(timer.nsecsElapsed()) / 1e6;
        result.ok = result.ok && widget->tree()->currentItem() &&
                    widget->tree()->indexOfTopLevelItem(widget->tree()->currentItem()) == size - 1;
    } else {
        const auto load = [&](QTreeWidget &bare, bool current) {
            bare.setColumnCount(10);
            bare.setUniformRowHeights(true); // as the window's tree
            bare.resize(windowWidth, windowHeight);
            bare.show();
            for (int next = 0; next < size;) {
                QList<QTreeWidgetItem *> items;
                for (int i = 0; i < page && next < size; ++i)
                    items.append(
                        new QTreeWidgetItem(QStringList{QStringLiteral("D%1").arg(next++ % 8000)}));
                bare.addTopLevelItems(items);
            }
            if (current)
                bare.setCurrentItem(bare.topLevelItem(size - 1));
            QCoreApplication::processEvents();
        };
        timer.start();
        {
            QTreeWidget bare;
            load(bare, false);
            result.ms = double(timer.nsecsElapsed()) / 1e6;
            result.bytesPerRow = double(heapInUse() - heapBefore) / size;
            result.ok = bare.topLevelItemCount() == size;
        }
        timer.start();
        QTreeWidget bare;
        load(bare, true);
        result.showLastMs = double(timer.nsecsElapsed()) / 1e6;
    }
    std::printf("LOADALL %f %f %f %s\n",
                result.ms,
                result.showLastMs,
                result.bytesPerRow,
                result.ok ? "ok" : "wrong");
    workbench.transfer()->setOnline(false);
}

void benchScrollPaging(Workbench &workbench)
{
    constexpr int size = 1000000;
    constexpr int page = 20;
    constexpr int pagesMeasured = 50;
    const QString name = QStringLiteral("ScrollPaging");
    makeList(name, size);
    workbench.transfer()->setOnline(true);
    std::printf("\nPaging a list of %d entries by its scroll bar, shown and online\n", size);

    // Pulls the bar to its end; returns the ms of pages that each loaded rows.
    const auto pageAt = [&](QTreeWidget *tree, const std::function<void()> &load) {
        QScrollBar *bar = tree->verticalScrollBar();
        double total = 0;
        for (int i = 0; i < pagesMeasured; ++i) {
            QElapsedTimer timer;
            timer.start();
            if (load)
                load();
            bar->setValue(bar->maximum());
            QCoreApplication::processEvents();
            total += double(timer.nsecsElapsed()) / 1e6;
        }
        return total / pagesMeasured;
    };

    // A repetition builds each side afresh up to 500,000 loaded rows, timing
    // pages at 1,000 on the way; the sides alternate which goes first.
    std::vector<double> windowAt1k;
    const auto windowSide = [&] {
        std::unique_ptr<WatchListWidget> widget;
        openWindow(widget, name);
        widget->showVariable(1000);
        QCoreApplication::processEvents();
        windowAt1k.push_back(pageAt(widget->tree(), {}));
        widget->showVariable(500000);
        QCoreApplication::processEvents();
        return pageAt(widget->tree(), {});
    };
    std::vector<double> bareAt1k;
    const auto bareSide = [&] {
        auto bare = std::make_unique<QTreeWidget>();
        int next = 0;
        const auto bareRows = [&](int n) {
            QList<QTreeWidgetItem *> items;
            for (int i = 0; i < n; ++i)
                items.append(
                    new QTreeWidgetItem(QStringList{QStringLiteral("D%1").arg(next++ % 8000)}));
            bare->addTopLevelItems(items);
        };
        bare->setColumnCount(10);
        bare->setUniformRowHeights(true); // as the window's tree
        bare->resize(windowWidth, windowHeight);
        bare->show();
        bareRows(1000);
        QCoreApplication::processEvents();
        bareAt1k.push_back(pageAt(bare.get(), [&] { bareRows(page); }));
        bareRows(500000 - next);
        QCoreApplication::processEvents();
        return pageAt(bare.get(), [&] { bareRows(page); });
    };
    const Paired at500k = pairedRuns(5, windowSide, bareSide);
    const double window1k = median(windowAt1k);
    const double bare1k = median(bareAt1k);
    const double window500k = median(at500k.work);
    const double bare500k = median(at500k.floor);
    std::printf("a page at 1,000 loaded rows: window %.2f ms, bare QTreeWidget %.2f ms (medians)\n",
                window1k,
                bare1k);
    std::printf("a page at 500,000 loaded rows: window %.2f ms, bare QTreeWidget %.2f ms "
                "(medians; growth from 1,000: window %.1fx, bare %.1fx)\n",
                window500k,
                bare500k,
                window500k / window1k,
                bare500k / bare1k);
    reportRatio("a page at 500,000 rows, window / bare tree", at500k.ratios, 1.5);

    // All the entries, a page at a time, then shown once: each side in a
    // process of its own, so that neither runs on the heap the other left.
    std::vector<double> ratios;
    std::vector<double> windowAll;
    std::vector<double> bareAll;
    std::vector<double> bytesRatio;
    std::vector<double> lastShown;
    bool right = true;
    for (int run = 0; run < 5; ++run) {
        LoadAll sides[2];
        for (int side = 0; side < 2; ++side) {
            const int which = (side + run) % 2;
            sides[which] = loadAllInChild(which == 0 ? "window" : "bare");
        }
        right = right && sides[0].ok && sides[1].ok;
        windowAll.push_back(sides[0].ms);
        bareAll.push_back(sides[1].ms);
        ratios.push_back(sides[0].ms / sides[1].ms);
        bytesRatio.push_back(sides[0].bytesPerRow / sides[1].bytesPerRow);
        lastShown.push_back(sides[0].showLastMs / sides[1].showLastMs);
    }
    std::printf("loading all %d rows by pages of %d, each side in its own process: window %.0f ms, "
                "bare QTreeWidget %.0f ms (medians)%s\n",
                size,
                page,
                median(windowAll),
                median(bareAll),
                right ? "" : "  WRONG ROWS");
    reportRatio("load all, window / bare tree", ratios, 1.5);
    reportRatio("showVariable on the last of them / bare tree paging there", lastShown, 1.5);
    reportRatio("heap per loaded row, window / bare tree", bytesRatio, 1.5);
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

namespace {

// The list holds the names of the last rows of count numbered symbols.
void listLastSymbols(const QString &name, int count, int rows)
{
    QStringList entries;
    for (int i = 0; i < rows; ++i)
        entries.append(QStringLiteral("S%1").arg(count - 1 - i));
    benchList(name)->setVariables(entries);
}

} // namespace

// One value refresh of a screen of rows whose names are symbols, with a small
// and a large symbol table; a symbol synchronisation resets the tree too. Each
// repetition sets both tables in turn, the order alternated.
void benchRefresh(Workbench &workbench)
{
    constexpr int screenRows = 40;
    constexpr int runs = 5;
    auto project = static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    const QString name = QStringLiteral("Refresh");
    makeList(name, 0);
    workbench.transfer()->setOnline(true);
    // The simulated controller steps every symbol on its own timer; that is the
    // workbench's cost, not the tree's, and stays out of these figures.
    const int stepInterval = workbench.transfer()->simulation()->interval();
    workbench.transfer()->simulation()->setInterval(24 * 3600 * 1000);
    std::vector<double> ticks[2];
    std::vector<double> resets[2];
    std::vector<double> tickRatios;
    std::vector<double> resetRatios;
    const int counts[2] = {1000, 1000000};
    for (int run = 0; run < runs; ++run) {
        double tick[2] = {};
        double reset[2] = {};
        for (int side = 0; side < 2; ++side) {
            const int which = (side + run) % 2;
            const int count = counts[which];
            project->setSymbols(numberedSymbols(count));
            listLastSymbols(name, count, 1000);
            std::unique_ptr<WatchListWidget> widget;
            openWindow(widget, name);
            QScrollBar *bar = widget->tree()->verticalScrollBar();
            // A scroll by one row reads the rows then on screen, as a tick does.
            tick[which] = measure(101, {}, [&] {
                              bar->setValue(bar->value() == 0 ? 1 : 0);
                              QCoreApplication::processEvents();
                              return screenRows;
                          }).ms;
            reset[which] = measure(21, {}, [&] {
                               widget->tree()->resetTree();
                               return screenRows;
                           }).ms;
        }
        for (int which = 0; which < 2; ++which) {
            ticks[which].push_back(tick[which]);
            resets[which].push_back(reset[which]);
        }
        tickRatios.push_back(tick[1] / tick[0]);
        resetRatios.push_back(reset[1] / reset[0]);
    }
    std::printf("\nRefreshing a screen of rows named by symbols, shown and online "
                "(medians of %d repetitions)\n",
                runs);
    std::printf("%12s %14s %14s\n", "symbols", "tick ms", "reset ms");
    for (int which = 0; which < 2; ++which)
        std::printf(
            "%12d %14.3f %14.3f\n", counts[which], median(ticks[which]), median(resets[which]));
    reportRatio("tick with 1,000,000 symbols / with 1,000", tickRatios, 1.5);
    reportRatio("reset with 1,000,000 symbols / with 1,000", resetRatios, 1.5);
    project->setSymbols({});
    workbench.transfer()->simulation()->setInterval(stepInterval);
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

// One cycle of the simulated controller while a window of 40 symbol rows is
// online, with 1,000 and with 1,000,000 symbols in the project: a cycle moves
// what is watched, so the second costs what the first does. The first cycle
// after the symbols change resolves them all, once; it is shown apart.
void benchSimulation(Workbench &workbench)
{
    constexpr int runs = 5;
    auto project = static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    const QString name = QStringLiteral("Simulation");
    makeList(name, 0);
    SimulatedController *simulation = workbench.transfer()->simulation();
    const int interval = simulation->interval();
    simulation->setInterval(24 * 3600 * 1000); // driven here, not by its timer
    workbench.transfer()->setOnline(true);
    std::vector<double> ratios;
    std::vector<double> cycles[2];
    double firstCycle[2] = {};
    for (int run = 0; run < runs; ++run) {
        double cycle[2] = {};
        for (int side = 0; side < 2; ++side) {
            const int which = (side + run) % 2;
            const int count = which == 0 ? 1000 : 1000000;
            // The rows' symbols have addresses of their own, the rest share
            // the D area: each cycle moves as many values either way.
            project->setSymbols(numberedSymbols(count, 40));
            listLastSymbols(name, count, 40);
            std::unique_ptr<WatchListWidget> widget;
            openWindow(widget, name);
            widget->tree()->resetTree(); // publishes what it watches
            QElapsedTimer timer;
            timer.start();
            simulation->step();
            firstCycle[which] = double(timer.nsecsElapsed()) / 1e6;
            cycle[which] = measure(21, {}, [&] {
                               simulation->step();
                               return 1;
                           }).ms;
        }
        ratios.push_back(cycle[1] / cycle[0]);
        cycles[0].push_back(cycle[0]);
        cycles[1].push_back(cycle[1]);
    }
    std::printf("\nOne cycle of the simulated controller, 40 symbol rows watched\n");
    std::printf("first cycle after the symbols change: %.1f ms with 1,000, %.1f ms with "
                "1,000,000 symbols\n",
                firstCycle[0],
                firstCycle[1]);
    std::printf("a cycle: %.3f ms with 1,000, %.3f ms with 1,000,000 symbols (medians)\n",
                median(cycles[0]),
                median(cycles[1]));
    reportRatio("cycle with 1,000,000 symbols / with 1,000", ratios, 1.5);
    project->setSymbols({});
    workbench.transfer()->setOnline(false);
    simulation->setInterval(interval);
    benchList(name)->setVariables({});
}

} // namespace bench
