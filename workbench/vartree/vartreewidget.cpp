#include "vartreewidget.h"

#include "accore.h"
#include "addressproblem.h"
#include "hostnames.h"
#include "iapplication.h"
#include "icookies.h"
#include "livewatch.h"
#include "objectregistry.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "showmodedelegate.h"
#include "softcomponentmodel.h"
#include "transfer.h"
#include "valueformat.h"
#include "vartreeitem.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <functional>

namespace {

const int refreshInterval = 200;
const int wordBits = 16;

QObject *service(const QString &name)
{
    if (!qApp)
        return nullptr;
    const auto app = reinterpret_cast<IApplication *>(qApp->property("IApplication").toULongLong());
    ObjectRegistry *registry = app ? app->objectRegistry() : nullptr;
    return registry ? registry->value(name) : nullptr;
}

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

QString projectNameCookie()
{
    const auto cookies = qobject_cast<ICookies *>(service(HostNames::cookies()));
    return cookies ? cookies->value(HostNames::projectNameCookie()).toString() : QString();
}

void setTextIfChanged(QTreeWidgetItem *item, int column, const QString &text)
{
    if (item->text(column) != text)
        item->setText(column, text);
}

// Reads a symbol's value as the symbol's own type at the start of its address.
uint32_t symbolValueType(ac::HeapAddress *address, uint32_t symbolType)
{
    if (symbolType == ac::TYPE_NONE)
        return address->dataType;
    if (address->bitOffset != ~0u)
        return symbolType == ac::TYPE_BOOL ? symbolType : uint32_t(ac::TYPE_NONE);
    if (symbolType == ac::TYPE_BOOL) {
        address->bitOffset = 0;
        address->byteLength = 1;
    } else {
        address->byteLength = ValueFormat::byteLength(symbolType);
    }
    address->dataType = symbolType;
    return symbolType;
}

QString radixName(uint32_t radix)
{
    switch (radix) {
    case 2:
        return VarTreeWidget::tr("binary");
    case 8:
        return VarTreeWidget::tr("octal");
    case 16:
        return VarTreeWidget::tr("hexadecimal");
    default:
        return VarTreeWidget::tr("decimal");
    }
}

// The area's addresses written as users write them, "D0–D7999".
QString addressRange(const ac::AddressProblem &problem)
{
    const QString area = QString::fromStdString(problem.area);
    if (problem.addressCount == 0)
        return VarTreeWidget::tr("no addresses");
    return area + QLatin1Char('0') + QChar(0x2013) + area +
           QString::number(problem.addressCount - 1, int(problem.radix)).toUpper();
}

// Why a name that is no symbol stands for nothing on the device: a short text
// for the Value cell and a longer one for its tooltip.
void describeProblem(const QString &variable,
                     const ac::DeviceMemory &memory,
                     QString *text,
                     QString *detail)
{
    using Problem = ac::AddressProblem;
    const Problem problem = ac::addressProblem(memory, variable.toStdString());
    const QString area = QString::fromStdString(problem.area);
    const QString suffix = QString::fromStdString(problem.suffix);
    switch (problem.kind) {
    case Problem::None:
        text->clear();
        detail->clear();
        return;
    case Problem::UnknownName:
        *text = VarTreeWidget::tr("unknown variable");
        *detail = VarTreeWidget::tr("\"%1\" is neither a symbol of the project nor an address "
                                    "of its device %2.")
                      .arg(variable, QString::fromStdString(memory.deviceName()));
        return;
    case Problem::ForeignDigit:
        *text = VarTreeWidget::tr("%1 addresses are %2").arg(area, radixName(problem.radix));
        *detail = VarTreeWidget::tr("\"%1\" is no address of %2, whose addresses are %3 "
                                    "numbers: %4.")
                      .arg(variable, area, radixName(problem.radix), addressRange(problem));
        return;
    case Problem::PastEnd:
        *text = VarTreeWidget::tr("past the end of %1 (%2)").arg(area, addressRange(problem));
        *detail = VarTreeWidget::tr("\"%1\" reaches past the last address of %2; its addresses "
                                    "are %3.")
                      .arg(variable, area, addressRange(problem));
        return;
    case Problem::SuffixOnBit:
        *text = VarTreeWidget::tr("nothing may follow a bit address");
        *detail = VarTreeWidget::tr("%1 holds single bits: \"%2\" cannot take the suffix \".%3\".")
                      .arg(area, variable, suffix);
        return;
    case Problem::NoSuchBit:
        if (problem.elementSize == 2) {
            *text = VarTreeWidget::tr("no bit %1 in a word").arg(suffix);
            *detail =
                VarTreeWidget::tr("A word of %1 has the bits 0 to 15: \"%2\" asks for bit %3.")
                    .arg(area, variable, suffix);
        } else {
            *text = VarTreeWidget::tr("no bits in %1").arg(area);
            *detail = VarTreeWidget::tr("Only words of 2 bytes have bits to name; %1 holds "
                                        "elements of %2 bytes.")
                          .arg(area)
                          .arg(problem.elementSize);
        }
        return;
    case Problem::UnknownSuffix:
        *text = VarTreeWidget::tr("unknown suffix \".%1\"").arg(suffix);
        *detail = VarTreeWidget::tr("After an address of %1 may follow a bit from 0 to 15 or one "
                                    "of the types .S, .U, .D, .UD, .L, .UL, .F, .DF, .T, .WT.")
                      .arg(area);
        return;
    }
}

QString problemOf(QTreeWidgetItem *item)
{
    const VarTreeItem *row = VarTreeItem::from(item);
    return row ? row->problem() : QString();
}

} // namespace

