#include "watchlistwidget.h"

#include "entrycommand.h"
#include "showmodes.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget_p.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QRegularExpression>

#include <algorithm>

// Rows as a spreadsheet's keys handle them: copied out as tab-separated
// cells, names pasted in from the first column of whatever was copied, rows
// moved up and down.

using namespace WatchListWindow;

namespace {

// A cell's text on one line and in one cell: a tab or a line break inside a
// comment would shift every cell after it.
QString cellText(QString text)
{
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n]+"));
    return text.replace(breaks, QStringLiteral(" "));
}

} // namespace

int WatchListWidget::currentEntryRow() const
{
    const QModelIndex current = varTree->currentIndex();
    if (!current.isValid())
        return -1;
    return current.parent().isValid() ? current.parent().row() : current.row();
}

QVector<int> WatchListWidget::selectedEntryRows(int count) const
{
    QVector<int> rows = selectedRows();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [count](int row) { return row >= count; }),
               rows.end());
    return rows;
}

QString WatchListWidget::selectedRowsText() const
{
    const Lookup list = findWatchListObject();
    if (!list)
        return QString();
    QStringList lines;
    for (int row : selectedEntryRows(list->getCount())) {
        const QTreeWidgetItem *item = varTree->topLevelItem(row);
        if (!item)
            continue;
        QStringList cells{cellText(list->getVariableName(row))};
        for (int column : {VarTreeWidget::ValueColumn,
                           VarTreeWidget::DataTypeColumn,
                           VarTreeWidget::AddressColumn,
                           VarTreeWidget::CommentColumn})
            cells.append(cellText(item->text(column)));
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void WatchListWidget::copySelectedRows()
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void WatchListWidget::cutSelectedRows()
{
    const QString text = selectedRowsText();
    if (text.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(text);
    deleteSelectedRows();
}

bool WatchListWidget::pasteRows(const QString &text)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return false;
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    QStringList names;
    for (const QString &line : text.split(lineBreak)) {
        const QString name = line.section(QLatin1Char('\t'), 0, 0).trimmed();
        if (!name.isEmpty())
            names.append(name);
    }
    if (names.isEmpty())
        return false;

    const int current = currentEntryRow();
    const int first = current < 0 ? list->getCount() : std::min(current, list->getCount());
    EntryCommand::Change change;
    for (int i = 0; i < names.size(); ++i)
        change.entries.append({first + i, names[i]});
    const QString step =
        names.size() == 1
            ? EntryCommand::tr("Paste %1 into %2").arg(names.first(), watchListName)
            : EntryCommand::tr("Paste %L1 names into %2").arg(names.size()).arg(watchListName);
    if (!EntryCommand::perform(projectName, list.list, change, step))
        return false;
    reloadFrom(first);
    showVariable(first + names.size() - 1);
    // The pasted rows selected, as a spreadsheet leaves them.
    varTree->selectionModel()->select(
        QItemSelection(varTree->model()->index(first, 0),
                       varTree->model()->index(first + names.size() - 1, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

bool WatchListWidget::moveSelectedRows(int delta)
{
    const Lookup list = findWatchListObject();
    if (!list || (delta != -1 && delta != 1))
        return false;
    const int count = list->getCount();
    // The empty last row stands for no entry and stays where it is.
    const QVector<int> rows = selectedEntryRows(count);
    if (rows.isEmpty() || (delta < 0 && rows.first() == 0) ||
        (delta > 0 && rows.last() == count - 1))
        return false;

    const int first = rows.first() + std::min(delta, 0);
    const int last = rows.last() + std::max(delta, 0);
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    QStringList names;
    QVector<int> rowModes;
    for (int row = first; row <= last; ++row) {
        names.append(list->getVariableName(row));
        rowModes.append(modes.modeAt(row));
    }
    const QStringList previous = names;
    // Each selected row trades places with its neighbour, the rows nearest
    // the way they go first, so that a block moves as one.
    QVector<int> moved;
    const auto trade = [&](int row) {
        std::swap(names[row - first], names[row + delta - first]);
        std::swap(rowModes[row - first], rowModes[row + delta - first]);
        moved.append(row + delta);
    };
    if (delta < 0)
        std::for_each(rows.cbegin(), rows.cend(), trade);
    else
        std::for_each(rows.crbegin(), rows.crend(), trade);

    EntryCommand::Change change;
    change.kind = EntryCommand::Replace;
    change.previous = previous;
    for (int row = first; row <= last; ++row)
        change.entries.append({row, names[row - first]});
    change.entryModes = rowModes;
    const QString step = rows.size() == 1
                             ? (delta < 0 ? EntryCommand::tr("Move %1 up in %2")
                                          : EntryCommand::tr("Move %1 down in %2"))
                                   .arg(previous[rows.first() - first], watchListName)
                             : (delta < 0 ? EntryCommand::tr("Move %L1 rows up in %2")
                                          : EntryCommand::tr("Move %L1 rows down in %2"))
                                   .arg(rows.size())
                                   .arg(watchListName);
    if (!EntryCommand::perform(projectName, list.list, change, step))
        return false;
    if (last > lastLoadedRow()) {
        // An entry from below the loaded rows came up: paging loads it.
        reloadFrom(first);
    } else {
        // Only the rows between the first and the last moved changed.
        varTree->enableWatch(false);
        const ShowModes modesAfter = ShowModes::fromPropertys(list->getPropertys());
        for (int row = first; row <= last; ++row)
            writeRow(list, modesAfter, row);
        varTree->enableWatch(true);
    }

    // The moved rows stay selected, the current one with them.
    const int currentRow = currentEntryRow();
    QItemSelection selection;
    for (int row : moved)
        selection.select(varTree->model()->index(row, 0), varTree->model()->index(row, 0));
    if (std::binary_search(rows.cbegin(), rows.cend(), currentRow))
        varTree->setCurrentRow(currentRow + delta);
    varTree->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}
