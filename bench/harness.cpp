#include "harness.h"

#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <memory>
#include <vector>

namespace bench {

const QString projectName = QStringLiteral("Bench");

// Median of several runs; setup runs before each and is not timed.
Result measure(int runs,
               const std::function<void()> &setup,
               const std::function<int()> &work,
               const std::function<void()> &teardown)
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

bool loadPlugin(Workbench &workbench, const char *caseTitle)
{
    QString error;
    if (workbench.loadPlugin(QStringLiteral(WATCHLIST_PLUGIN_PATH), &error))
        return true;
    std::printf("\n%s: the plug-in does not load: %s\n", caseTitle, qPrintable(error));
    return false;
}

QVector<Symbol> numberedSymbols(int count, int ownAddresses)
{
    QVector<Symbol> symbols;
    symbols.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int own = i - (count - ownAddresses);
        symbols.append(
            Symbol{QStringLiteral("S%1").arg(i),
                   QStringLiteral("INT"),
                   own >= 0 ? QStringLiteral("R%1").arg(own) : QStringLiteral("D%1").arg(i % 8000),
                   {},
                   {}});
    }
    return symbols;
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

bool reportRatio(const char *what, const std::vector<double> &ratios, double target)
{
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    const double middle = median(ratios);
    // No ratio at all is a case that did not run, not one within its target.
    const bool met = !ratios.empty() && middle <= target;
    std::printf("%s: %.2fx (%.2f-%.2fx over %zu runs), target <= %.1fx: %s\n",
                what,
                middle,
                ratios.empty() ? 0.0 : *low,
                ratios.empty() ? 0.0 : *high,
                ratios.size(),
                target,
                verdict(met));
    return met;
}

Paired
pairedRuns(int runs, const std::function<double()> &work, const std::function<double()> &floor)
{
    Paired paired;
    for (int run = 0; run < runs; ++run) {
        double worked = 0;
        double floored = 0;
        if (run % 2 == 0) {
            worked = work();
            floored = floor();
        } else {
            floored = floor();
            worked = work();
        }
        paired.work.push_back(worked);
        paired.floor.push_back(floored);
        paired.ratios.push_back(worked / floored);
    }
    return paired;
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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Heap bytes in use, to compare what two trees keep per row.
qint64 heapInUse()
{
    return qint64(mallinfo2().uordblks);
}

} // namespace bench
