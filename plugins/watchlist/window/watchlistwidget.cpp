#include "watchlistwidget.h"

#include "abstractprojectmodel.h"
#include "accore.h"
#include "entrychanges.h"
#include "entrycommand.h"
#include "hostnames.h"
#include "hostservices.h"
#include "icookies.h"
#include "icrossreference.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "showmodes.h"
#include "softcomponentmodel.h"
#include "transfer.h"
#include "vartreewidget.h"
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

// The watch list of one operation, with the guard that keeps its project alive.
class WatchListWidget::Lookup
{
public:
    explicit Lookup(WatchListModelHandle handle, const QString &watchListName)
        : model(std::move(handle))
    {
        if (model)
            list = model->getObject(watchListName);
    }

    WatchListObject *operator->() const { return list; }
    explicit operator bool() const { return list != nullptr; }

    WatchListModelHandle model;
    WatchListObject *list = nullptr;
};

namespace {
constexpr int rowHeight = 15;
constexpr int pageRows = 20;
constexpr int defaultShowMode = 10;
// A batch above this many rows is confirmed first.
constexpr qint64 largeBatch = 100000;

struct TypeSuffix
{
    int dataType;
    const char *suffix;
    quint32 bytes;
};

const TypeSuffix typeSuffixes[] = {
    {ac::TYPE_INT, ".S", 2},
    {ac::TYPE_DINT, ".D", 4},
    {ac::TYPE_LINT, ".L", 8},
    {ac::TYPE_UINT, ".U", 2},
    {ac::TYPE_UDINT, ".UD", 4},
    {ac::TYPE_ULINT, ".UL", 8},
    {ac::TYPE_REAL, ".F", 4},
    {ac::TYPE_LREAL, ".DF", 8},
    {ac::TYPE_STRING, ".T", 81},
    {ac::TYPE_WSTRING, ".WT", 162},
};

// The suffix that reads a value of that type at a word, and the value's width.
TypeSuffix typeSuffixOf(int dataType)
{
    for (const TypeSuffix &entry : typeSuffixes) {
        if (entry.dataType == dataType)
            return entry;
    }
    return {dataType, "", 1};
}

} // namespace

// Paging stays off while rows change under a list that has changed already:
// rows going at the bottom move the scroll bar, and a page loaded meanwhile
// would come from the new list into a tree still holding the old rows.
class WatchListWidget::PagingHold
{
public:
    explicit PagingHold(WatchListWidget *widget)
        : widget(widget)
    {
        QObject::disconnect(widget->varTree->verticalScrollBar(),
                            &QScrollBar::valueChanged,
                            widget,
                            &WatchListWidget::onScrollValueChanged);
    }
    ~PagingHold()
    {
        QObject::connect(widget->varTree->verticalScrollBar(),
                         &QScrollBar::valueChanged,
                         widget,
                         &WatchListWidget::onScrollValueChanged);
    }

private:
    WatchListWidget *widget;
};

namespace {

// A message of the window's own, without parent: the window may be closed
// while it waits. Names in it are shown as written.
int tell(QMessageBox::Icon icon,
         const QString &title,
         const QString &text,
         QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, title, text, buttons);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    return box.exec();
}

} // namespace

WatchListWidget::WatchListWidget(const QString &watchListName,
                                 const QString &projectName,
                                 QWidget *parent)
    : QWidget(parent)
    , watchListName(watchListName)
    , projectName(projectName)
{
    setObjectName(QStringLiteral("WatchList_") + watchListName);

    QFile styleSheet(QStringLiteral(":/resource/style.qss"));
    if (styleSheet.open(QIODevice::ReadOnly))
        setStyleSheet(QString::fromUtf8(styleSheet.readAll()));

    setupUi();
    initColumns();
    connectHost();
}

WatchListWidget::~WatchListWidget()
{
    // Hiding the tree on the way out moves its scroll bar and commits an open
    // editor; by then this is no longer a WatchListWidget to deliver them to.
    varTree->verticalScrollBar()->disconnect(this);
    varTree->disconnect(this);
}

