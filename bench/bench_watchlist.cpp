// Costs of the watch-list window that users feel: opening long lists,
// paging to their end, inserting and deleting rows. Each figure is printed
// with the baseline it is compared with, measured in the same run.

#include "abstractprojectmodel.h"
#include "accore.h"
#include "batchmonotordlg.h"
#include "devicecatalog.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
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
    std::printf("\nOpening a watch list (window %dx%d; median of runs)\n", windowWidth, windowHeight);
    std::printf("%12s %12s %10s %12s %10s %14s %10s\n",
                "entries", "lazy ms", "items", "eager ms", "items", "eager/lazy", "lazy/floor");
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
            size >= 1000000 ? 5 : 9, {}, [&] { return openWindow(widget, name); }, [&] {
                widget.reset();
            });
        std::unique_ptr<QTreeWidget> bare;
        const Result floor = measure(9, {}, [&] { return openFloor(bare, lazy.items); }, [&] {
            bare.reset();
        });
        std::unique_ptr<QTreeWidget> eagerTree;
        const Result eager = measure(size >= 1000000 ? 1 : 3, {}, [&] {
            return openEager(eagerTree, name);
        }, [&] { eagerTree.reset(); });

        if (size == 1000)
            lazy1000 = lazy.ms;
        if (size == 1000000) {
            eagerRatioAtMillion = eager.ms / lazy.ms;
            lazyMillion = lazy.ms;
        }
        const double overFloor = lazy.ms / floor.ms;
        allWithinFloor = allWithinFloor && overFloor <= 3.0;
        std::printf("%12d %12.2f %10d %12.1f %10d %13.0fx %9.2fx\n",
                    size, lazy.ms, lazy.items, eager.ms, eager.items, eager.ms / lazy.ms,
                    overFloor);
        benchList(name)->setVariables({});
    }
    const double growth = lazyMillion / lazy1000;
    std::printf("open 1,000,000 / open 1,000: %.2fx (target <= 1.5x: %s)\n", growth,
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
    std::printf("\nPaging through %d entries, %d rows a page (%zu pages)\n", size, page,
                pages.size());
    std::printf("first pages %.3f ms, last pages %.3f ms: last/first %.2fx (target <= 1.5x: %s)\n",
                first, last, last / first, verdict(last / first <= 1.5));
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

    std::printf("\nEditing a list of %d entries (%d rows loaded)\n", size, widget->lastLoadedRow() + 1);
    const Result insert = measure(5, [&] {
        tree->clearSelection();
        tree->topLevelItem(0)->setSelected(true);
    }, [&] {
        widget->insertRowAtSelection();
        return benchList(name)->getCount();
    });
    std::printf("insert at row 0: %.2f ms, %.3f us for each entry moved down\n", insert.ms,
                insert.ms * 1000 / insert.items);

    // Load a spread of rows, then delete 1,000 of them, scattered over the loaded range.
    widget->showVariable(5000);
    const int loaded = widget->lastLoadedRow() + 1;
    const Result remove = measure(1, [&] {
        tree->clearSelection();
        for (int i = 0; i < 1000; ++i)
            tree->topLevelItem((i * 4999) % loaded)->setSelected(true);
    }, [&] {
        widget->deleteSelectedRows();
        return benchList(name)->getCount();
    });
    std::printf("delete 1,000 scattered rows: %.2f ms, %.4f ms a row\n", remove.ms,
                remove.ms / 1000);
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
            {QStringLiteral("entries"), QJsonArray{QStringLiteral("D%1").arg(i % 8000),
                                                   QStringLiteral("M%1").arg(i % 100)}},
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
    const QJsonArray lists =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("watchLists")).toArray();
    tree = std::make_unique<QTreeWidget>();
    tree->setHeaderHidden(true);
    tree->show();
    auto *project = new QTreeWidgetItem(QStringList{QStringLiteral("Project")});
    tree->addTopLevelItem(project);
    project->setExpanded(true);
    auto *folder = new QTreeWidgetItem(QStringList{QStringLiteral("Watch List")});
    project->addChild(folder);
    for (const QJsonValue &list : lists)
        folder->addChild(
            new QTreeWidgetItem(QStringList{list.toObject().value(QLatin1String("name")).toString()}));
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
    std::printf("%12s %12s %12s %10s %14s\n", "lists", "open ms", "floor ms", "open/floor",
                "us per list");
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
        const Result floor = measure(3, {}, [&] { return openFloor(path, bare); }, [&] {
            bare.reset();
        });
        const double ratio = open.ms / floor.ms;
        if (lists == 100000)
            withinFloor = ratio <= 3.0;
        std::printf("%12d %12.1f %12.1f %9.2fx %14.2f\n", open.items, open.ms, floor.ms, ratio,
                    open.ms * 1000 / lists);
    }
    std::printf("open 100,000 lists / floor: target <= 3x: %s\n", verdict(withinFloor));
    workbench.unloadPlugins();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    Workbench workbench;
    auto project = std::make_unique<ProjectModel>(projectName.toStdString());
    project->setDeviceName(QStringLiteral("DEMO-FX"));
    ProjectModelManager::instance()->addProject(project.release());

    // Naming cases (opening, paging, editing, batch, project) runs only those.
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

    ProjectModelManager::instance()->closeProject(projectName.toStdString());
    return 0;
}