class VarTreeWidget::Private
{
public:
    // The project's symbols and controller, held for one pass over rows.
    struct Pass
    {
        explicit Pass(const QString &projectName)
            : name(projectName.toStdString())
            , model(ProjectModelManager::instance()->projectModel(name, false))
            , core(name, false)
            , project(dynamic_cast<ProjectModel *>(model.get()))
            , memory(core ? core->deviceMemory() : nullptr)
        {}

        std::string name;
        SafeProjectModel model;
        SafeAccore core;
        ProjectModel *project;
        ac::DeviceMemory *memory;
    };

    explicit Private(VarTreeWidget *tree)
        : q(tree)
    {}

    bool isOnline() const { return transfer && transfer->isOnline(); }
    bool isWatching() const { return watchEnabled && isOnline(); }
    // A window showing one project's list names it in the tree's dynamic
    // property, so that no operation beyond the tree's own is needed.
    // Kept from the property as it changes: every row's pass asks for it.
    QString ownProject() const { return projectName; }
    QString currentProject() const
    {
        const QString own = ownProject();
        return own.isEmpty() ? projectNameCookie() : own;
    }

    void updateTimer();
    void refresh();
    void resolveAll(const Pass &pass);
    bool sourceChanged(const Pass &pass) const;
    void resolve(VarTreeItem *item, const Pass &pass);
    void readValue(VarTreeItem *item, const Pass &pass);
    void readValues(const Pass &pass);
    // Rows scrolled out of sight keep their last value; a long list that is
    // shown costs only its visible rows.
    void readVisibleValues(const Pass &pass);
    void clearValues();
    void stopWatching() { ac::LiveWatch::instance()->forget(q); }
    bool canWriteValue(const QModelIndex &index) const;
    bool canChangeShowMode(const QModelIndex &index) const;
    void writeValue(const QPersistentModelIndex &index, const QString &text);
    void tell(const QString &message);
    void setName(VarTreeItem *item, const QString &name, const QString &fullName);
    void forgetView(VarTreeItem *item);
    void expandWord(VarTreeItem *item);
    void onItemChanged(QTreeWidgetItem *item, int column);

    VarTreeWidget *q;
    QTimer timer;
    // A scroll that pages in rows reads them once they are laid out, not the
    // rows of the layout the paging is about to replace.
    QTimer scrollRefresh;
    QPointer<Transfer> transfer;
    QString projectName;
    bool watchEnabled = true;
    bool settingNames = false;
    std::vector<uint8_t> buffer;
    // The value cell being edited: refreshes leave it alone, or the editor
    // would take the new value over what the user is typing.
    QPersistentModelIndex editedValue;

    // What the rows were last resolved against; addresses parsed for another
    // device memory must not be read from this one.
    std::string sourceProject;
    const void *sourceModel = nullptr;
    const void *sourceMemory = nullptr;
    std::string sourceDevice;
};

void VarTreeWidget::Private::updateTimer()
{
    if (isWatching() && q->topLevelItemCount() > 0) {
        if (!timer.isActive())
            timer.start();
    } else {
        timer.stop();
    }
}

