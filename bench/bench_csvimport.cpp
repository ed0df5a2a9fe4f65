// Importing a CSV file of names into a shown watch-list window.

#include "harness.h"

#include "projectmodel.h"
#include "solutiontree.h"
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
#include <algorithm>
#include <cstdio>

namespace bench {

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

} // namespace bench
