#include "watchlistwidget.h"

#include "entrycommand.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget_p.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QRegularExpression>

#include <algorithm>

// The clipboard as spreadsheets use it: rows out as tab-separated cells,
// names in from the first column of whatever was copied.

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

QString WatchListWidget::selectedRowsText() const
{
    const Lookup list = findWatchListObject();
    if (!list)
        return QString();
    QVector<int> rows = selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (int row : rows) {
        const QTreeWidgetItem *item = varTree->topLevelItem(row);
        if (!item || row >= list->getCount())
            continue; // the empty last row stands for no entry
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

    const QModelIndex current = varTree->currentIndex();
    int first = current.isValid()
                    ? (current.parent().isValid() ? current.parent().row() : current.row())
                    : list->getCount();
    first = std::min(first, list->getCount());
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
