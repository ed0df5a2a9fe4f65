#pragma once

#include "iwatchlist.h"

class WatchListInstance : public IWatchList
{
    Q_OBJECT
public:
    explicit WatchListInstance(QObject *parent);

    void addVariable(const QString &watchListName, const QString &variableName) override;

signals:
    // The variable is the watch list's entry rowIndex, counted from 0.
    void showVariable(const QString &watchListName, int rowIndex);
};
