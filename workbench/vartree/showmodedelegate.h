#pragma once

#include <QStyledItemDelegate>

// The editor of a row's Show Mode cell: a choice of the three radixes an
// integer is shown in. Choosing one commits it at once.
class ShowModeDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ShowModeDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor,
                      QAbstractItemModel *model,
                      const QModelIndex &index) const override;
};
