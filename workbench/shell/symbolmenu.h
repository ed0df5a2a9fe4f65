#pragma once

#include <QCoreApplication>
#include <QObject>

class QPoint;
class QTreeWidget;
class Workbench;

// The Symbols window's context menu: "Add to Watch List" offers the current
// project's lists and puts the symbol into the chosen one through the
// watch-list service, saying why when the entry did not arrive.
class SymbolMenu : public QObject
{
    Q_DECLARE_TR_FUNCTIONS(Workbench)
public:
    SymbolMenu(QTreeWidget *symbols, Workbench *workbench);

private:
    void show(const QPoint &pos);
    void addSymbolToWatchList(const QString &project,
                              const QString &watchListName,
                              const QString &symbol);

    QTreeWidget *m_symbols;
    Workbench *m_workbench;
};
