#include "showmodedelegate.h"

#include "vartreeitem.h"

#include <QComboBox>

ShowModeDelegate::ShowModeDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{}

QWidget *ShowModeDelegate::createEditor(QWidget *parent,
                                        const QStyleOptionViewItem &,
                                        const QModelIndex &) const
{
    auto combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("showModeEditor"));
    for (int mode : {2, 10, 16})
        combo->addItem(VarTreeItem::showModeName(mode), mode);
    // The value is shown in the new radix while the user still looks at the row.
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, [this, combo] {
        auto self = const_cast<ShowModeDelegate *>(this);
        emit self->commitData(combo);
        emit self->closeEditor(combo);
    });
    return combo;
}

void ShowModeDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto combo = qobject_cast<QComboBox *>(editor);
    if (!combo)
        return;
    const int found = combo->findData(index.data(Qt::UserRole).toInt());
    combo->setCurrentIndex(found >= 0 ? found : combo->findData(10));
}

void ShowModeDelegate::setModelData(QWidget *editor,
                                    QAbstractItemModel *model,
                                    const QModelIndex &index) const
{
    if (auto combo = qobject_cast<QComboBox *>(editor))
        model->setData(index, combo->currentData(), Qt::EditRole);
}