void WatchListWidget::setupUi()
{
    varTree = new VarTreeWidget(this);
    varTree->setProperty("projectName", projectName);
    contextMenu = new QMenu(this);

    const auto addCommand = [this](const QString &text, void (WatchListWidget::*command)()) {
        QAction *action = contextMenu->addAction(text);
        connect(action, &QAction::triggered, action, [this, command] { (this->*command)(); });
    };
    addCommand(tr("Goto Definition"), &WatchListWidget::gotoDefinition);
    addCommand(tr("Browse CrossReference"), &WatchListWidget::browseCrossReference);
    addCommand(tr("Insert"), &WatchListWidget::insertRowAtSelection);
    addCommand(tr("Delete"), &WatchListWidget::deleteSelectedRows);

    auto cookies = HostServices::cookies(HostServices::application());
    if (cookies && cookies->value(HostNames::programStyleCookie(), 0).toInt() == 1) {
        QAction *batchMonitor = contextMenu->addAction(tr("Batch Monitor"));
        connect(batchMonitor, &QAction::triggered, this, &WatchListWidget::onBatchMonitor);
    }

    auto layout = new QVBoxLayout;
    layout->addWidget(varTree);
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);
}

void WatchListWidget::initColumns()
{
    for (int column : {0, 3, 4})
        varTree->setColumnWidth(column, 200);
    for (int column : {7, 8, 9})
        varTree->setColumnHidden(column, true);
    varTree->setRowCount(1);
    fillVisibleRows();
}

void WatchListWidget::connectHost()
{
    connect(varTree->verticalScrollBar(),
            &QScrollBar::valueChanged,
            this,
            &WatchListWidget::onScrollValueChanged);
    connect(varTree,
            &VarTreeWidget::variableChanged,
            this,
            &WatchListWidget::onVariableChanged,
            Qt::UniqueConnection);
    connect(varTree, &QTreeWidget::itemChanged, this, &WatchListWidget::onItemChanged);
    connect(
        EntryChanges::instance(), &EntryChanges::changed, this, &WatchListWidget::onEntriesChanged);

    QObject *transfer = HostServices::find(HostServices::application(), HostNames::transfer());
    if (qobject_cast<Transfer *>(transfer))
        connect(transfer, SIGNAL(onlineState(bool)), this, SLOT(onOnlineStateChanged(bool)));

    connect(SymbolSynchrinizer::instance(),
            &SymbolSynchrinizer::syncComplied,
            this,
            &WatchListWidget::onSyncComplied);

    const SafeProjectModel project(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    if (project) {
        if (auto softComponents =
                qobject_cast<SoftComponentModel *>(project->subModel("SoftComponentModel"))) {
            connect(softComponents,
                    &SoftComponentModel::dataChanged,
                    this,
                    &WatchListWidget::onSoftComponentDataChanged);
        }
    }
}

WatchListWidget::Lookup WatchListWidget::findWatchListObject() const
{
    return Lookup(WatchListModelHandle::find(projectName), watchListName);
}

void WatchListWidget::setWatchListName(const QString &name)
{
    watchListName = name;
    setObjectName(QStringLiteral("WatchList_") + name);
}

int WatchListWidget::lastLoadedRow() const
{
    return varTree->topLevelItemCount() - 2;
}

void WatchListWidget::loadRows(int count)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;

    varTree->enableWatch(false);
    const int first = std::max(lastLoadedRow() + 1, 0);
    int end = first + std::max(0, std::min(count, list->getCount() - first));
    // A page that stops just above the last entry would leave that entry
    // behind a blank row, where typing overwrites it: load it with the page.
    if (end == list->getCount() - 1)
        ++end;
    // The page's rows go into the tree in one insertion: the tree pays a round
    // of model signals for each insertion, whatever its size.
    if (end > first)
        varTree->setRowCount(end + 1);
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    for (int next = first; next < end; ++next) {
        const QString name = list->getVariableName(next);
        varTree->setVariable(next, name, name);
        const int mode = modes.modeAt(next);
        if (mode != defaultShowMode)
            varTree->setIntegerShowMode(next, mode);
    }
    varTree->enableWatch(true);
}

int WatchListWidget::visibleRowsWanted() const
{
    return 4 * (varTree->height() / rowHeight);
}

void WatchListWidget::fillVisibleRows()
{
    loadRows(visibleRowsWanted());
}

void WatchListWidget::topUp()
{
    const int loaded = lastLoadedRow() + 1;
    if (loaded < visibleRowsWanted())
        loadRows(visibleRowsWanted() - loaded);
}

