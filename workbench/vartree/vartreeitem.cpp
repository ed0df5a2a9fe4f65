#include "vartreeitem.h"

#include "valueformat.h"
#include "vartreewidget.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <QTreeWidget>

#include <algorithm>

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
    return m_fullName.isEmpty() ? m_name : m_fullName;
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

void VarTreeItem::setShowMode(int mode)
{
    if (m_showMode == mode)
        return;
    m_showMode = mode;
    announce();
}

QString VarTreeItem::problem() const
{
    return m_problem ? m_problem->text : QString();
}

QString VarTreeItem::problemDetail() const
{
    return m_problem ? m_problem->detail : QString();
}

void VarTreeItem::setProblem(const QString &problem, const QString &detail)
{
    if (problem.isEmpty())
        m_problem.reset();
    else if (!m_problem || m_problem->text != problem || m_problem->detail != detail)
        m_problem = std::make_unique<Problem>(Problem{problem, detail});
}

bool VarTreeItem::hasShowMode() const
{
    return !isBit() && ValueFormat::isInteger(m_valueType);
}

void VarTreeItem::setDescription(const QString &dataType,
                                 const QString &address,
                                 const QString &comment,
                                 bool global)
{
    if (m_dataType == dataType && m_addressText == address && m_comment == comment &&
        m_global == global) {
        return;
    }
    m_dataType = dataType;
    m_addressText = address;
    m_comment = comment;
    m_global = global;
    announce();
}

QString *VarTreeItem::derivedText(int column)
{
    return const_cast<QString *>(static_cast<const VarTreeItem *>(this)->derivedText(column));
}

const QString *VarTreeItem::derivedText(int column) const
{
    switch (column) {
    case VarTreeWidget::NameColumn:
        return &m_name;
    case VarTreeWidget::ValueColumn:
        return &m_value;
    case VarTreeWidget::DataTypeColumn:
        return &m_dataType;
    case VarTreeWidget::AddressColumn:
        return &m_addressText;
    case VarTreeWidget::CommentColumn:
        return &m_comment;
    case VarTreeWidget::FullNameColumn:
        return &m_fullName;
    default:
        return nullptr;
    }
}

void VarTreeItem::setStaleSince(qint64 readAt)
{
    if (readAt == m_staleSince)
        return;
    m_staleSince = readAt;
    announce();
}

// Worked out when asked, so the age a tooltip tells is the age at that moment.
static QString staleToolTip(qint64 readAt)
{
    const QDateTime read = QDateTime::fromMSecsSinceEpoch(readAt);
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    const QString when = read.date() == now.date()
                             ? locale.toString(read.time(), QStringLiteral("HH:mm:ss.zzz"))
                             : locale.toString(read, QLocale::ShortFormat);
    const qint64 seconds = std::max<qint64>(0, read.msecsTo(now)) / 1000;
    const QString age =
        seconds < 60 ? VarTreeWidget::tr("%L1 s").arg(seconds)
        : seconds < 3600
            ? VarTreeWidget::tr("%L1 min %L2 s").arg(seconds / 60).arg(seconds % 60)
            : VarTreeWidget::tr("%L1 h %L2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
    return VarTreeWidget::tr("Not current: the device last confirmed this value at %1, %2 ago.")
        .arg(when, age);
}

QVariant VarTreeItem::data(int column, int role) const
{
    if (column == VarTreeWidget::ShowModeColumn && role == Qt::UserRole)
        return m_showMode;
    if (m_staleSince != 0 && column == VarTreeWidget::ValueColumn) {
        if (role == Qt::ToolTipRole)
            return staleToolTip(m_staleSince);
        if (role == Qt::ForegroundRole)
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    if (m_problem && column == VarTreeWidget::ValueColumn) {
        if (role == Qt::ToolTipRole)
            return m_problem->detail;
        if (role == Qt::ForegroundRole)
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QTreeWidgetItem::data(column, role);
    if (const QString *text = derivedText(column))
        return *text;
    if (column == VarTreeWidget::ScopeColumn)
        return m_global ? VarTreeWidget::tr("Global") : QString();
    if (column == VarTreeWidget::ShowModeColumn) {
        return hasShowMode() ? showModeName(m_showMode) : QString();
    }
    return QTreeWidgetItem::data(column, role);
}

QString VarTreeItem::showModeName(int mode)
{
    switch (mode) {
    case 2:
        return VarTreeWidget::tr("Binary");
    case 16:
        return VarTreeWidget::tr("Hexadecimal");
    default:
        return VarTreeWidget::tr("Decimal");
    }
}

void VarTreeItem::setData(int column, int role, const QVariant &value)
{
    if (column == VarTreeWidget::ShowModeColumn &&
        (role == Qt::DisplayRole || role == Qt::EditRole)) {
        setShowModeByUser(value);
        return;
    }
    QString *text = role == Qt::DisplayRole || role == Qt::EditRole ? derivedText(column) : nullptr;
    if (!text) {
        QTreeWidgetItem::setData(column, role, value);
        return;
    }
    const QString changed = value.toString();
    if (*text == changed)
        return;
    *text = changed;
    // A value is announced for its cell: the tree tells a value typed by the
    // user by the column of the change.
    announce(column == VarTreeWidget::ValueColumn ? column : -1);
}

void VarTreeItem::announce(int column)
{
    auto tree = qobject_cast<VarTreeWidget *>(treeWidget());
    if (!tree)
        return;
    const QModelIndex first = tree->indexFromItem(this, std::max(column, 0));
    const QModelIndex last =
        column < 0 ? first.sibling(first.row(), tree->columnCount() - 1) : first;
    emit tree->model()->dataChanged(first, last);
}

void VarTreeItem::setNames(const QString &name, const QString &fullName)
{
    if (m_name == name && m_fullName == fullName)
        return;
    m_name = name;
    m_fullName = fullName;
    announce();
}

void VarTreeItem::setShowModeByUser(const QVariant &value)
{
    bool ok = false;
    const int mode = value.toInt(&ok);
    if (!ok || (mode != 2 && mode != 10 && mode != 16) || !hasShowMode() || mode == m_showMode)
        return;
    m_showMode = mode;
    // Announced for this one cell, so that users of the tree can tell a
    // user's choice (itemChanged on the Show Mode column) from the tree's own
    // updates, which announce the row as a whole.
    announce(VarTreeWidget::ShowModeColumn);
}
