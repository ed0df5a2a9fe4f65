#pragma once

#include <QString>
#include <QVector>

class ComparatorManager;
class SolutionTree;

struct WatchListComparison
{
    enum Result { Same, Different, OnlyInFirst, OnlyInSecond, NotComparable };
    QString name;
    Result result = NotComparable;
};

// Pairs the watch-list nodes of two open projects by name and asks the
// comparator registered for each pair's node type whether they are the same.
QVector<WatchListComparison> compareWatchLists(const SolutionTree &tree,
                                               const ComparatorManager &comparators,
                                               const QString &first,
                                               const QString &second);