void WatchListWidget::onScrollValueChanged(int value)
{
    if (value != varTree->verticalScrollBar()->maximum())
        return;
    const Lookup list = findWatchListObject();
    if (list && lastLoadedRow() != list->getCount() - 1)
        loadRows(pageRows);
}

void WatchListWidget::showVariable(int rowIndex)
{
    const Lookup list = findWatchListObject();
    if (!list || rowIndex >= list->getCount())
        return;
    while (lastLoadedRow() < rowIndex)
        loadRows(pageRows);
    varTree->setCurrentRow(rowIndex);
}

void WatchListWidget::writeRow(const Lookup &list, const ShowModes &modes, int row)
{
    const QString name = list->getVariableName(row);
    varTree->setVariable(row, name, name);
    varTree->setIntegerShowMode(row, modes.modeAt(row));
}

void WatchListWidget::refreshRow(int row)
{
    const Lookup list = findWatchListObject();
    if (list && row < list->getCount() && row < varTree->topLevelItemCount())
        writeRow(list, ShowModes::fromPropertys(list->getPropertys()), row);
}

void WatchListWidget::reloadFrom(int first)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    const int count = list->getCount();
    const int loaded = std::max(lastLoadedRow() + 1, 0);
    int target = std::min(std::max(loaded, visibleRowsWanted()), count);
    if (target == count - 1)
        ++target;
    first = std::max(0, std::min({first, loaded, target}));

    const PagingHold hold(this);
    varTree->enableWatch(false);
    if (target < loaded) {
        // The rows of entries go, the empty last row stays, with an editor
        // the user may have open in it. A current row among those going is
        // parked, or it would move at each row taken off.
        QItemSelectionModel *selection = varTree->selectionModel();
        const QModelIndex current = selection->currentIndex();
        const bool parked = current.isValid() && !current.parent().isValid() &&
                            current.row() >= target && current.row() < loaded;
        if (parked)
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        for (int row = loaded - 1; row >= target; --row)
            varTree->removeRow(row);
        if (parked) {
            selection->setCurrentIndex(varTree->model()->index(target, current.column()),
                                       QItemSelectionModel::NoUpdate);
        }
    } else if (target > loaded) {
        varTree->setRowCount(target + 1);
    }
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    for (int row = first; row < target; ++row)
        writeRow(list, modes, row);
    varTree->enableWatch(true);
}

void WatchListWidget::onEntriesChanged(const QString &project,
                                       const QString &watchList,
                                       int firstIndex)
{
    if (project == projectName && watchList == watchListName)
        reloadFrom(firstIndex);
}

void WatchListWidget::onVariableChanged(int rowIndex, QString varFullName)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    if (rowIndex >= list->getCount() || rowIndex > lastLoadedRow()) {
        addTypedEntry(list, rowIndex, varFullName);
        return;
    }
    const QString previous = list->getVariableName(rowIndex);
    if (previous == varFullName)
        return;
    EntryCommand::Change change;
    change.kind = EntryCommand::Replace;
    change.entries = {{rowIndex, varFullName}};
    change.previous = QStringList{previous};
    const QString text =
        previous.isEmpty() ? EntryCommand::tr("Type %1 into %2").arg(varFullName, watchListName)
        : varFullName.isEmpty()
            ? EntryCommand::tr("Clear %1 in %2").arg(previous, watchListName)
            : EntryCommand::tr("Change %1 to %2 in %3").arg(previous, varFullName, watchListName);
    EntryCommand::perform(projectName, list.list, change, text);
}

void WatchListWidget::addTypedEntry(const Lookup &list, int rowIndex, const QString &name)
{
    // Past the end the row is the one to type into; the empty last row of a
    // list not loaded to its end stands for an entry the user has not seen,
    // which stays, below the typed one.
    const int count = list->getCount();
    rowIndex = std::min(rowIndex, count);
    EntryCommand::Change change;
    change.entries = {{rowIndex, name}};
    if (!EntryCommand::perform(projectName,
                               list.list,
                               change,
                               EntryCommand::tr("Add %1 to %2").arg(name, watchListName))) {
        // Only a full list refuses an entry; the row must not show one it lacks.
        varTree->setVariable(rowIndex, QString(), QString());
        return;
    }
    if (rowIndex == count) {
        varTree->setRowCount(count + 2);
    } else {
        varTree->setRowCount(rowIndex + 2);
        refreshRow(rowIndex);
    }
    // As in a spreadsheet, Enter moves on to the next row, so typing on adds
    // entries instead of replacing the one just typed. Once the editor is
    // closed: moving the current row from inside its commit closes it twice.
    const QPointer<VarTreeWidget> tree(varTree);
    QMetaObject::invokeMethod(
        varTree,
        [tree, row = rowIndex + 1] {
            if (tree && row < tree->topLevelItemCount())
                tree->setCurrentRow(row);
        },
        Qt::QueuedConnection);
}

