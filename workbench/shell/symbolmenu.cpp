#include "symbolmenu.h"

#include "plainmessagebox.h"
#include "projectmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QMainWindow>
#include <QMenu>
#include <QTreeWidget>

SymbolMenu::SymbolMenu(QTreeWidget *symbols, Workbench *workbench)
    : QObject(symbols)
    , m_symbols(symbols)
    , m_workbench(workbench)
{
    symbols->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(symbols, &QWidget::customContextMenuRequested, this, &SymbolMenu::show);
}

void SymbolMenu::show(const QPoint &pos)
{
    QTreeWidgetItem *item = m_symbols->itemAt(pos);
    if (!item)
        return;
    while (item->parent())
        item = item->parent();
    const QString symbol = item->text(0);

    // The watch-list service adds to the current project's lists, so the menu
    // offers those, whatever project the window happens to list.
    const QString project = m_workbench->currentProject();
    QStringList lists;
    if (const OpenProject model(project); model)
        lists = model->watchListModel()->getWatchListNames();
    QMenu menu;
    QMenu *add = menu.addMenu(tr("Add to Watch List"));
    add->setEnabled(!lists.isEmpty());
    for (const QString &list : lists)
        add->addAction(list)->setData(list);
    if (QAction *chosen = menu.exec(m_symbols->viewport()->mapToGlobal(pos)))
        addSymbolToWatchList(project, chosen->data().toString(), symbol);
}

void SymbolMenu::addSymbolToWatchList(const QString &project,
                                      const QString &watchListName,
                                      const QString &symbol)
{
    const auto entryCount = [&]() -> int {
        const OpenProject model(project);
        WatchListObject *list = model ? model->watchListModel()->getObject(watchListName) : nullptr;
        return list ? list->getCount() : -1;
    };
    QString problem;
    // The menu ran its own event loop: the project may have changed meanwhile.
    const int before = project == m_workbench->currentProject() ? entryCount() : -1;
    if (before < 0) {
        problem =
            tr("The watch list \"%1\" is no longer in the current project.").arg(watchListName);
    } else if (!m_workbench->addToWatchList(watchListName, symbol)) {
        problem = tr("No watch-list service is loaded.");
    } else if (entryCount() <= before) {
        problem = tr("The watch list \"%1\" refused the entry.").arg(watchListName);
    }
    if (!problem.isEmpty()) {
        showPlainMessage(m_workbench->mainWindow(),
                         QMessageBox::Warning,
                         tr("Add to Watch List"),
                         tr("\"%1\" was not added: %2").arg(symbol, problem));
    }
}
