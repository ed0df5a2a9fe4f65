// Comparing two long watch lists of two projects, as Compare Projects does.

#include "harness.h"

#include "comparatormanager.h"
#include "icomparator.h"
#include "projectmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace bench {

namespace {

// The entries D0, D1, ... of a list, built afresh so that two lists share no text.
QStringList entries(int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(QStringLiteral("D%1").arg(i % 8000));
    return names;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

// Two equal lists of 1,000,000 entries through the registered comparator,
// against QStringList == on their entries. Each repetition changes the last
// entry of both lists and back, so nothing computed earlier can be reused.
void benchCompare(Workbench &workbench)
{
    constexpr int count = 1000000;
    constexpr int runs = 5;
    if (!loadPlugin(workbench, "Compare"))
        return;
    QString error;
    QTemporaryDir dir;
    const QStringList projects{QStringLiteral("CompareA"), QStringLiteral("CompareB")};
    for (const QString &project : projects) {
        if (!workbench.openProject(writeProject(dir, project, 1), &error)) {
            std::printf("\nCompare: %s\n", qPrintable(error));
            workbench.unloadPlugins();
            return;
        }
        const OpenProject model(project);
        model->watchListModel()->getObject(QStringLiteral("List0"))->setVariables(entries(count));
    }
    IComparator *comparator = workbench.comparators()->comparator(QStringLiteral("TYPE.WATCHLIST"));
    const auto item = [](const QString &project) {
        return ComparisonItem{QStringLiteral("List0"),
                              project,
                              project + QStringLiteral(".Watch List.List0"),
                              QStringLiteral("TYPE.WATCHLIST")};
    };
    std::vector<double> ratios;
    std::vector<double> comparing;
    bool same = comparator != nullptr;
    for (int run = 0; run < runs && comparator; ++run) {
        const OpenProject a(projects[0]);
        const OpenProject b(projects[1]);
        WatchListObject *first = a->watchListModel()->getObject(QStringLiteral("List0"));
        WatchListObject *second = b->watchListModel()->getObject(QStringLiteral("List0"));
        for (const QString &last : {QStringLiteral("M0"), QStringLiteral("D1")}) {
            first->setVariableName(count - 1, last);
            second->setVariableName(count - 1, last);
        }
        QElapsedTimer timer;
        double compareMs = 0;
        double floorMs = 0;
        for (int side = 0; side < 2; ++side) {
            timer.start();
            if ((side + run) % 2 == 0) {
                same = comparator->isSame(item(projects[0]), item(projects[1])) && same;
                compareMs = elapsedMs(timer);
            } else {
                const QStringList left = first->variables();
                const QStringList right = second->variables();
                same = left == right && same;
                floorMs = elapsedMs(timer);
            }
        }
        comparing.push_back(compareMs);
        ratios.push_back(compareMs / floorMs);
    }
    std::printf("\nComparing two watch lists of %d equal entries\n", count);
    std::printf("through the comparator:         %10.1f ms (median)\n", median(comparing));
    std::printf("found the same:                 %10s\n", same ? "yes" : "NO");
    reportRatio("comparator / QStringList ==", ratios, 3.0);
    for (const QString &project : projects)
        workbench.closeProject(project);
    workbench.unloadPlugins();
}

} // namespace bench
