#pragma once

#include <QString>

class QWidget;

// One node taking part in a project comparison.
struct ComparisonItem
{
    QString title;       // what the comparison shows for the node
    QString projectName; // the project as the data model knows it
    QString path;        // the node's path in the solution tree
    QString typeKey;     // the node's type ("TYPE.WATCHLIST", ...)
};

// Decides, for one node type, whether two nodes of two projects are the same.
class IComparator
{
public:
    virtual ~IComparator() = default;

    virtual QString typeKey() const = 0;
    virtual bool isSame(const ComparisonItem &a, const ComparisonItem &b) = 0;
    // Whether the comparison may copy a's content over b's.
    virtual bool canMerge(const ComparisonItem &from, const ComparisonItem &to) = 0;
    // A view of the differences, or null when the comparator has none to offer.
    virtual QWidget *
    createDiffView(const ComparisonItem &a, const ComparisonItem &b, QWidget *parent) = 0;
};