QVector<int> WatchListWidget::selectedRows() const
{
    // The selection model knows each row; asking the tree item by item costs
    // a search per item in a long list.
    QVector<int> rows;
    const QModelIndexList indexes = varTree->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : indexes) {
        if (index.column() == 0 && !index.parent().isValid())
            rows.append(index.row());
    }
    return rows;
}

void WatchListWidget::insertRowAtSelection()
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    const QVector<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const int r = std::min(rows.first(), list->getCount());

    EntryCommand::Change change;
    change.entries = {{r, QString()}};
    if (!EntryCommand::perform(projectName,
                               list.list,
                               change,
                               EntryCommand::tr("Insert a row into %1").arg(watchListName)))
        return;

    varTree->enableWatch(false);
    QScrollBar *scrollBar = varTree->verticalScrollBar();
    const int scrollValue = scrollBar->value();
    const ShowModes modes = ShowModes::fromPropertys(list->getPropertys());
    // Loaded rows move down with their entries, and take their view state along.
    const int n = std::min(list->getCount(), varTree->topLevelItemCount());
    for (int i = n - 1; i > r; --i) {
        QMap<QString, QMap<QString, QVariant>> states;
        varTree->saveItemStates(varTree->topLevelItem(i - 1), states);
        writeRow(list, modes, i);
        varTree->restoreItemStates(varTree->topLevelItem(i), states);
    }
    if (r < varTree->topLevelItemCount())
        writeRow(list, modes, r);

    scrollBar->setValue(scrollValue);
    varTree->enableWatch(true);
    loadRows(pageRows);
}

QVector<int> WatchListWidget::rowsToDelete(QVector<int> rows, int count)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // The empty last row has no entry; in a list not loaded to its end it
    // stands for one the user has not seen, which is not deleted.
    const int loaded = std::min(lastLoadedRow() + 1, count);
    rows.erase(std::lower_bound(rows.begin(), rows.end(), loaded), rows.end());
    if (rows.size() < loaded || loaded == count || loaded == 0)
        return rows;

    // Every row on show is selected, and the list goes on below them: the
    // user meant all of it, or wants to be asked.
    const QPointer<WatchListWidget> self(this);
    if (tell(QMessageBox::Question,
             tr("Tip"),
             tr("Delete all %L1 entries of %2?").arg(count).arg(watchListName),
             QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) != QMessageBox::Yes ||
        !self)
        return {};
    QVector<int> all(count);
    std::iota(all.begin(), all.end(), 0);
    return all;
}

void WatchListWidget::deleteSelectedRows()
{
    int count = 0;
    {
        const Lookup list = findWatchListObject();
        if (!list)
            return;
        count = list->getCount();
    }
    const QPointer<WatchListWidget> self(this);
    const QVector<int> rows = rowsToDelete(selectedRows(), count);
    // The question gave the host time to close the window or the project.
    if (!self || rows.isEmpty())
        return;
    const Lookup list = findWatchListObject();
    if (!list || list->getCount() != count)
        return;

    EntryCommand::Change change;
    change.kind = EntryCommand::Remove;
    change.entries.reserve(rows.size());
    for (int row : rows)
        change.entries.append({row, list->getVariableName(row)});
    if (!EntryCommand::perform(
            projectName,
            list.list,
            change,
            rows.size() > 1
                ? EntryCommand::tr("Delete %L1 rows from %2").arg(rows.size()).arg(watchListName)
            : change.entries.first().name.isEmpty()
                ? EntryCommand::tr("Delete an empty row from %1").arg(watchListName)
                : EntryCommand::tr("Delete %1 from %2")
                      .arg(change.entries.first().name, watchListName)))
        return;

    if (rows.size() == count) {
        // All at once: row by row, the current row would move at each removal.
        const PagingHold hold(this);
        varTree->clear();
        varTree->setRowCount(1);
    } else {
        // A current row among the deleted ones moves to its neighbour at each
        // removal, and each move lays the whole tree out again. It is parked
        // for the loop and put afterwards where those moves would have left it.
        QItemSelectionModel *selection = varTree->selectionModel();
        const QModelIndex current = selection->currentIndex();
        int currentRow = current.isValid() && !current.parent().isValid() ? current.row() : -1;
        const bool parked =
            currentRow >= 0 && std::binary_search(rows.cbegin(), rows.cend(), currentRow);
        if (parked)
            selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        const PagingHold hold(this);
        for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
            varTree->removeRow(*row);
            if (*row < currentRow)
                --currentRow;
            else if (*row == currentRow)
                currentRow = std::max(currentRow - 1, 0);
        }
        if (parked) {
            selection->setCurrentIndex(varTree->model()->index(currentRow, current.column()),
                                       QItemSelectionModel::NoUpdate);
        }
    }
    // Never a blank window over a list that has more entries.
    topUp();
}

