#include "watchlistwidget.h"

#include "entrycommand.h"
#include "showmodes.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget_p.h"

#include <QItemSelectionModel>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <algorithm>
#include <iterator>
#include <numeric>

// Edits of the list through its rows: typed entries, Insert, Delete, show
// modes, and reading rows again after an undo or redo.

using namespace WatchListWindow;

namespace {

// The undo step's text for deleting the change's entries.
QString deleteStepText(const EntryCommand::Change &change, const QString &watchListName)
{
    if (change.entries.size() > 1)
        return EntryCommand::tr("Delete %L1 rows from %2")
            .arg(change.entries.size())
            .arg(watchListName);
    if (change.entries.first().name.isEmpty())
        return EntryCommand::tr("Delete an empty row from %1").arg(watchListName);
    return EntryCommand::tr("Delete %1 from %2").arg(change.entries.first().name, watchListName);
}

// Takes the rows (ascending) off the tree, the current row where the removals
// would have left it.
void removeTreeRows(VarTreeWidget *tree, const QVector<int> &rows)
{
    // A current row among the deleted ones moves to its neighbour at each
    // removal, and each move lays the whole tree out again. It is parked
    // for the loop and put afterwards where those moves would have left it.
    QItemSelectionModel *selection = tree->selectionModel();
    const QModelIndex current = selection->currentIndex();
    int currentRow = current.isValid() && !current.parent().isValid() ? current.row() : -1;
    const bool parked =
        currentRow >= 0 && std::binary_search(rows.cbegin(), rows.cend(), currentRow);
    if (parked)
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        if (*row < currentRow)
            --currentRow;
        else if (*row == currentRow)
            currentRow = std::max(currentRow - 1, 0);
    }
    // Each removal is a round of model signals and a layout, whatever its
    // size: a block of rows goes as one range, from the last block up.
    for (auto end = rows.crbegin(); end != rows.crend();) {
        auto first = end;
        while (std::next(first) != rows.crend() && *std::next(first) == *first - 1)
            ++first;
        tree->model()->removeRows(*first, *end - *first + 1);
        end = std::next(first);
    }
    if (parked) {
        selection->setCurrentIndex(tree->model()->index(currentRow, current.column()),
                                   QItemSelectionModel::NoUpdate);
    }
}

} // namespace

void WatchListWidget::writeRow(const Lookup &list, const ShowModes &modes, int row)
{
    const QString name = list->getVariableName(row);
    varTree->setVariable(row, name, name);
    varTree->setIntegerShowMode(row, modes.modeAt(row));
}

void WatchListWidget::refreshRow(int row)
{
    const Lookup list = findWatchListObject();
    if (list && row < list->getCount() && row < varTree->topLevelItemCount())
        writeRow(list, ShowModes::fromPropertys(list->getPropertys()), row);
}

void WatchListWidget::reloadFrom(int first)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    const int count = list->getCount();
    const int loaded = std::max(lastLoadedRow() + 1, 0);
    int target = std::min(std::max(loaded, visibleRowsWanted()), count);
    if (target == count - 1)
        ++target;
    first = std::max(0, std::min({first, loaded, target}));

    const PagingHold hold(this);
    varTree->enableWatch(false);
    if (target < loaded) {
        // The rows of entries go, the empty last row stays, with an editor
        // the user may have open in it. A current row among those going is
        // parked, or it would move at each row taken off.
        QItemSelectionModel *selection = varTree->selectionModel();
        const QModelIndex current = selection->currentIndex();
        const bool parked = current.isValid() && !current.parent().isValid() &&
                            current.row() >= target && current.row() < loaded;
        if (parked)
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        for (int row = loaded - 1; row >= target; --row)
            varTree->removeRow(row);
        if (parked) {
            selection->setCurrentIndex(varTree->model()->index(target, current.column()),
                                       QItemSelectionModel::NoUpdate);
        }
    } else if (target > loaded) {
        varTree->setRowCount(target + 1);
    }
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    for (int row = first; row < target; ++row)
        writeRow(list, modes, row);
    varTree->enableWatch(true);
}

void WatchListWidget::onEntriesChanged(const QString &project,
                                       const QString &watchList,
                                       int firstIndex)
{
    if (project == projectName && watchList == watchListName)
        reloadFrom(firstIndex);
}

void WatchListWidget::onVariableChanged(int rowIndex, QString varFullName)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    if (rowIndex >= list->getCount() || rowIndex > lastLoadedRow()) {
        addTypedEntry(list, rowIndex, varFullName);
        return;
    }
    const QString previous = list->getVariableName(rowIndex);
    if (previous == varFullName)
        return;
    EntryCommand::Change change;
    change.kind = EntryCommand::Replace;
    change.entries = {{rowIndex, varFullName}};
    change.previous = QStringList{previous};
    const QString text =
        previous.isEmpty() ? EntryCommand::tr("Type %1 into %2").arg(varFullName, watchListName)
        : varFullName.isEmpty()
            ? EntryCommand::tr("Clear %1 in %2").arg(previous, watchListName)
            : EntryCommand::tr("Change %1 to %2 in %3").arg(previous, varFullName, watchListName);
    EntryCommand::perform(projectName, list.list, change, text);
}

