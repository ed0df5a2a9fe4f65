#pragma once

#include <QMap>
#include <QString>
#include <QTreeWidget>
#include <QVariant>

#include <memory>

// A tree of variables with their live values: one top-level row per variable,
// typed into the name column. While watching, the loaded rows show their
// current values from the controller of the tree's project.
//
// Show mode: item->data(ShowModeColumn, Qt::UserRole).toInt() is the row's
// radix (2, 10 or 16) at any time. A row holding an integer shows it in its
// Show Mode cell, where the user can choose another; that choice reaches the
// item as setData(ShowModeColumn, Qt::EditRole, radix) and the tree then emits
// QTreeWidget::itemChanged(item, ShowModeColumn), once. Changes made by code
// (setIntegerShowMode(), setVariable() starting a new variable in radix 10,
// restoreItemStates()) emit no itemChanged for that column.
class VarTreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    enum Column {
        NameColumn = 0,
        ValueColumn = 1,
        DataTypeColumn = 2,
        AddressColumn = 3,
        CommentColumn = 4,
        ScopeColumn = 5,
        ShowModeColumn = 6,
        FullNameColumn = 7, // internal data, hidden by users of the tree
        StateColumn = 8,
        ReservedColumn = 9,
        ColumnCount = 10,
    };

    explicit VarTreeWidget(QWidget *parent = nullptr);
    ~VarTreeWidget() override;

    // Project whose symbols and controller give the values: the tree's
    // dynamic property "projectName" when a user of the tree has set it
    // (QObject::setProperty), else the current project ("Project.Name").
    QString projectName() const;

    // Afterwards topLevelItemCount() is n: new rows are empty and editable,
    // existing rows keep their contents.
    void setRowCount(int n);
    void setVariable(int row, const QString &name, const QString &fullName);
    void removeRow(int row);
    void setCurrentRow(int row);
    void enableWatch(bool on);
    bool isWatchEnabled() const;
    // Rebuilds the value display of the present rows; rows stay.
    void resetTree();
    // Radix (2, 10, 16) in which the row's integer values are shown.
    void setIntegerShowMode(int row, int mode);
    int integerShowMode(int row) const;
    QString getItemData(QTreeWidgetItem *item, int column) const;
    void saveItemStates(QTreeWidgetItem *item, QMap<QString, QMap<QString, QVariant>> &states);
    void restoreItemStates(QTreeWidgetItem *item,
                           const QMap<QString, QMap<QString, QVariant>> &states);

    // Keys that start no edit find nothing: jumping to the row whose value
    // begins with them would make the next key edit, and write, that value.
    void keyboardSearch(const QString &search) override;

signals:
    void variableChanged(int row, const QString &text);
    // resetTree() has rebuilt the value display.
    void treeReset();

protected:
    // Typing on a row's Name cell edits its name; online, typing on a writable
    // Value cell edits the value, and typing elsewhere starts nothing.
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    // Its rows keep their texts themselves and announce their changes here.
    friend class VarTreeItem;

    class Private;
    std::unique_ptr<Private> d;
};