void WatchListWidget::appendVariableRow(const QString &name, int showMode)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    EntryCommand::Change change;
    change.entries = {{list->getCount(), name}};
    change.modeFirst = list->getCount();
    change.modeCount = 1;
    change.mode = showMode;
    EntryCommand::perform(
        projectName, list.list, change, EntryCommand::tr("Add %1 to %2").arg(name, watchListName));
}

void WatchListWidget::onItemChanged(QTreeWidgetItem *item, int column)
{
    if (column != VarTreeWidget::ShowModeColumn)
        return;
    const int row = varTree->indexOfTopLevelItem(item);
    const int mode = item->data(VarTreeWidget::ShowModeColumn, Qt::UserRole).toInt();
    if (row < 0 || row > lastLoadedRow() || (mode != 2 && mode != 10 && mode != 16))
        return;
    const Lookup list = findWatchListObject();
    if (!list || row >= list->getCount() ||
        ShowModes::fromPropertys(list->getPropertys()).modeAt(row) == mode)
        return;
    EntryCommand::Change change;
    change.kind = EntryCommand::Modes;
    change.modeFirst = row;
    change.modeCount = 1;
    change.mode = mode;
    const QString radix = mode == 2 ? tr("Binary") : mode == 16 ? tr("Hexadecimal") : tr("Decimal");
    EntryCommand::perform(projectName,
                          list.list,
                          change,
                          EntryCommand::tr("Show %1 in %2").arg(list->getVariableName(row), radix));
}

void WatchListWidget::gotoDefinition()
{
    auto helper = HostServices::viewHelper(HostServices::application());
    if (!helper)
        return;
    QTreeWidgetItem *item = varTree->currentItem();
    if (!item)
        return;
    helper->gotoSymbol(varTree->getItemData(item, 0), projectName);
}

void WatchListWidget::browseCrossReference()
{
    auto crossReference = qobject_cast<ICrossReference *>(
        HostServices::find(HostServices::application(), HostNames::crossReference()));
    if (!crossReference)
        return;
    QTreeWidgetItem *item = varTree->currentItem();
    if (!item)
        return;
    crossReference->browseSymbol(varTree->getItemData(item, 0));
}

void WatchListWidget::onBatchMonitor()
{
    // The dialog asks about the areas of this window's project, whichever
    // project is current in the solution tree.
    BatchMonotorDlg dialog(projectName);
    const QPointer<WatchListWidget> self(this);
    const int result = dialog.exec();
    // The project, and this window with it, may have closed meanwhile.
    if (self && result == QDialog::Accepted)
        addBatchVariables(dialog.param);
}

