// Costs of the watch-list window that users feel: opening long lists,
// paging to their end, inserting and deleting rows. Each figure is printed
// with the baseline it is compared with, measured in the same run.

#include "abstractprojectmodel.h"
#include "accore.h"
#include "batchmonotordlg.h"
#include "controllertransfer.h"
#include "devicecatalog.h"
#include "livewatch.h"
#include "modbuslink.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "simulatedcontroller.h"
#include "solutiontree.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "watchlistcsv.h"
#include "watchlistexchange.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMainWindow>
#include <QModbusReply>
#include <QModbusTcpClient>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>

#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

const QString projectName = QStringLiteral("Bench");
constexpr int windowWidth = 900;
constexpr int windowHeight = 300;

struct Result
{
    double ms = 0;
    int items = 0;
};

// Median of several runs; setup runs before each and is not timed.
Result measure(int runs,
               const std::function<void()> &setup,
               const std::function<int()> &work,
               const std::function<void()> &teardown = {})
{
    std::vector<double> times;
    int items = 0;
    for (int i = 0; i < runs; ++i) {
        if (setup)
            setup();
        QElapsedTimer timer;
        timer.start();
        items = work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (teardown)
            teardown();
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], items};
}

WatchListObject *benchList(const QString &name)
{
    auto project = static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    return project->watchListModel()->getObject(name);
}

void makeList(const QString &name, int count)
{
    auto project = static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    project->watchListModel()->appendWatchList(name);
    QStringList entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i)
        entries.append(QStringLiteral("D%1").arg(i % 8000));
    project->watchListModel()->getObject(name)->setVariables(entries);
}

const char *verdict(bool ok)
{
    return ok ? "ok" : "MISSED";
}

// The window as the tool-window code opens it: constructed, sized, shown.
int openWindow(std::unique_ptr<WatchListWidget> &widget, const QString &name)
{
    widget = std::make_unique<WatchListWidget>(name, projectName, nullptr);
    widget->resize(windowWidth, windowHeight);
    widget->show();
    QCoreApplication::processEvents();
    return widget->tree()->topLevelItemCount();
}

// The naive window: every entry gets its tree item at once.
int openEager(std::unique_ptr<QTreeWidget> &tree, const QString &name)
{
    WatchListObject *list = benchList(name);
    tree = std::make_unique<QTreeWidget>();
    tree->setColumnCount(10);
    tree->resize(windowWidth, windowHeight);
    QList<QTreeWidgetItem *> items;
    items.reserve(list->getCount() + 1);
    for (int i = 0; i < list->getCount(); ++i)
        items.append(new QTreeWidgetItem(QStringList{list->getVariableName(i)}));
    items.append(new QTreeWidgetItem);
    tree->addTopLevelItems(items);
    tree->show();
    QCoreApplication::processEvents();
    return tree->topLevelItemCount();
}

