// Importing a CSV file of names into a shown watch-list window.

#include "harness.h"

#include "projectmodel.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "vartreewidget.h"
#include "watchlistcsv.h"
#include "watchlistexchange.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

const QString importName = QStringLiteral("CsvImport");

struct ImportRun
{
    double ms = 0;
    qint64 longestGap = 0; // the longest the event loop waited meanwhile
    bool ended = false;    // every name added, the last row current
    bool progressShown = false;
};

// The import as the user starts it: into the shown window of List0, through
// the plug-in's service, until the window has made the last name current.
ImportRun importThroughService(Workbench &workbench, const QString &file, int count)
{
    workbench.solutionTree()->activate(importName + QStringLiteral(".Watch List.List0"));
    QCoreApplication::processEvents();
    QElapsedTimer sinceTick;
    ImportRun run;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        run.longestGap = std::max(run.longestGap, sinceTick.restart());
    });
    WatchListExchange exchange(&workbench);
    WatchListExchange::ImportResult result;
    QString error;
    sinceTick.start();
    ticks.start();
    QElapsedTimer timer;
    timer.start();
    const bool imported =
        exchange.importIntoWatchList({importName, QStringLiteral("List0")}, file, &error, &result);
    QCoreApplication::processEvents(); // the window's last show
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    ticks.stop();
    if (!imported)
        std::printf("CSV import: %s\n", qPrintable(error));
    QWidget *window = workbench.toolWindows()->toolWindowWidget(QStringLiteral("watchlist.List0"));
    auto tree = window ? window->findChild<VarTreeWidget *>() : nullptr;
    run.ended = imported && result.added == count && tree &&
                tree->indexOfTopLevelItem(tree->currentItem()) == count + 1;
    run.progressShown = result.progressShown;
    return run;
}

// The least the import can cost: parse the file, append the names to a list
// of the model, and show them in a bare tree with the last row current. With
// uniform rows the bare tree takes the shortcut the window's tree takes.
double importFloor(Workbench &workbench, const QString &file, bool uniformRows)
{
    QElapsedTimer timer;
    timer.start();
    QStringList names;
    QString error;
    WatchListCsv::readFile(file, &names, &error);
    const OpenProject model(importName);
    WatchListObject *list = model->watchListModel()->getObject(QStringLiteral("List1"));
    for (const QString &name : names)
        list->appendVariable(name);
    QTreeWidget tree(workbench.mainWindow());
    tree.setColumnCount(10);
    tree.setUniformRowHeights(uniformRows);
    tree.resize(windowWidth, windowHeight);
    tree.show();
    QList<QTreeWidgetItem *> items;
    items.reserve(names.size() + 1);
    for (const QString &name : names)
        items.append(new QTreeWidgetItem(QStringList{name}));
    tree.addTopLevelItems(items);
    tree.setCurrentItem(items.last());
    QCoreApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

// Importing CSV files of 10,000 and 50,000 names into the shown window of a
// watch list through the plug-in's service, against the floor above. Each
// repetition opens the project afresh and alternates which side goes first.
void benchCsvImport(Workbench &workbench)
{
    constexpr int runs = 5;
    if (!loadPlugin(workbench, "CSV import"))
        return;
    QString error;
    QTemporaryDir dir;
    workbench.mainWindow()->show();
    for (const int count : {10000, 50000}) {
        QStringList names;
        for (int i = 0; i < count; ++i)
            names.append(QStringLiteral("D%1").arg(i % 8000));
        const QString file = dir.filePath(QStringLiteral("names.csv"));
        WatchListCsv::writeFile(file, names, &error);
        std::vector<double> ratios;
        std::vector<double> uniformRatios;
        std::vector<double> imports;
        std::vector<double> floors;
        std::vector<double> uniformFloors;
        ImportRun worst;
        bool ended = true;
        for (int run = 0; run < runs; ++run) {
            if (!workbench.openProject(writeProject(dir, importName, 2), &error)) {
                std::printf("\nCSV import: %s\n", qPrintable(error));
                break;
            }
            ImportRun imported;
            double floor = 0;
            double uniformFloor = 0;
            if (run % 2 == 0) {
                imported = importThroughService(workbench, file, count);
                floor = importFloor(workbench, file, false);
                uniformFloor = importFloor(workbench, file, true);
            } else {
                uniformFloor = importFloor(workbench, file, true);
                floor = importFloor(workbench, file, false);
                imported = importThroughService(workbench, file, count);
            }
            workbench.closeProject(importName);
            ended = ended && imported.ended;
            worst.longestGap = std::max(worst.longestGap, imported.longestGap);
            worst.progressShown = worst.progressShown || imported.progressShown;
            imports.push_back(imported.ms);
            floors.push_back(floor);
            uniformFloors.push_back(uniformFloor);
            ratios.push_back(imported.ms / floor);
            uniformRatios.push_back(imported.ms / uniformFloor);
        }
        std::printf("\nImporting %d names from CSV into a shown watch list\n", count);
        std::printf("import through the service:     %10.1f ms (median)\n", median(imports));
        std::printf("floor (parse, append, bare tree):%9.1f ms (median)\n", median(floors));
        std::printf("the same with uniform rows:     %10.1f ms (median)\n", median(uniformFloors));
        std::printf("longest wait of the event loop: %10lld ms\n",
                    static_cast<long long>(worst.longestGap));
        std::printf("progress dialog appeared:       %10s\n", worst.progressShown ? "yes" : "no");
        std::printf("every name added, the last current: %5s\n", ended ? "yes" : "NO");
        if (uniformRatios.empty())
            break;
        const auto [low, high] = std::minmax_element(uniformRatios.begin(), uniformRatios.end());
        std::printf("import / bare tree with uniform rows: %.2fx (%.2f-%.2fx), for information: "
                    "the rest is the service's cost a name (lookups, an undo step)\n",
                    median(uniformRatios),
                    *low,
                    *high);
        reportRatio("import / floor", ratios, 2.0);
    }
    workbench.mainWindow()->hide();
    workbench.unloadPlugins();
}

} // namespace bench
