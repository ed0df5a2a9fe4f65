#include "vartreewidget.h"

#include "hostnames.h"
#include "icookies.h"
#include "livewatch.h"
#include "showmodedelegate.h"
#include "valueformat.h"
#include "vartreeitem.h"
#include "vartreewidget_p.h"

#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include <functional>

using namespace VarTreeDetail;

namespace {

const int refreshInterval = 200;

const char projectNameProperty[] = "projectName";

// Values come from another project once the tree is told its own.
class ProjectNameWatch : public QObject
{
public:
    ProjectNameWatch(VarTreeWidget *tree, std::function<void()> changed)
        : QObject(tree)
        , tree(tree)
        , changed(std::move(changed))
    {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == tree && event->type() == QEvent::DynamicPropertyChange &&
            static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() ==
                projectNameProperty)
            changed();
        return false;
    }

private:
    VarTreeWidget *tree;
    std::function<void()> changed;
};

} // namespace

VarTreeWidget::VarTreeWidget(QWidget *parent)
    : QTreeWidget(parent)
    , d(std::make_unique<Private>(this))
{
    setColumnCount(ColumnCount);
    setHeaderLabels({tr("Name"),
                     tr("Value"),
                     tr("Data Type"),
                     tr("Address"),
                     tr("Comment"),
                     tr("Scope"),
                     tr("Show Mode"),
                     tr("Full Name"),
                     tr("State"),
                     tr("Reserved")});
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setItemDelegateForColumn(ShowModeColumn, new ShowModeDelegate(this));

    d->connectRefreshes();
    d->connectHost();
    installEventFilter(new ProjectNameWatch(this, [this] {
        d->projectName = property(projectNameProperty).toString();
        resetTree();
    }));
}

VarTreeWidget::~VarTreeWidget()
{
    // The base class still deletes items after this body; nothing may reach d then.
    disconnect(this, nullptr, this, nullptr);
    disconnect(verticalScrollBar(), nullptr, this, nullptr);
    d->stopWatching();
}

QString VarTreeWidget::projectName() const
{
    return d->currentProject();
}

void VarTreeWidget::setRowCount(int n)
{
    n = std::max(n, 0);
    const int count = topLevelItemCount();
    if (n == count + 1) {
        addTopLevelItem(new VarTreeItem);
    } else if (n > count) {
        QList<QTreeWidgetItem *> rows;
        rows.reserve(n - count);
        for (int row = count; row < n; ++row)
            rows.append(new VarTreeItem);
        addTopLevelItems(rows);
    } else {
        for (int row = count - 1; row >= n; --row)
            delete takeTopLevelItem(row);
    }
    d->updateTimer();
}

void VarTreeWidget::setVariable(int row, const QString &name, const QString &fullName)
{
    VarTreeItem *item = VarTreeItem::from(topLevelItem(row));
    if (!item)
        return;
    const QString variable = fullName.isEmpty() ? name : fullName;
    const Private::Pass pass(d->currentProject());
    if (d->sourceChanged(pass))
        d->resolveAll(pass);
    if (item->variable().isEmpty() && item->childCount() == 0 &&
        item->text(ValueColumn).isEmpty()) {
        // A row being loaded: filled in silence and announced once, as a row
        // the view had never seen.
        {
            const QSignalBlocker quiet(model());
            d->setName(item, name, fullName);
            d->resolve(item, pass);
        }
        item->announce();
    } else {
        if (variable != item->variable()) {
            item->setShowMode(10);
            d->forgetView(item);
        }
        d->setName(item, name, fullName);
        d->resolve(item, pass);
    }
    if (d->isWatching())
        d->readValue(item, pass);
}

void VarTreeWidget::removeRow(int row)
{
    delete takeTopLevelItem(row);
    d->updateTimer();
}

void VarTreeWidget::setCurrentRow(int row)
{
    if (QTreeWidgetItem *item = topLevelItem(row)) {
        setCurrentItem(item);
        scrollToItem(item);
    }
}

void VarTreeWidget::enableWatch(bool on)
{
    d->watchEnabled = on;
    d->updateTimer();
}

bool VarTreeWidget::isWatchEnabled() const
{
    return d->watchEnabled;
}

void VarTreeWidget::resetTree()
{
    const Private::Pass pass(d->currentProject());
    d->resolveAll(pass);
    if (d->isWatching())
        d->readVisibleValues(pass);
    else
        d->clearValues();
    d->updateTimer();
    emit treeReset();
}

void VarTreeWidget::setIntegerShowMode(int row, int mode)
{
    VarTreeItem *item = VarTreeItem::from(topLevelItem(row));
    if (!item || (mode != 2 && mode != 10 && mode != 16) || item->showMode() == mode)
        return;
    item->setShowMode(mode);
    const Private::Pass pass(d->currentProject());
    d->resolve(item, pass);
    if (d->isWatching())
        d->readValue(item, pass);
}

int VarTreeWidget::integerShowMode(int row) const
{
    const VarTreeItem *item = VarTreeItem::from(topLevelItem(row));
    return item ? item->showMode() : 10;
}