void WatchListWidget::addTypedEntry(const Lookup &list, int rowIndex, const QString &name)
{
    // Past the end the row is the one to type into; the empty last row of a
    // list not loaded to its end stands for an entry the user has not seen,
    // which stays, below the typed one.
    const int count = list->getCount();
    rowIndex = std::min(rowIndex, count);
    EntryCommand::Change change;
    change.entries = {{rowIndex, name}};
    if (!EntryCommand::perform(projectName,
                               list.list,
                               change,
                               EntryCommand::tr("Add %1 to %2").arg(name, watchListName))) {
        // Only a full list refuses an entry; the row must not show one it lacks.
        varTree->setVariable(rowIndex, QString(), QString());
        return;
    }
    if (rowIndex == count) {
        varTree->setRowCount(count + 2);
    } else {
        varTree->setRowCount(rowIndex + 2);
        refreshRow(rowIndex);
    }
    // As in a spreadsheet, Enter moves on to the next row, so typing on adds
    // entries instead of replacing the one just typed. Once the editor is
    // closed: moving the current row from inside its commit closes it twice.
    const QPointer<VarTreeWidget> tree(varTree);
    QMetaObject::invokeMethod(
        varTree,
        [tree, row = rowIndex + 1] {
            if (tree && row < tree->topLevelItemCount())
                tree->setCurrentRow(row);
        },
        Qt::QueuedConnection);
}

QVector<int> WatchListWidget::selectedRows() const
{
    // The selection's ranges know each row; asking the tree item by item
    // costs a search per item in a long list, and listing every selected
    // index makes ten of each row.
    QVector<int> rows;
    const QItemSelection selection = varTree->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        if (range.parent().isValid() || range.left() > 0)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    return rows;
}

void WatchListWidget::insertRowAtSelection()
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    const QVector<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int r = std::min(rows.first(), list->getCount());

    EntryCommand::Change change;
    change.entries = {{r, QString()}};
    if (!EntryCommand::perform(projectName,
                               list.list,
                               change,
                               EntryCommand::tr("Insert a row into %1").arg(watchListName)))
        return;

    varTree->enableWatch(false);
    QScrollBar *scrollBar = varTree->verticalScrollBar();
    const int scrollValue = scrollBar->value();
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    // Loaded rows move down with their entries, and take their view state along.
    const int n = std::min(list->getCount(), varTree->topLevelItemCount());
    for (int i = n - 1; i > r; --i) {
        QMap<QString, QMap<QString, QVariant>> states;
        varTree->saveItemStates(varTree->topLevelItem(i - 1), states);
        writeRow(list, modes, i);
        varTree->restoreItemStates(varTree->topLevelItem(i), states);
    }
    if (r < varTree->topLevelItemCount())
        writeRow(list, modes, r);

    scrollBar->setValue(scrollValue);
    varTree->enableWatch(true);
    loadRows(pageRows);
}

QVector<int> WatchListWidget::rowsToDelete(QVector<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // The empty last row has no entry; in a list not loaded to its end it
    // stands for one the user has not seen, which is not deleted.
    const int loaded = std::min(lastLoadedRow() + 1, count);
    rows.erase(std::lower_bound(rows.begin(), rows.end(), loaded), rows.end());
    if (rows.size() < loaded || loaded == count || loaded == 0)
        return rows;

    // Every row on show is selected, and the list goes on below them: the
    // user meant all of it, or wants to be asked.
    const QPointer<WatchListWidget> self(this);
    if (tell(QMessageBox::Question,
             tr("Tip"),
             tr("Delete all %L1 entries of %2?").arg(count).arg(watchListName),
             QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) != QMessageBox::Yes ||
        !self)
        return {};
    QVector<int> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

void WatchListWidget::deleteSelectedRows()
{
    int count = 0;
    {
        const Lookup list = findWatchListObject();
        if (!list)
            return;
        count = list->getCount();
    }
    const QPointer<WatchListWidget> self(this);
    const QVector<int> rows = rowsToDelete(selectedRows(), count);
    // The question gave the host time to close the window or the project.
    if (!self || rows.isEmpty())
        return;
    const Lookup list = findWatchListObject();
    if (!list || list->getCount() != count)
        return;

    EntryCommand::Change change;
    change.kind = EntryCommand::Remove;
    change.entries.reserve(rows.size());
    for (int row : rows)
        change.entries.append({row, list->getVariableName(row)});
    if (!EntryCommand::perform(
            projectName, list.list, change, deleteStepText(change, watchListName)))
        return;

    if (rows.size() == count) {
        // All at once: row by row, the current row would move at each removal.
        const PagingHold hold(this);
        varTree->clear();
        varTree->setRowCount(1);
    } else {
        const PagingHold hold(this);
        removeTreeRows(varTree, rows);
    }
    // Never a blank window over a list that has more entries.
    topUp();
}

void WatchListWidget::appendVariableRow(const QString &name, int showMode)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    EntryCommand::Change change;
    change.entries = {{list->getCount(), name}};
    change.modeFirst = list->getCount();
    change.modeCount = 1;
    change.mode = showMode;
    EntryCommand::perform(
        projectName, list.list, change, EntryCommand::tr("Add %1 to %2").arg(name, watchListName));
}

void WatchListWidget::onItemChanged(QTreeWidgetItem *item, int column)
{
    if (column != VarTreeWidget::ShowModeColumn)
        return;
    const int row = varTree->indexOfTopLevelItem(item);
    const int mode = item->data(VarTreeWidget::ShowModeColumn, Qt::UserRole).toInt();
    if (row < 0 || row > lastLoadedRow() || (mode != 2 && mode != 10 && mode != 16))
        return;
    const Lookup list = findWatchListObject();
    if (!list || row >= list->getCount() ||
        ShowModes::fromPropertys(list->getPropertys()).modeAt(row) == mode)
        return;
    EntryCommand::Change change;
    change.kind = EntryCommand::Modes;
    change.modeFirst = row;
    change.modeCount = 1;
    change.mode = mode;
    const QString radix = mode == 2 ? tr("Binary") : mode == 16 ? tr("Hexadecimal") : tr("Decimal");
    EntryCommand::perform(projectName,
                          list.list,
                          change,
                          EntryCommand::tr("Show %1 in %2").arg(list->getVariableName(row), radix));
}