void VarTreeWidget::Private::refresh()
{
    if (!isWatching()) {
        stopWatching();
        updateTimer();
        return;
    }
    // A tree tabbed away shows nothing; the next tick after it is shown
    // brings its rows up to date.
    if (!q->isVisible()) {
        stopWatching();
        return;
    }
    const Pass pass(currentProject());
    if (sourceChanged(pass))
        resolveAll(pass);
    readVisibleValues(pass);
}

bool VarTreeWidget::Private::sourceChanged(const Pass &pass) const
{
    return sourceProject != pass.name || sourceModel != pass.project ||
           sourceMemory != pass.memory ||
           (pass.memory && sourceDevice != pass.memory->deviceName());
}

void VarTreeWidget::Private::resolveAll(const Pass &pass)
{
    sourceProject = pass.name;
    sourceModel = pass.project;
    sourceMemory = pass.memory;
    sourceDevice = pass.memory ? pass.memory->deviceName() : std::string();
    for (int row = 0, rows = q->topLevelItemCount(); row < rows; ++row) {
        VarTreeItem *item = VarTreeItem::from(q->topLevelItem(row));
        if (!item)
            continue;
        resolve(item, pass);
        for (int bit = 0; bit < item->childCount(); ++bit) {
            if (VarTreeItem *child = VarTreeItem::from(item->child(bit)))
                resolve(child, pass);
        }
    }
}

void VarTreeWidget::Private::resolve(VarTreeItem *item, const Pass &pass)
{
    const QString variable = item->variable();
    QString type;
    QString address;
    QString comment;
    ac::HeapAddress heapAddress;
    uint32_t valueType = ac::TYPE_NONE;
    bool isWord = false;

    const Symbol *symbol = variable.isEmpty() || item->isBit() || !pass.project
                               ? nullptr
                               : pass.project->symbol(variable);
    if (symbol) {
        type = symbol->dataType;
        address = symbol->address;
        comment = symbol->comment;
        if (pass.memory && !address.isEmpty() &&
            pass.memory->string2IecAddress(address.toStdString(), &heapAddress, true)) {
            valueType = symbolValueType(&heapAddress, ValueFormat::typeCode(type));
        }
    } else if (!variable.isEmpty() && pass.memory &&
               pass.memory->string2IecAddress(variable.toStdString(), &heapAddress, true)) {
        valueType = pass.memory->iecAddressType(heapAddress);
        type = ValueFormat::typeName(valueType);
        address = variable;
        if (pass.project)
            comment = pass.project->softComponentModel()->comment(variable);
        isWord = heapAddress.bitOffset == ~0u && heapAddress.byteLength == 2 &&
                 !variable.contains(QLatin1Char('.'));
    }

    QString problem;
    QString problemDetail;
    if (!symbol && valueType == ac::TYPE_NONE && !variable.isEmpty() && !item->isBit() &&
        pass.memory) {
        describeProblem(variable, *pass.memory, &problem, &problemDetail);
    }

    if (item->resolvedVariable() != variable)
        forgetView(item);
    else if (!isWord && item->childCount() > 0)
        qDeleteAll(item->takeChildren());
    item->setResolution(variable, heapAddress, valueType, isWord);
    if (!item->isBit()) {
        const auto policy = isWord ? QTreeWidgetItem::ShowIndicator
                                   : QTreeWidgetItem::DontShowIndicatorWhenChildless;
        if (item->childIndicatorPolicy() != policy)
            item->setChildIndicatorPolicy(policy);
    }
    item->setDescription(type, address, comment, symbol != nullptr);
    const bool hadProblem = !item->problem().isEmpty();
    item->setProblem(problem, problemDetail);
    if (hadProblem || !problem.isEmpty())
        setTextIfChanged(item, ValueColumn, problem);
}

void VarTreeWidget::Private::readValue(VarTreeItem *item, const Pass &pass)
{
    if (editedValue.isValid() && q->itemFromIndex(editedValue) == item)
        return;
    QString value = item->problem();
    qint64 staleSince = 0;
    if (pass.memory && item->valueType() != ac::TYPE_NONE) {
        const ac::Reading reading = ac::LiveWatch::instance()->reading(pass.name, item->address());
        if (reading.status == ac::Reading::Missing) {
            value = reading.shown;
        } else if (pass.memory->read(item->address(), &buffer)) {
            value = ValueFormat::format(item->valueType(), buffer, item->showMode());
            if (reading.status == ac::Reading::Stale)
                staleSince = reading.readAt;
        }
    }
    setTextIfChanged(item, ValueColumn, value);
    item->setStaleSince(staleSince);
}

