#pragma once

#include "batchmonotordlg.h"
#include "symbolsynchrinizer.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;
class QMenu;
class QTreeWidgetItem;
class ShowModes;
class VarTreeWidget;
class WatchListObject;

// One watch list of one project, shown row by row in a variable tree. The
// widget keeps no copy of the list: every operation finds the watch list in
// the project's model afresh and writes straight back to it.
class WatchListWidget : public QWidget
{
    Q_OBJECT
    // Readable through the meta-object, so a host can tell which list of
    // which project a tool window shows without linking to the plug-in.
    Q_PROPERTY(QString watchListName READ getWatchListName)
    Q_PROPERTY(QString projectName READ getProjectName)
public:
    WatchListWidget(const QString &watchListName, const QString &projectName, QWidget *parent);
    ~WatchListWidget() override;

    void setWatchListName(const QString &name);
    QString getWatchListName() const { return watchListName; }
    QString getProjectName() const { return projectName; }
    VarTreeWidget *tree() const { return varTree; }

    void showVariable(int rowIndex);
    int lastLoadedRow() const;
    void loadRows(int count);
    void fillVisibleRows();
    void refreshRow(int row);
    QVector<int> selectedRows() const;
    void insertRowAtSelection();
    void deleteSelectedRows();
    void appendVariableRow(const QString &name, int showMode);
    // Reads the rows from first on again after undo or redo changed the
    // list, keeping as many rows loaded as before (at least a window-full).
    void reloadFrom(int first);
    void gotoDefinition();
    void browseCrossReference();
    // The selected rows as tab-separated text (Name, Value, Data Type,
    // Address, Comment), a line a row, as spreadsheets paste it into cells.
    QString selectedRowsText() const;
    void copySelectedRows();
    void cutSelectedRows();
    // Inserts the first column's non-blank lines of the text as entries at
    // the current row, in one undo step; false when it holds none.
    bool pasteRows(const QString &text);
    // Alt+Up / Alt+Down: the selected rows one row up (-1) or down (+1), each
    // with its show mode, in one undo step; false when they cannot move.
    bool moveSelectedRows(int delta);
    // Makes current the next row after the current one whose name contains
    // the text, ignoring case, loading rows as needed and going round past
    // the end; the row found, or -1 (the find bar then says so).
    int findNext(const QString &text);
    // Ctrl+F: the find bar under the rows, its text selected.
    void showFindBar();
    // Appends the accepted range, one entry per name, each shown in its
    // show mode once loaded.
    void addBatchVariables(const BatchMonitorParam &param);

public slots:
    void onScrollValueChanged(int value);
    void onVariableChanged(int rowIndex, QString varFullName);
    void onSyncComplied(SymbolSynchrinizer::SyncType type, std::string param);
    void onOnlineStateChanged(bool online);
    void onSoftComponentDataChanged();
    void onBatchMonitor();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    class Lookup;
    class PagingHold;
    Lookup findWatchListObject() const;
    void setupUi();
    void initColumns();
    void connectHost();
    // The rows a window-full of the tree asks for: four heights.
    int visibleRowsWanted() const;
    // Loads rows until the window is full (or the list is all in).
    void topUp();
    void writeRow(const Lookup &list, const ShowModes &modes, int row);
    // A new entry typed into the row that follows the loaded ones.
    void addTypedEntry(const Lookup &list, int rowIndex, const QString &name);
    // The user chose another radix in a row's Show Mode cell.
    void onItemChanged(QTreeWidgetItem *item, int column);
    void onEntriesChanged(const QString &project, const QString &watchList, int firstIndex);
    // The question before a large batch, and the refusal of one too large;
    // false when nothing is to be added.
    bool acceptBatchSize(qint64 rows, int countBefore);
    // Every entry when the user selected every loaded row of a list that
    // has more, and confirms that all are meant; the rows otherwise.
    QVector<int> rowsToDelete(QVector<int> rows, int count);

    void setupFindBar();
    // The top-level row of the current item (a bit's word), or -1.
    int currentEntryRow() const;
    // The selected rows that hold entries (not the empty last row), ascending.
    QVector<int> selectedEntryRows(int count) const;

    QMenu *contextMenu = nullptr;
    QWidget *findBar = nullptr;
    QLineEdit *findEdit = nullptr;
    QLabel *findStatus = nullptr;
    VarTreeWidget *varTree = nullptr;
    QString watchListName;
    QString projectName;
};
