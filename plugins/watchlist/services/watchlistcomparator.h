#pragma once

#include "icomparator.h"

// Tells whether two watch-list nodes of two projects hold the same watch list.
class WatchListComparator : public IComparator
{
public:
    ~WatchListComparator() override;

    QString typeKey() const override;
    bool isSame(const ComparisonItem &a, const ComparisonItem &b) override;
    bool canMerge(const ComparisonItem &from, const ComparisonItem &to) override;
    QWidget *
    createDiffView(const ComparisonItem &a, const ComparisonItem &b, QWidget *parent) override;
};