bool WatchListWidget::acceptBatchSize(qint64 rows, int countBefore)
{
    if (rows > qint64(WatchListObject::MaxCount) - countBefore) {
        tell(QMessageBox::Information,
             tr("Tip"),
             tr("A watch list holds at most %L1 entries: the %L2 rows of this range do not "
                "fit into %3, which holds %L4. Nothing was added.")
                 .arg(WatchListObject::MaxCount)
                 .arg(rows)
                 .arg(watchListName)
                 .arg(countBefore),
             QMessageBox::Ok,
             QMessageBox::Ok);
        return false;
    }
    if (rows <= largeBatch)
        return true;
    return tell(QMessageBox::Question,
                tr("Tip"),
                tr("Add %L1 rows to %2?").arg(rows).arg(watchListName),
                QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void WatchListWidget::addBatchVariables(const BatchMonitorParam &param)
{
    ac::JapanMemLayout area;
    {
        const SafeAccore core(projectName.toStdString(), false);
        if (!core)
            return;
        area = core->deviceMemory()->japanMemLayout(param.scType.toStdString());
    }
    const quint32 unit = BatchMonotorDlg::elementBytes(area.elementSize);
    const quint64 addressCount =
        area.elementSize == 0 ? quint64(area.byteSize) * 8 : quint64(area.byteSize / unit);
    // 64 bits: a range at the top of a 2^32-bit area must not wrap to its start.
    const quint64 begin = param.beginAddress;
    const quint64 end = begin + param.length;
    const int radix = int(area.radix);
    const bool plain = area.elementSize == 0 || param.dataType == param.scDataType;
    const quint32 bits = unit * 8;
    const TypeSuffix type = typeSuffixOf(param.dataType);
    const quint64 step = (type.bytes + unit - 1) / unit;

    // Counted before a single name is made: a mistyped range must be refused,
    // not built.
    quint64 rows = 0;
    if (end > addressCount)
        rows = 0; // the dialog refuses such ranges; another caller may not
    else if (plain)
        rows = param.length;
    else if (area.elementSize != 2)
        rows = 0; // only words are read as bits or as wider values
    else if (param.dataType == ac::TYPE_BOOL)
        rows = quint64(param.length) * bits;
    else
        rows = param.length / step;

    int countBefore = 0;
    {
        const Lookup list = findWatchListObject();
        if (!list)
            return;
        countBefore = list->getCount();
    }
    const QPointer<WatchListWidget> self(this);
    if (rows > 0 && (!acceptBatchSize(qint64(rows), countBefore) || !self))
        return;

    const Lookup list = findWatchListObject();
    if (list && rows > 0 && list->getCount() == countBefore) {
        EntryCommand::Change change;
        change.entries.reserve(int(rows));
        const auto append = [&change, countBefore](const QString &name) {
            change.entries.append({countBefore + change.entries.size(), name});
        };
        if (plain) {
            for (quint64 address = begin; address < end; ++address)
                append(param.scType + QString::number(address, radix));
        } else if (param.dataType == ac::TYPE_BOOL) {
            for (quint64 address = begin; address < end; ++address) {
                const QString word =
                    param.scType + QString::number(address, radix) + QLatin1Char('.');
                for (quint32 bit = 0; bit < bits; ++bit)
                    append(word + QString::number(bit));
            }
        } else {
            const QString suffix = QLatin1String(type.suffix);
            for (quint64 address = begin; address + step <= end; address += step)
                append(param.scType + QString::number(address, radix) + suffix);
        }
        change.modeFirst = countBefore;
        change.modeCount = change.entries.size();
        change.mode = param.showMode;
        EntryCommand::perform(projectName,
                              list.list,
                              change,
                              change.entries.size() == 1
                                  ? EntryCommand::tr("Add a row to %1").arg(watchListName)
                                  : EntryCommand::tr("Add %L1 rows to %2")
                                        .arg(change.entries.size())
                                        .arg(watchListName));
    }
    fillVisibleRows();
}

void WatchListWidget::onSyncComplied(SymbolSynchrinizer::SyncType type, std::string param)
{
    Q_UNUSED(type)
    Q_UNUSED(param)
    varTree->resetTree();
}

void WatchListWidget::onOnlineStateChanged(bool online)
{
    Q_UNUSED(online)
    varTree->resetTree();
}

void WatchListWidget::onSoftComponentDataChanged()
{
    varTree->resetTree();
}

bool WatchListWidget::event(QEvent *event)
{
    // An application-wide Delete shortcut must not take the key from the list.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void WatchListWidget::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete)
        deleteSelectedRows();
    QWidget::keyPressEvent(event);
}

void WatchListWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fillVisibleRows();
}

void WatchListWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fillVisibleRows();
}

void WatchListWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (!contextMenu->actions().isEmpty())
        contextMenu->exec(event->globalPos());
}