QString VarTreeWidget::getItemData(QTreeWidgetItem *item, int column) const
{
    if (!item)
        return QString();
    if (column == NameColumn) {
        if (const VarTreeItem *variable = VarTreeItem::from(item))
            return variable->variable();
    }
    return item->text(column);
}

void VarTreeWidget::saveItemStates(QTreeWidgetItem *item,
                                   QMap<QString, QMap<QString, QVariant>> &states)
{
    const VarTreeItem *row = VarTreeItem::from(item);
    if (!row)
        return;
    QMap<QString, QVariant> state;
    state.insert(QStringLiteral("variable"), row->variable());
    state.insert(QStringLiteral("expanded"), row->isExpanded());
    state.insert(QStringLiteral("showMode"), row->showMode());
    // A problem is no value to show again: the row says it anew when resolved.
    state.insert(QStringLiteral("value"),
                 row->problem().isEmpty() ? row->text(ValueColumn) : QString());
    states.insert(QStringLiteral("row"), state);
}

void VarTreeWidget::restoreItemStates(QTreeWidgetItem *item,
                                      const QMap<QString, QMap<QString, QVariant>> &states)
{
    VarTreeItem *row = VarTreeItem::from(item);
    const auto found = states.constFind(QStringLiteral("row"));
    if (!row || found == states.constEnd())
        return;
    const QMap<QString, QVariant> &state = *found;
    const int mode = state.value(QStringLiteral("showMode"), row->showMode()).toInt();
    if (mode == 2 || mode == 10 || mode == 16)
        row->setShowMode(mode);

    const Private::Pass pass(d->currentProject());
    d->resolve(row, pass);
    // A cached value only stands for the variable it was read from.
    if (state.value(QStringLiteral("variable")).toString() == row->variable() &&
        row->problem().isEmpty()) {
        setTextIfChanged(row, ValueColumn, state.value(QStringLiteral("value")).toString());
        if (state.value(QStringLiteral("expanded")).toBool() && row->isWord()) {
            d->expandWord(row);
            row->setExpanded(true);
        }
    }
    if (d->isWatching())
        d->readValue(row, pass);
}

void VarTreeWidget::keyboardSearch(const QString &search)
{
    Q_UNUSED(search)
}

bool VarTreeWidget::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // Online, a value is written by editing its cell, typing straight into it included.
    if (d->canWriteValue(index)) {
        if (!QTreeWidget::edit(index, trigger, event))
            return false;
        d->editedValue = index;
        return true;
    }
    // Typing names a row only where its name stands: a number typed on
    // another cell is no new variable.
    if (trigger == AnyKeyPressed && index.column() != NameColumn)
        return false;
    if (d->canChangeShowMode(index))
        return QTreeWidget::edit(index, trigger, event);
    if (index.isValid() && index.column() != NameColumn && !index.parent().isValid())
        return QTreeWidget::edit(index.sibling(index.row(), NameColumn), trigger, event);
    return QTreeWidget::edit(index, trigger, event);
}

void VarTreeWidget::Private::connectRefreshes()
{
    timer.setInterval(refreshInterval);
    QObject::connect(&timer, &QTimer::timeout, q, [this] { refresh(); });
    QObject::connect(q, &QTreeWidget::itemChanged, q, [this](QTreeWidgetItem *item, int column) {
        onItemChanged(item, column);
    });
    scrollRefresh.setSingleShot(true);
    scrollRefresh.setInterval(0);
    QObject::connect(&scrollRefresh, &QTimer::timeout, q, [this] {
        if (isWatching())
            refresh();
    });
    QObject::connect(q->verticalScrollBar(), &QScrollBar::valueChanged, q, [this] {
        if (isWatching())
            scrollRefresh.start();
    });
    QObject::connect(q->itemDelegate(), &QAbstractItemDelegate::closeEditor, q, [this] {
        editedValue = QPersistentModelIndex();
    });
    QObject::connect(ac::LiveWatch::instance(),
                     &ac::LiveWatch::valuesArrived,
                     q,
                     [this](const QString &project) {
                         if (isWatching() && q->isVisible() && project == currentProject())
                             refresh();
                     });
    QObject::connect(q, &QTreeWidget::itemExpanded, q, [this](QTreeWidgetItem *item) {
        if (VarTreeItem *word = VarTreeItem::from(item); word && !word->isBit())
            expandWord(word);
    });
}

void VarTreeWidget::Private::connectHost()
{
    transfer = qobject_cast<Transfer *>(service(HostNames::transfer()));
    if (transfer) {
        QObject::connect(transfer.data(), &Transfer::onlineState, q, [this](bool online) {
            if (online)
                refresh();
            else
                clearValues();
            updateTimer();
        });
    }
    if (auto cookies = qobject_cast<ICookies *>(service(HostNames::cookies()))) {
        QObject::connect(
            cookies, &ICookies::valueChanged, q, [this](const QString &key, const QVariant &) {
                if (ownProject().isEmpty() && key == HostNames::projectNameCookie())
                    q->resetTree();
            });
    }
}
