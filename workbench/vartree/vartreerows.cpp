#include "vartreewidget_p.h"

#include "hostnames.h"
#include "iapplication.h"
#include "icookies.h"
#include "livewatch.h"
#include "objectregistry.h"
#include "softcomponentmodel.h"
#include "valueformat.h"
#include "vartreeitem.h"

#include <QApplication>
#include <QMessageBox>
#include <QScrollBar>

// The tree's passes over its rows: resolving names to addresses, reading and
// writing values, and the words' bits.

using namespace VarTreeDetail;

namespace {

const int wordBits = 16;

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

} // namespace

QObject *VarTreeDetail::service(const QString &name)
{
    if (!qApp)
        return nullptr;
    const auto app = reinterpret_cast<IApplication *>(qApp->property("IApplication").toULongLong());
    ObjectRegistry *registry = app ? app->objectRegistry() : nullptr;
    return registry ? registry->value(name) : nullptr;
}

QString VarTreeDetail::projectNameCookie()
{
    const auto cookies = qobject_cast<ICookies *>(service(HostNames::cookies()));
    return cookies ? cookies->value(HostNames::projectNameCookie()).toString() : QString();
}

void VarTreeDetail::setTextIfChanged(QTreeWidgetItem *item, int column, const QString &text)
{
    if (item->text(column) != text)
        item->setText(column, text);
}

QString VarTreeDetail::problemOf(QTreeWidgetItem *item)
{
    const VarTreeItem *row = VarTreeItem::from(item);
    return row ? row->problem() : QString();
}

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
