#include "vartreeitem.h"

#include "vartreewidget.h"

VarTreeItem::VarTreeItem()
    : QTreeWidgetItem(ItemType)
{
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
}

VarTreeItem::VarTreeItem(VarTreeItem *word, int bit)
    : QTreeWidgetItem(word, ItemType)
    , m_bit(bit)
{
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    const QString name = word->variable() + QLatin1Char('.') + QString::number(bit);
    setText(VarTreeWidget::NameColumn, name);
    setText(VarTreeWidget::FullNameColumn, name);
}

VarTreeItem::~VarTreeItem() = default;

VarTreeItem *VarTreeItem::from(QTreeWidgetItem *item)
{
    return item && item->type() == ItemType ? static_cast<VarTreeItem *>(item) : nullptr;
}

QString VarTreeItem::variable() const
{
    const QString fullName = text(VarTreeWidget::FullNameColumn);
    return fullName.isEmpty() ? text(VarTreeWidget::NameColumn) : fullName;
}

void VarTreeItem::setResolution(const QString &variable,
                                const ac::HeapAddress &address,
                                uint32_t valueType,
                                bool isWord)
{
    m_resolvedVariable = variable;
    m_address = address;
    m_valueType = valueType;
    m_isWord = isWord && !isBit();
}