void VarTreeWidget::Private::readVisibleValues(const Pass &pass)
{
    if (!q->isVisible()) {
        readValues(pass);
        return;
    }
    // What is read here is all a controller link needs to fetch from the device.
    std::vector<ac::HeapAddress> watched;
    const int bottom = q->viewport()->height();
    for (QTreeWidgetItem *item = q->itemAt(QPoint(0, 0)); item; item = q->itemBelow(item)) {
        if (q->visualItemRect(item).top() > bottom)
            break;
        if (VarTreeItem *row = VarTreeItem::from(item)) {
            readValue(row, pass);
            if (row->valueType() != ac::TYPE_NONE)
                watched.push_back(row->address());
        }
    }
    if (isWatching())
        ac::LiveWatch::instance()->setWatched(q, pass.name, std::move(watched));
}

void VarTreeWidget::Private::readValues(const Pass &pass)
{
    for (int row = 0, rows = q->topLevelItemCount(); row < rows; ++row) {
        VarTreeItem *item = VarTreeItem::from(q->topLevelItem(row));
        if (!item)
            continue;
        readValue(item, pass);
        if (!item->isExpanded())
            continue;
        for (int bit = 0; bit < item->childCount(); ++bit) {
            if (VarTreeItem *child = VarTreeItem::from(item->child(bit)))
                readValue(child, pass);
        }
    }
}

void VarTreeWidget::Private::clearValues()
{
    stopWatching();
    for (int row = 0, rows = q->topLevelItemCount(); row < rows; ++row) {
        QTreeWidgetItem *item = q->topLevelItem(row);
        setTextIfChanged(item, ValueColumn, problemOf(item));
        if (VarTreeItem *row = VarTreeItem::from(item))
            row->setStaleSince(0);
        for (int bit = 0; bit < item->childCount(); ++bit) {
            setTextIfChanged(item->child(bit), ValueColumn, QString());
            if (VarTreeItem *row = VarTreeItem::from(item->child(bit)))
                row->setStaleSince(0);
        }
    }
}

void VarTreeWidget::Private::setName(VarTreeItem *item,
                                     const QString &name,
                                     const QString &fullName)
{
    const bool wasSettingNames = settingNames;
    settingNames = true;
    item->setNames(name, fullName);
    settingNames = wasSettingNames;
}

// The view state belongs to the variable shown: another variable starts afresh.
void VarTreeWidget::Private::forgetView(VarTreeItem *item)
{
    if (item->childCount() > 0) {
        item->setExpanded(false);
        qDeleteAll(item->takeChildren());
    }
    setTextIfChanged(item, ValueColumn, QString());
}

void VarTreeWidget::Private::expandWord(VarTreeItem *item)
{
    if (!item->isWord())
        return;
    if (item->childCount() == 0) {
        settingNames = true;
        for (int bit = 0; bit < wordBits; ++bit)
            new VarTreeItem(item, bit);
        settingNames = false;
    }
    const Pass pass(currentProject());
    for (int bit = 0; bit < item->childCount(); ++bit) {
        VarTreeItem *child = VarTreeItem::from(item->child(bit));
        if (!child)
            continue;
        resolve(child, pass);
        if (isWatching())
            readValue(child, pass);
    }
}

bool VarTreeWidget::Private::canWriteValue(const QModelIndex &index) const
{
    const VarTreeItem *item = VarTreeItem::from(q->itemFromIndex(index));
    // The bits shown under a word are read-only: the word itself, or a row of
    // its own for the bit (D100.3), takes a new value.
    return index.column() == ValueColumn && item && !item->isBit() && isWatching() &&
           item->valueType() != ac::TYPE_NONE;
}

bool VarTreeWidget::Private::canChangeShowMode(const QModelIndex &index) const
{
    const VarTreeItem *item = VarTreeItem::from(q->itemFromIndex(index));
    return index.column() == ShowModeColumn && item && item->hasShowMode();
}