// The least any tree can do: a bare QTreeWidget with as many rows as the window loads.
int openFloor(std::unique_ptr<QTreeWidget> &tree, int rows)
{
    tree = std::make_unique<QTreeWidget>();
    tree->setColumnCount(10);
    tree->resize(windowWidth, windowHeight);
    QList<QTreeWidgetItem *> items;
    for (int i = 0; i < rows; ++i)
        items.append(new QTreeWidgetItem(QStringList{QStringLiteral("D%1").arg(i)}));
    tree->addTopLevelItems(items);
    tree->show();
    QCoreApplication::processEvents();
    return tree->topLevelItemCount();
}

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
    const QString name = QStringLiteral("Paging");
    makeList(name, size);
    std::unique_ptr<WatchListWidget> widget;
    openWindow(widget, name);

    std::vector<double> pages;
    while (widget->lastLoadedRow() + 1 < size) {
        QElapsedTimer timer;
        timer.start();
        widget->loadRows(page);
        pages.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    // Average the first and last fifty pages, to see past the timer's noise.
    const auto average = [](auto first, auto last) {
        double sum = 0;
        int n = 0;
        for (auto it = first; it != last; ++it, ++n)
            sum += *it;
        return sum / n;
    };
    const int span = std::min<int>(50, int(pages.size()) / 2);
    const double first = average(pages.begin(), pages.begin() + span);
    const double last = average(pages.end() - span, pages.end());
    std::printf(
        "\nPaging through %d entries, %d rows a page (%zu pages)\n", size, page, pages.size());
    std::printf("first pages %.3f ms, last pages %.3f ms: last/first %.2fx (target <= 1.5x: %s)\n",
                first,
                last,
                last / first,
                verdict(last / first <= 1.5));
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
    constexpr quint32 words = 8000;

    struct Case
    {
        const char *title;
        int dataType;
    };
    for (const Case &batch : {Case{"bits (BOOL)", ac::TYPE_BOOL}, Case{"DINT", ac::TYPE_DINT}}) {
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

// A project file with that many watch lists of a few entries each.
QString writeProject(const QTemporaryDir &dir, const QString &name, int lists)
{
    QJsonArray array;
    for (int i = 0; i < lists; ++i) {
        array.append(QJsonObject{
            {QStringLiteral("name"), QStringLiteral("List%1").arg(i)},
            {QStringLiteral("properties"), QString()},
            {QStringLiteral("entries"),
             QJsonArray{QStringLiteral("D%1").arg(i % 8000), QStringLiteral("M%1").arg(i % 100)}},
        });
    }
    const QJsonObject root{
        {QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("name"), name},
        {QStringLiteral("device"), QStringLiteral("DEMO-FX")},
        {QStringLiteral("watchLists"), array},
    };
    const QString path = dir.filePath(name + QStringLiteral(".wlproj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0)
        return QString();
    return path;
}

// The least opening can cost: parsing the file and putting a node for each
// list under a folder of a bare tree, as the solution tree shows them.
int openFloor(const QString &path, std::unique_ptr<QTreeWidget> &tree)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QJsonArray lists = QJsonDocument::fromJson(file.readAll())
                                 .object()
                                 .value(QLatin1String("watchLists"))
                                 .toArray();
    tree = std::make_unique<QTreeWidget>();
    tree->setHeaderHidden(true);
    tree->show();
    auto *project = new QTreeWidgetItem(QStringList{QStringLiteral("Project")});
    tree->addTopLevelItem(project);
    project->setExpanded(true);
    auto *folder = new QTreeWidgetItem(QStringList{QStringLiteral("Watch List")});
    project->addChild(folder);
    for (const QJsonValue &list : lists)
        folder->addChild(new QTreeWidgetItem(
            QStringList{list.toObject().value(QLatin1String("name")).toString()}));
    QCoreApplication::processEvents();
    return folder->childCount();
}

// Opening a project through the workbench, with the plug-in adding a node for
// each watch list, against the floor above.
void benchOpeningProject(Workbench &workbench)
{
    QString error;
    if (!workbench.loadPlugin(QStringLiteral(WATCHLIST_PLUGIN_PATH), &error)) {
        std::printf("\nOpening a project: the plug-in does not load: %s\n", qPrintable(error));
        return;
    }
    QTemporaryDir dir;
    std::printf("\nOpening a project (median of runs)\n");
    std::printf(
        "%12s %12s %12s %10s %14s\n", "lists", "open ms", "floor ms", "open/floor", "us per list");
    bool withinFloor = true;
    for (int lists : {10000, 100000}) {
        const QString name = QStringLiteral("Big%1").arg(lists);
        const QString path = writeProject(dir, name, lists);
        const Result open = measure(
            3,
            {},
            [&] {
                if (!workbench.openProject(path, &error)) {
                    std::printf("%s\n", qPrintable(error));
                    return 0;
                }
                QCoreApplication::processEvents();
                return ProjectModelManager::instance()->projectModel(name.toStdString(), false)
                           ? lists
                           : 0;
            },
            [&] { workbench.closeProject(name); });
        std::unique_ptr<QTreeWidget> bare;
        const Result floor = measure(
            3, {}, [&] { return openFloor(path, bare); }, [&] { bare.reset(); });
        const double ratio = open.ms / floor.ms;
        if (lists == 100000)
            withinFloor = ratio <= 3.0;
        std::printf("%12d %12.1f %12.1f %9.2fx %14.2f\n",
                    open.items,
                    open.ms,
                    floor.ms,
                    ratio,
                    open.ms * 1000 / lists);
    }
    std::printf("open 100,000 lists / floor: target <= 3x: %s\n", verdict(withinFloor));
    workbench.unloadPlugins();
}

// Heap bytes in use, to compare what two trees keep per row.
qint64 heapInUse()
{
    return qint64(mallinfo2().uordblks);
}

// k rows in the middle of the list, as one block.
QItemSelection blockSelection(QAbstractItemModel *model, int rows, int k)
{
    const int first = (rows - k) / 2;
    return QItemSelection(model->index(first, 0), model->index(first + k - 1, 0));
}

// Select-all + Delete and its smaller cousins: a block of k rows of a fully
// loaded list, the current row the block's last. The bare tree deletes the
// same rows from the highest, its current row elsewhere.
void benchDeleting(Workbench &workbench)
{
    constexpr int size = 100000;
    const QString name = QStringLiteral("Deleting");
    makeList(name, 0);
    workbench.transfer()->setOnline(true);
    std::printf(
        "\nDeleting k selected rows of a fully loaded list of %d, the current row among them\n",
        size);
    std::printf(
        "%10s %12s %12s %14s %12s\n", "k", "window ms", "bare ms", "window us/row", "window/bare");
    double perRowFirst = 0;
    double perRowLast = 0;
    bool withinBare = true;
    for (int k : {1000, 10000, 100000}) {
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
        const double windowMs = double(timer.nsecsElapsed()) / 1e6;
        const bool right =
            benchList(name)->getCount() == size - k && tree->topLevelItemCount() == size - k + 1;
        widget.reset();

        std::unique_ptr<QTreeWidget> bare;
        openFloor(bare, size + 1);
        bare->selectionModel()->select(blockSelection(bare->model(), size, k),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        bare->selectionModel()->setCurrentIndex(bare->model()->index(size, 0),
                                                QItemSelectionModel::NoUpdate);
        timer.start();
        const QModelIndexList selected = bare->selectionModel()->selectedRows();
        std::vector<int> rows;
        for (const QModelIndex &index : selected)
            rows.push_back(index.row());
        std::sort(rows.begin(), rows.end());
        for (auto row = rows.crbegin(); row != rows.crend(); ++row)
            delete bare->takeTopLevelItem(*row);
        QCoreApplication::processEvents();
        const double bareMs = double(timer.nsecsElapsed()) / 1e6;
        bare.reset();

        const double perRow = windowMs * 1000 / k;
        if (k == 1000)
            perRowFirst = perRow;
        perRowLast = perRow;
        withinBare = withinBare && windowMs <= 3 * bareMs;
        std::printf("%10d %12.1f %12.1f %14.2f %11.2fx%s\n",
                    k,
                    windowMs,
                    bareMs,
                    perRow,
                    windowMs / bareMs,
                    right ? "" : "  WRONG ROWS");
    }
    std::printf("per row at k = 100,000 / per row at k = 1,000: %.2fx (target <= 1.5x: %s)\n",
                perRowLast / perRowFirst,
                verdict(perRowLast / perRowFirst <= 1.5));
    std::printf("window / bare tree at every k <= 3x: %s\n", verdict(withinBare));
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

// Paging as the user does it: the window shown and online, the scroll bar
// pulled to its end, the events of each page processed before the next.
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

    std::unique_ptr<WatchListWidget> widget;
    openWindow(widget, name);
    widget->showVariable(1000);
    QCoreApplication::processEvents();
    const double windowAt1k = pageAt(widget->tree(), {});
    widget->showVariable(500000);
    QCoreApplication::processEvents();
    const double windowAt500k = pageAt(widget->tree(), {});
    widget.reset();

    std::unique_ptr<QTreeWidget> bare;
    int next = 0;
    const auto bareRows = [&](int n) {
        QList<QTreeWidgetItem *> items;
        for (int i = 0; i < n; ++i)
            items.append(
                new QTreeWidgetItem(QStringList{QStringLiteral("D%1").arg(next++ % 8000)}));
        bare->addTopLevelItems(items);
    };
    openFloor(bare, 1000);
    next = 1000;
    const double bareAt1k = pageAt(bare.get(), [&] { bareRows(page); });
    bareRows(500000 - next);
    QCoreApplication::processEvents();
    const double bareAt500k = pageAt(bare.get(), [&] { bareRows(page); });
    bare.reset();

    const double growth = windowAt500k / windowAt1k;
    std::printf("window: a page at 1,000 rows %.2f ms, at 500,000 rows %.2f ms: %.2fx "
                "(target <= 1.5x: %s)\n",
                windowAt1k,
                windowAt500k,
                growth,
                verdict(growth <= 1.5));
    std::printf("bare QTreeWidget the same way: %.2f ms, %.2f ms: %.2fx\n",
                bareAt1k,
                bareAt500k,
                bareAt500k / bareAt1k);

    // All the entries, a page at a time, then shown once.
    const qint64 heapBefore = heapInUse();
    QElapsedTimer timer;
    timer.start();
    openWindow(widget, name);
    while (widget->lastLoadedRow() + 1 < size)
        widget->loadRows(page);
    QCoreApplication::processEvents();
    const double windowAll = double(timer.nsecsElapsed()) / 1e6;
    const double windowBytes = double(heapInUse() - heapBefore) / size;
    const bool right = widget->tree()->topLevelItemCount() == size + 1;
    // What going online, offline or a symbol synchronisation costs with every row loaded.
    timer.start();
    widget->tree()->resetTree();
    const double resetAll = double(timer.nsecsElapsed()) / 1e6;
    widget.reset();

    const qint64 bareHeapBefore = heapInUse();
    timer.start();
    bare = std::make_unique<QTreeWidget>();
    bare->setColumnCount(10);
    bare->resize(windowWidth, windowHeight);
    bare->show();
    next = 0;
    while (next < size)
        bareRows(page);
    QCoreApplication::processEvents();
    const double bareAll = double(timer.nsecsElapsed()) / 1e6;
    const double bareBytes = double(heapInUse() - bareHeapBefore) / size;
    bare.reset();

    std::printf("loading all %d rows by pages of %d: window %.0f ms, bare QTreeWidget %.0f ms: "
                "%.2fx (target <= 3x: %s)%s\n",
                size,
                page,
                windowAll,
                bareAll,
                windowAll / bareAll,
                verdict(windowAll <= 3 * bareAll),
                right ? "" : "  WRONG ROWS");
    std::printf("heap per loaded row: window %.0f bytes, bare QTreeWidget %.0f bytes: %.2fx "
                "(target <= 1.5x: %s)\n",
                windowBytes,
                bareBytes,
                windowBytes / bareBytes,
                verdict(windowBytes <= 1.5 * bareBytes));
    std::printf("reset of the tree with all %d rows loaded: %.0f ms\n", size, resetAll);
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

// One value refresh of a screen of rows whose names are symbols, with a small
// and a large symbol table; a symbol synchronisation resets the tree too.
void benchRefresh(Workbench &workbench)
{
    constexpr int screenRows = 40;
    auto project = static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    const QString name = QStringLiteral("Refresh");
    makeList(name, 0);
    workbench.transfer()->setOnline(true);
    // The simulated controller steps every symbol on its own timer; that is the
    // workbench's cost, not the tree's, and stays out of these figures.
    const int stepInterval = workbench.transfer()->simulation()->interval();
    workbench.transfer()->simulation()->setInterval(24 * 3600 * 1000);
    std::printf("\nRefreshing a screen of rows named by symbols, shown and online\n");
    std::printf("%12s %14s %14s\n", "symbols", "tick ms", "reset ms");
    double tick[2] = {};
    double reset[2] = {};
    int which = 0;
    for (int count : {1000, 1000000}) {
        QVector<Symbol> symbols;
        symbols.reserve(count);
        for (int i = 0; i < count; ++i) {
            symbols.append(Symbol{QStringLiteral("S%1").arg(i),
                                  QStringLiteral("INT"),
                                  QStringLiteral("D%1").arg(i % 8000),
                                  {},
                                  {}});
        }
        project->setSymbols(symbols);
        QStringList entries;
        for (int i = 0; i < 1000; ++i)
            entries.append(QStringLiteral("S%1").arg(count - 1 - i));
        benchList(name)->setVariables(entries);
        std::unique_ptr<WatchListWidget> widget;
        openWindow(widget, name);
        QScrollBar *bar = widget->tree()->verticalScrollBar();
        // A scroll by one row reads the rows then on screen, as a tick does.
        const Result scrolled = measure(101, {}, [&] {
            bar->setValue(bar->value() == 0 ? 1 : 0);
            QCoreApplication::processEvents();
            return screenRows;
        });
        const Result resetTree = measure(21, {}, [&] {
            widget->tree()->resetTree();
            return screenRows;
        });
        tick[which] = scrolled.ms;
        reset[which] = resetTree.ms;
        std::printf("%12d %14.3f %14.3f\n", count, scrolled.ms, resetTree.ms);
        ++which;
    }
    std::printf("tick with 1,000,000 symbols / with 1,000: %.2fx (target <= 1.5x: %s)\n",
                tick[1] / tick[0],
                verdict(tick[1] <= 1.5 * tick[0]));
    std::printf("reset with 1,000,000 symbols / with 1,000: %.2fx (target <= 1.5x: %s)\n",
                reset[1] / reset[0],
                verdict(reset[1] <= 1.5 * reset[0]));
    project->setSymbols({});
    workbench.transfer()->simulation()->setInterval(stepInterval);
    workbench.transfer()->setOnline(false);
    benchList(name)->setVariables({});
}

// The Modbus test server, steered through its stdin: each command is
// answered by one line.
class ModbusServer
{
public:
    ~ModbusServer() { stop(); }

    bool start(QString *error)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system interpreter: the server needs the distribution's pymodbus.
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QString::fromUtf8(WATCHLIST_SOURCE_DIR) +
                         QStringLiteral("/tests/modbus/modbus_server.py")});
        if (!m_process.waitForStarted(5000)) {
            *error = m_process.errorString();
            return false;
        }
        const QString ready = readLine(10000);
        if (!ready.startsWith(QLatin1String("READY "))) {
            *error = QStringLiteral("no READY line, got \"%1\"").arg(ready);
            return false;
        }
        m_port = ready.mid(6).toInt();
        return m_port > 0;
    }

    int port() const { return m_port; }

    // Blocks without running the event loop, so no refresh starts meanwhile.
    QString command(const QString &line)
    {
        m_process.write((line + QLatin1Char('\n')).toUtf8());
        return readLine(5000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

private:
    QString readLine(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine()) {
            const qint64 left = timeoutMs - waited.elapsed();
            if (left <= 0 || !m_process.waitForReadyRead(int(left)))
                return QString();
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QProcess m_process;
    int m_port = 0;
};

QModbusDataUnit::RegisterType modbusRegisterType(DeviceCatalog::ModbusArea::Table table)
{
    switch (table) {
    case DeviceCatalog::ModbusArea::Coils:
        return QModbusDataUnit::Coils;
    case DeviceCatalog::ModbusArea::DiscreteInputs:
        return QModbusDataUnit::DiscreteInputs;
    case DeviceCatalog::ModbusArea::InputRegisters:
        return QModbusDataUnit::InputRegisters;
    case DeviceCatalog::ModbusArea::HoldingRegisters:
        break;
    }
    return QModbusDataUnit::HoldingRegisters;
}

// Runs the event loop until the link's next refresh has finished.
bool waitForRefresh(ModbusTcpLink *link)
{
    QEventLoop loop;
    bool refreshed = false;
    QObject::connect(link, &ModbusTcpLink::refreshed, &loop, [&] {
        refreshed = true;
        loop.quit();
    });
    QObject::connect(link, &ModbusTcpLink::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return refreshed;
}

// ms per refresh of the link, each refresh started the moment the one before
// has finished; negative when the link failed or stalled.
double linkRounds(ModbusTcpLink *link, int warmUp, int rounds)
{
    QEventLoop loop;
    QElapsedTimer timer;
    int done = 0;
    double ms = -1;
    QObject::connect(link, &ModbusTcpLink::refreshed, &loop, [&] {
        ++done;
        if (done == warmUp)
            timer.start();
        if (done == warmUp + rounds) {
            ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
            loop.quit();
            return;
        }
        link->refresh();
    });
    QObject::connect(link, &ModbusTcpLink::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    // A refresh may be running already; then this one waits for it.
    link->refresh();
    loop.exec();
    return ms;
}

bool connectBare(QModbusTcpClient &client, int port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                  QStringLiteral("127.0.0.1"));
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    client.setTimeout(1000);
    client.setNumberOfRetries(0);
    if (!client.connectDevice())
        return false;
    QEventLoop loop;
    QObject::connect(&client, &QModbusDevice::stateChanged, &loop, [&](QModbusDevice::State state) {
        if (state == QModbusDevice::ConnectedState || state == QModbusDevice::UnconnectedState)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (client.state() != QModbusDevice::ConnectedState)
        loop.exec();
    return client.state() == QModbusDevice::ConnectedState;
}

// ms per round of a bare client: the reads of a round one after another, as
// the link sends them (one request open at a time, so that no answer can be
// taken for another's), the next round once the last has answered; negative
// on the first failed read.
double bareRounds(QModbusTcpClient &client,
                  const std::vector<ModbusBlock> &reads,
                  int warmUp,
                  int rounds,
                  QString *error)
{
    QEventLoop loop;
    QElapsedTimer timer;
    int done = 0;
    size_t next = 0;
    double ms = -1;
    const auto failed = [&](const QString &why) {
        if (error->isEmpty())
            *error = why;
        loop.quit();
    };
    std::function<void()> send;
    const auto answered = [&] {
        if (!error->isEmpty())
            return;
        if (next < reads.size()) {
            send();
            return;
        }
        ++done;
        if (done == warmUp)
            timer.start();
        if (done == warmUp + rounds) {
            ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
            loop.quit();
            return;
        }
        next = 0;
        send();
    };
    send = [&] {
        const ModbusBlock &read = reads[next++];
        QModbusReply *reply = client.sendReadRequest(
            QModbusDataUnit(modbusRegisterType(read.table), read.start, quint16(read.count)), 1);
        if (!reply) {
            failed(client.errorString());
            return;
        }
        // Replies belong to the client; the loop as context cuts them off once it is gone.
        QObject::connect(reply, &QModbusReply::finished, &loop, [&, reply] {
            if (reply->error() != QModbusDevice::NoError)
                failed(reply->errorString());
            reply->deleteLater();
            answered();
        });
    };
    QTimer::singleShot(60000, &loop, [&] { failed(QStringLiteral("stalled")); });
    if (!reads.empty())
        send();
    loop.exec();
    return error->isEmpty() ? ms : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Goes online with a device through the transfer service, as the workbench does.
ModbusTcpLink *goOnline(ControllerTransfer *transfer, int port, QString *error)
{
    ControllerSettings settings;
    settings.backend = ControllerSettings::ModbusTcp;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.pollInterval = 10;
    transfer->setSettings(settings, projectName);
    QEventLoop loop;
    QObject::connect(transfer, &Transfer::onlineState, &loop, &QEventLoop::quit);
    QObject::connect(
        transfer, &ControllerTransfer::connectionFailed, &loop, [&](const QString &message) {
            *error = message;
            loop.quit();
        });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    transfer->setOnline(true);
    if (!transfer->isOnline() && error->isEmpty())
        loop.exec();
    return transfer->isOnline() ? transfer->modbusLink() : nullptr;
}

// Refreshing what the variable trees watch from a Modbus TCP device: the
// link against a bare client sending the same block reads one at a time (the floor) and
// against one read per row, for a contiguous and a scattered screen of rows.
// The machine is shared, so the three take turns in slices and each figure is
// the median slice.
void benchModbus(Workbench &workbench)
{
    constexpr int rows = 169;
    constexpr int slices = 5;
    constexpr int perSlice = 60;
    constexpr int warmUp = 5;
    std::printf("\nRefreshing %d watched D rows from the Modbus test server, poll interval 10 ms,"
                " refreshes back to back (median of %d slices of %d, each after %d unmeasured)\n",
                rows,
                slices,
                perSlice,
                warmUp);
    ModbusServer server;
    QString error;
    if (!server.start(&error)) {
        std::printf("the Modbus test server does not start: %s\n", qPrintable(error));
        return;
    }
    DeviceCatalog::ModbusMap map;
    if (!DeviceCatalog::modbusMap(QStringLiteral("DEMO-FX"), &map, &error)) {
        std::printf("no Modbus map for DEMO-FX: %s\n", qPrintable(error));
        return;
    }

    const std::string project = projectName.toStdString();
    ControllerTransfer *transfer = workbench.transfer();
    const ControllerSettings before = transfer->settings();
    const int token = 0;
    std::printf("%-12s %9s %8s %8s %10s %10s %10s %11s %11s %9s\n",
                "rows",
                "requests",
                "target",
                "server",
                "link ms",
                "floor ms",
                "row ms",
                "link/floor",
                "row/link",
                "rows read");
    struct Set
    {
        const char *title;
        int stride; // words from one row to the next
    };
    for (const Set &set : {Set{"contiguous", 1}, Set{"scattered", 47}}) {
        std::vector<ac::HeapAddress> addresses;
        ModbusLayout layout;
        {
            SafeAccore core(project, false);
            ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
            if (!memory) {
                std::printf("the bench project has no device memory\n");
                return;
            }
            for (int row = 0; row < rows; ++row) {
                ac::HeapAddress address;
                if (memory->string2IecAddress(
                        "D" + std::to_string(row * set.stride), &address, true))
                    addresses.push_back(address);
            }
            layout = ModbusLayout(*memory, map);
        }
        const std::vector<ModbusBlock> blocks = layout.plan(addresses);
        std::vector<ModbusBlock> perRow;
        for (const ac::HeapAddress &address : addresses) {
            ModbusBlock block{};
            if (layout.range(address, &block))
                perRow.push_back(block);
        }
        const int first = perRow.empty() ? 0 : perRow.front().start;
        const int span = perRow.empty() ? 0 : perRow.back().start + perRow.back().count - first;
        const int target = (span + 124) / 125;
        // The span read whole in the largest blocks a request may ask for, to
        // see what bridging every gap would cost.
        std::vector<ModbusBlock> whole;
        for (int start = first; start < first + span; start += 125)
            whole.push_back(ModbusBlock{DeviceCatalog::ModbusArea::HoldingRegisters,
                                        start,
                                        std::min(125, first + span - start)});

        ac::LiveWatch::instance()->setWatched(&token, project, addresses);
        error.clear();
        QPointer<ModbusTcpLink> link = goOnline(transfer, server.port(), &error);
        if (!link) {
            std::printf("%-12s the link does not go online: %s\n", set.title, qPrintable(error));
            transfer->setOnline(false);
            break;
        }
        int serverCount = -1;
        // Counted by the server over exactly one refresh: the poll timer cannot
        // fire while the commands block.
        if (waitForRefresh(link) &&
            server.command(QStringLiteral("reset")) == QLatin1String("ok")) {
            link->refresh();
            const QString count =
                waitForRefresh(link) ? server.command(QStringLiteral("count")) : QString();
            if (count.startsWith(QLatin1String("count ")))
                serverCount = count.mid(6).toInt();
        }
        const int requests = link ? link->lastRefreshRequests() : -1;

        // The bare client on its own connection; the link stays online
        // meanwhile with nothing watched, so its polls send no request.
        QModbusTcpClient client;
        QString bareError;
        if (!connectBare(client, server.port()))
            bareError = client.errorString();
        std::vector<double> linkMs, floorMs, rowMs, wholeMs;
        bool linkFailed = false;
        for (int slice = 0; slice < slices && bareError.isEmpty() && !linkFailed; ++slice) {
            ac::LiveWatch::instance()->setWatched(&token, project, addresses);
            const double ms = link ? linkRounds(link, warmUp, perSlice) : -1;
            linkFailed = ms < 0;
            linkMs.push_back(ms);
            ac::LiveWatch::instance()->forget(&token);
            floorMs.push_back(bareRounds(client, blocks, warmUp, perSlice, &bareError));
            rowMs.push_back(bareRounds(client, perRow, warmUp, perSlice, &bareError));
            if (set.stride > 1)
                wholeMs.push_back(bareRounds(client, whole, warmUp, perSlice / 3, &bareError));
        }
        client.disconnectDevice();
        // What the link's last refresh left, before going offline forgets it.
        int read = 0;
        for (const ac::HeapAddress &address : addresses)
            read +=
                ac::LiveWatch::instance()->reading(project, address).status != ac::Reading::Missing
                    ? 1
                    : 0;
        transfer->setOnline(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        const double linkAt = median(linkMs);
        const double floorAt = median(floorMs);
        const double rowAt = median(rowMs);
        std::printf("%-12s %9d %8d %8d %10.3f %10.3f %10.3f %10.2fx %10.2fx %5d/%d\n",
                    set.title,
                    requests,
                    target,
                    serverCount,
                    linkAt,
                    floorAt,
                    rowAt,
                    linkAt / floorAt,
                    rowAt / linkAt,
                    read,
                    int(addresses.size()));
        if (set.stride == 1) {
            std::printf("%-12s requests per refresh <= ceil(span %d / 125) = %d, the server "
                        "counting as many: %s\n",
                        "",
                        span,
                        target,
                        verdict(requests <= target && serverCount == requests));
        } else {
            std::printf("%-12s %zu planned blocks over a span of %d words; the span read whole "
                        "in %zu blocks of <= 125 (bare client, %d rounds): %.3f ms\n",
                        "",
                        blocks.size(),
                        span,
                        whole.size(),
                        slices * (perSlice / 3),
                        median(wholeMs));
        }
        std::printf("%-12s link / floor %.2fx (target <= 1.5x: %s)\n",
                    "",
                    linkAt / floorAt,
                    verdict(!linkFailed && bareError.isEmpty() && linkAt <= 1.5 * floorAt));
        if (!bareError.isEmpty())
            std::printf("%-12s the bare client failed: %s\n", "", qPrintable(bareError));
        if (linkFailed)
            std::printf("%-12s the link failed or stalled\n", "");
    }
    ac::LiveWatch::instance()->forget(&token);
    transfer->setSettings(before, projectName);
    server.stop();
}

// A trend of 8 rows sampled every 200 ms for 10 simulated minutes, driven
// directly, against appending the same points to bare QLineSeries.
void benchTrend(Workbench &workbench)
{
    constexpr int rows = TrendWindow::maximumSeries;
    constexpr int samples = 3000;
    constexpr qint64 interval = 200;
    std::printf("\nTrend of %d rows, a sample every %lld ms for %d samples (10 minutes)\n",
                rows,
                interval,
                samples);
    VarTreeWidget tree;
    tree.setProperty("projectName", projectName);
    tree.setRowCount(rows);
    for (int row = 0; row < rows; ++row)
        tree.setVariable(row, QStringLiteral("D%1").arg(row), QStringLiteral("D%1").arg(row));
    tree.resetTree();
    tree.selectAll();
    ControllerTransfer *transfer = workbench.transfer();
    transfer->simulation()->setInterval(int(interval));
    transfer->setOnline(true);
    transfer->simulation()->stop();

    const qint64 heapBefore = heapInUse();
    auto trend = std::make_unique<TrendWindow>(transfer);
    trend->resize(windowWidth, windowHeight);
    trend->setRows(&tree);
    const qint64 start = QDateTime::currentMSecsSinceEpoch() + 3600 * 1000;
    // Medians of runs of ten minutes each; later runs overwrite full rings.
    qint64 time = start;
    const double trendNs = measure(9,
                                   {},
                                   [&] {
                                       for (int i = 0; i < samples; ++i, time += interval)
                                           trend->sampleAt(time);
                                       return 0;
                                   })
                               .ms *
                           1e6 / samples;
    const qint64 trendHeap = heapInUse() - heapBefore;
    const double ringBytes =
        double(trend->buffer(0).capacity() * sizeof(TrendBuffer::Sample)) / trend->buffer(0).size();

    // What the ring does alone, for the storage's part of a sample.
    std::vector<TrendBuffer> rings(rows, TrendBuffer(TrendBuffer::capacityFor(int(interval))));
    const double ringNs = measure(9,
                                  {},
                                  [&] {
                                      for (int i = 0; i < samples; ++i) {
                                          for (TrendBuffer &ring : rings)
                                              ring.append(start + i * interval, i);
                                      }
                                      return 0;
                                  })
                              .ms *
                          1e6 / samples;

    std::vector<std::unique_ptr<QtCharts::QLineSeries>> bare;
    for (int row = 0; row < rows; ++row)
        bare.push_back(std::make_unique<QtCharts::QLineSeries>());
    const auto appendAll = [&] {
        for (int i = 0; i < samples; ++i) {
            for (auto &series : bare)
                series->append(double(start + i * interval), i);
        }
        return 0;
    };
    const auto clearAll = [&] {
        for (auto &series : bare)
            series->clear();
    };
    const double bareNs = measure(9, clearAll, appendAll).ms * 1e6 / samples;
    for (auto &series : bare)
        series = std::make_unique<QtCharts::QLineSeries>();
    const qint64 bareBefore = heapInUse();
    appendAll();
    const double bareBytes = double(heapInUse() - bareBefore) / (rows * samples);

    std::printf("per sample of %d rows: trend %.0f ns (read, decode, store), ring alone %.0f ns, "
                "bare QLineSeries append %.0f ns\n",
                rows,
                trendNs,
                ringNs,
                bareNs);
    std::printf("trend / bare %.2fx (target <= 2x: %s); ring / bare %.2fx\n",
                trendNs / bareNs,
                verdict(trendNs <= 2 * bareNs),
                ringNs / bareNs);
    std::printf("bytes per point: ring %.1f, bare QLineSeries %.1f: %.2fx (target <= 2x: %s); "
                "trend window heap with its full rings %.0f KiB\n",
                ringBytes,
                bareBytes,
                ringBytes / bareBytes,
                verdict(ringBytes <= 2 * bareBytes),
                double(trendHeap) / 1024);

    // The naive trend: the same points appended to series of a shown chart,
    // each append redrawing its line.
    QtCharts::QChartView charted;
    charted.resize(windowWidth, windowHeight);
    for (auto &series : bare) {
        series->clear();
        charted.chart()->addSeries(series.get());
    }
    charted.chart()->createDefaultAxes();
    charted.show();
    QElapsedTimer timer;
    timer.start();
    appendAll();
    const double chartedNs = double(timer.nsecsElapsed()) / samples;
    for (auto &series : bare)
        charted.chart()->removeSeries(series.get());

    trend->show();
    std::printf("appending to the series of a shown chart instead: %.3f ms a sample\n",
                chartedNs / 1e6);
    for (const int span : {60, 600}) {
        trend->setSpanSeconds(span);
        const Result view = measure(9, {}, [&] {
            trend->updateView();
            return 0;
        });
        int points = 0;
        for (QtCharts::QAbstractSeries *series : trend->chart()->series())
            points += static_cast<QtCharts::QLineSeries *>(series)->count();
        std::printf("redrawing a %d s span (%d points): %.2f ms a refresh; sample and redraw / "
                    "shown chart's appends %.2fx\n",
                    span,
                    points,
                    view.ms,
                    (trendNs / 1e6 + view.ms) / (chartedNs / 1e6));
    }
    transfer->setOnline(false);
}

// Importing a CSV file of 10,000 names into the shown window of a watch list
// through the plug-in's service, against appending them to the model directly.
void benchCsvImport(Workbench &workbench)
{
    constexpr int count = 10000;
    QString error;
    if (!workbench.loadPlugin(QStringLiteral(WATCHLIST_PLUGIN_PATH), &error)) {
        std::printf("\nCSV import: the plug-in does not load: %s\n", qPrintable(error));
        return;
    }
    QTemporaryDir dir;
    const QString name = QStringLiteral("CsvImport");
    if (!workbench.openProject(writeProject(dir, name, 2), &error)) {
        std::printf("\nCSV import: %s\n", qPrintable(error));
        workbench.unloadPlugins();
        return;
    }
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("D%1").arg(i % 8000));
    const QString file = dir.filePath(QStringLiteral("names.csv"));
    WatchListCsv::writeFile(file, names, &error);
    workbench.mainWindow()->show();
    workbench.solutionTree()->activate(name + QStringLiteral(".Watch List.List0"));
    QCoreApplication::processEvents();

    // The longest the event loop waited while the import ran.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(
        &ticks, &QTimer::timeout, [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    QElapsedTimer timer;
    timer.start();
    QStringList parsed;
    WatchListCsv::readFile(file, &parsed, &error);
    const double parseMs = double(timer.nsecsElapsed()) / 1e6;

    WatchListExchange exchange(&workbench);
    WatchListExchange::ImportResult result;
    sinceTick.start();
    ticks.start();
    timer.restart();
    const bool imported =
        exchange.importIntoWatchList({name, QStringLiteral("List0")}, file, &error, &result);
    const double importMs = double(timer.nsecsElapsed()) / 1e6;
    ticks.stop();
    if (!imported)
        std::printf("CSV import: %s\n", qPrintable(error));

    double directMs = 0;
    {
        const OpenProject model(name);
        WatchListObject *list = model->watchListModel()->getObject(QStringLiteral("List1"));
        timer.restart();
        for (const QString &entry : names)
            list->appendVariable(entry);
        directMs = double(timer.nsecsElapsed()) / 1e6;
    }
    std::printf("\nImporting %d names from CSV into an open watch list\n", count);
    std::printf("parse the file only:            %10.1f ms\n", parseMs);
    std::printf("import through the service:     %10.1f ms (%d added)\n", importMs, result.added);
    std::printf("append to the model directly:   %10.1f ms\n", directMs);
    std::printf("service / direct:               %10.0fx\n", importMs / directMs);
    std::printf("longest wait of the event loop: %10lld ms\n", static_cast<long long>(longestGap));
    std::printf("progress dialog appeared:       %10s\n", result.progressShown ? "yes" : "no");

    workbench.mainWindow()->hide();
    workbench.closeProject(name);
    workbench.unloadPlugins();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    Workbench workbench;
    auto project = std::make_unique<ProjectModel>(projectName.toStdString());
    project->setDeviceName(QStringLiteral("DEMO-FX"));
    ProjectModelManager::instance()->addProject(project.release());

    // Naming cases (opening, paging, editing, batch, project, csvimport,
    // deleting, scrollpaging, refresh, modbus, trend) runs only those.
    const QStringList cases = QCoreApplication::arguments().mid(1);
    const auto wanted = [&cases](const char *name) {
        return cases.isEmpty() || cases.contains(QLatin1String(name));
    };
    if (wanted("opening"))
        benchOpening();
    if (wanted("paging"))
        benchPaging();
    if (wanted("editing"))
        benchEditing();
    if (wanted("batch"))
        benchBatchExpansion();
    if (wanted("project"))
        benchOpeningProject(workbench);
    if (wanted("csvimport"))
        benchCsvImport(workbench);
    QString error;
    ac::ACCore::open(std::make_unique<ac::ACCore>(
        projectName.toStdString(), DeviceCatalog::create(QStringLiteral("DEMO-FX"), &error)));
    if (wanted("deleting"))
        benchDeleting(workbench);
    if (wanted("scrollpaging"))
        benchScrollPaging(workbench);
    if (wanted("refresh"))
        benchRefresh(workbench);
    if (wanted("modbus"))
        benchModbus(workbench);
    if (wanted("trend"))
        benchTrend(workbench);
    ac::ACCore::close(projectName.toStdString());

    ProjectModelManager::instance()->closeProject(projectName.toStdString());
    return 0;
}