void VarTreeWidget::Private::tell(const QString &message)
{
    QMessageBox box(
        QMessageBox::Warning, VarTreeWidget::tr("Write Value"), message, QMessageBox::Ok, q);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void VarTreeWidget::Private::writeValue(const QPersistentModelIndex &index, const QString &text)
{
    const auto reread = [this, index] {
        VarTreeItem *item = VarTreeItem::from(q->itemFromIndex(index));
        if (item && isWatching())
            readValue(item, Pass(currentProject()));
    };
    VarTreeItem *item = VarTreeItem::from(q->itemFromIndex(index));
    if (!item || !isWatching())
        return;
    const QString variable = item->variable();
    std::vector<uint8_t> bytes;
    QString error;
    if (!ValueFormat::parse(item->valueType(), text, item->showMode(), &bytes, &error)) {
        reread();
        tell(VarTreeWidget::tr("Nothing was written to %1: %2").arg(variable, error));
        return;
    }
    QPointer<VarTreeWidget> tree(q);
    const auto done = [this, tree, reread, variable](const QString &failure) {
        if (!tree)
            return;
        reread();
        if (!failure.isEmpty())
            tell(VarTreeWidget::tr("The value of %1 was not written: %2").arg(variable, failure));
    };
    if (!ac::LiveWatch::instance()->write(
            currentProject().toStdString(), item->address(), bytes, done))
        done(VarTreeWidget::tr("the controller has no such address."));
}

void VarTreeWidget::Private::onItemChanged(QTreeWidgetItem *changed, int column)
{
    if (column == ValueColumn && editedValue.isValid() &&
        q->itemFromIndex(editedValue) == changed && q->state() == QAbstractItemView::EditingState) {
        // Not from inside the editor's commit: a refusal opens a message box.
        const QPersistentModelIndex index = editedValue;
        const QString text = changed->text(ValueColumn);
        editedValue = QPersistentModelIndex();
        QTimer::singleShot(0, q, [this, index, text] { writeValue(index, text); });
        return;
    }
    if (column == ShowModeColumn) {
        if (VarTreeItem *item = VarTreeItem::from(changed); item && isWatching())
            readValue(item, Pass(currentProject()));
        return;
    }
    // Only the editor commits a name while the view edits; the full name still
    // holds the variable the row showed before.
    VarTreeItem *item = VarTreeItem::from(changed);
    if (column != NameColumn || settingNames || !item || item->isBit() ||
        q->state() != QAbstractItemView::EditingState) {
        return;
    }
    const QString text = item->text(NameColumn);
    if (text == item->text(FullNameColumn))
        return;
    setName(item, text, text);
    const Pass pass(currentProject());
    if (sourceChanged(pass))
        resolveAll(pass);
    else
        resolve(item, pass);
    if (isWatching())
        readValue(item, pass);
    emit q->variableChanged(q->indexOfTopLevelItem(item), text);
}

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

    d->timer.setInterval(refreshInterval);
    connect(&d->timer, &QTimer::timeout, this, [this] { d->refresh(); });
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
        d->onItemChanged(item, column);
    });
    d->scrollRefresh.setSingleShot(true);
    d->scrollRefresh.setInterval(0);
    connect(&d->scrollRefresh, &QTimer::timeout, this, [this] {
        if (d->isWatching())
            d->refresh();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (d->isWatching())
            d->scrollRefresh.start();
    });
    connect(itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        d->editedValue = QPersistentModelIndex();
    });
    connect(ac::LiveWatch::instance(),
            &ac::LiveWatch::valuesArrived,
            this,
            [this](const QString &project) {
                if (d->isWatching() && isVisible() && project == d->currentProject())
                    d->refresh();
            });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) {
        if (VarTreeItem *word = VarTreeItem::from(item); word && !word->isBit())
            d->expandWord(word);
    });

    d->transfer = qobject_cast<Transfer *>(service(HostNames::transfer()));
    if (d->transfer) {
        connect(d->transfer.data(), &Transfer::onlineState, this, [this](bool online) {
            if (online)
                d->refresh();
            else
                d->clearValues();
            d->updateTimer();
        });
    }
    if (auto cookies = qobject_cast<ICookies *>(service(HostNames::cookies()))) {
        connect(
            cookies, &ICookies::valueChanged, this, [this](const QString &key, const QVariant &) {
                if (d->ownProject().isEmpty() && key == HostNames::projectNameCookie())
                    resetTree();
            });
    }
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
    if (variable != item->variable()) {
        item->setShowMode(10);
        d->forgetView(item);
    }
    d->setName(item, name, fullName);
    const Private::Pass pass(d->currentProject());
    if (d->sourceChanged(pass))
        d->resolveAll(pass);
    else
        d->resolve(item, pass);
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
