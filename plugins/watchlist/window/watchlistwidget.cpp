#include "watchlistwidget.h"

#include "abstractprojectmodel.h"
#include "accore.h"
#include "hostservices.h"
#include "icookies.h"
#include "icrossreference.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
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
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

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

    auto cookies = qobject_cast<ICookies *>(
        HostServices::find(HostServices::application(), QStringLiteral("ICookies")));
    if (cookies && cookies->value(QStringLiteral("Program.Style"), 0).toInt() == 1) {
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

    QObject *transfer =
        HostServices::find(HostServices::application(), QStringLiteral("zentrel.Transfer"));
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
    for (int next = first; next < end; ++next) {
        const QString name = list->getVariableName(next);
        varTree->setVariable(next, name, name);
        const auto pending = pendingShowModes.find(next);
        if (pending != pendingShowModes.end()) {
            varTree->setIntegerShowMode(next, pending.value());
            pendingShowModes.erase(pending);
        }
    }
    varTree->enableWatch(true);
}

void WatchListWidget::fillVisibleRows()
{
    loadRows(4 * (varTree->height() / rowHeight));
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

void WatchListWidget::refreshRow(int row)
{
    const Lookup list = findWatchListObject();
    if (list && row < list->getCount() && row < varTree->topLevelItemCount()) {
        const QString name = list->getVariableName(row);
        varTree->setVariable(row, name, name);
    }
}

void WatchListWidget::onVariableChanged(int rowIndex, QString varFullName)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    if (rowIndex == list->getCount()) {
        list->appendVariable(varFullName);
        varTree->setRowCount(list->getCount() + 1);
    } else if (rowIndex > lastLoadedRow()) {
        // The empty last row of a list not loaded to its end stands for an
        // entry the user has not seen: keep that entry, below the typed one,
        // moving every later entry down as Insert does.
        list->appendVariable(QString());
        for (int i = list->getCount() - 1; i > rowIndex; --i)
            list->setVariableName(i, list->getVariableName(i - 1));
        list->setVariableName(rowIndex, varFullName);
        shiftPendingShowModes(rowIndex, +1);
        varTree->setRowCount(rowIndex + 2);
        refreshRow(rowIndex);
    } else {
        list->setVariableName(rowIndex, varFullName);
    }
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
    const int r = rows.first();

    varTree->enableWatch(false);
    QScrollBar *scrollBar = varTree->verticalScrollBar();
    const int scrollValue = scrollBar->value();

    list->appendVariable(QString());
    const int n = list->getCount();
    for (int i = n - 1; i > r && i > 0; --i) {
        const int j = i - 1;
        list->setVariableName(i, list->getVariableName(j));
        if (i >= varTree->topLevelItemCount())
            continue;
        QMap<QString, QMap<QString, QVariant>> states;
        if (QTreeWidgetItem *item = varTree->topLevelItem(j))
            varTree->saveItemStates(item, states);
        refreshRow(i);
        varTree->restoreItemStates(varTree->topLevelItem(i), states);
    }
    list->setVariableName(r, QString());
    refreshRow(r);
    shiftPendingShowModes(r, +1);

    scrollBar->setValue(scrollValue);
    varTree->enableWatch(true);
    loadRows(pageRows);
}

void WatchListWidget::deleteSelectedRows()
{
    QVector<int> rows = selectedRows();
    std::sort(rows.begin(), rows.end());
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    // The empty last row of a list not loaded to its end stands for an entry
    // the user has not seen yet; it is not deleted.
    const int lastLoaded = lastLoadedRow();
    // A current row among the deleted ones moves to its neighbour at each
    // removal, and each move lays the whole tree out again. It is parked for
    // the loop and put afterwards where those moves would have left it.
    QItemSelectionModel *selection = varTree->selectionModel();
    const QModelIndex current = selection->currentIndex();
    int currentRow = current.isValid() && !current.parent().isValid() ? current.row() : -1;
    const bool parked = currentRow >= 0 && currentRow <= lastLoaded &&
                        std::binary_search(rows.cbegin(), rows.cend(), currentRow);
    if (parked)
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    QVector<int> removed;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        if (*row <= lastLoaded && list->removeVariable(*row)) {
            varTree->removeRow(*row);
            removed.prepend(*row);
            if (*row < currentRow)
                --currentRow;
            else if (*row == currentRow)
                currentRow = std::max(currentRow - 1, 0);
        }
    }
    if (parked) {
        selection->setCurrentIndex(varTree->model()->index(currentRow, current.column()),
                                   QItemSelectionModel::NoUpdate);
    }
    dropPendingShowModes(removed);
}

void WatchListWidget::appendVariableRow(const QString &name, int showMode)
{
    const Lookup list = findWatchListObject();
    if (!list)
        return;
    list->appendVariable(name);
    pendingShowModes.insert(list->getCount() - 1, showMode);
}

void WatchListWidget::gotoDefinition()
{
    auto helper = static_cast<Solution::ViewHelper *>(
        HostServices::find(HostServices::application(), QStringLiteral("Solution.ViewHelper")));
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
        HostServices::find(HostServices::application(), QStringLiteral("orvane.crossreference")));
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

void WatchListWidget::addBatchVariables(const BatchMonitorParam &param)
{
    const SafeAccore core(projectName.toStdString(), false);
    if (!core)
        return;
    const ac::JapanMemLayout area =
        core->deviceMemory()->japanMemLayout(param.scType.toStdString());
    const quint32 unit = BatchMonotorDlg::elementBytes(area.elementSize);
    const quint64 addressCount =
        area.elementSize == 0 ? quint64(area.byteSize) * 8 : quint64(area.byteSize / unit);
    // 64 bits: a range at the top of a 2^32-bit area must not wrap to its start.
    const quint64 begin = param.beginAddress;
    const quint64 end = begin + param.length;
    const int radix = int(area.radix);

    const Lookup list = findWatchListObject();
    if (list && end <= addressCount) {
        const auto append = [this, &list, &param](const QString &name) {
            list->appendVariable(name);
            pendingShowModes.insert(pendingShowModes.cend(), list->getCount() - 1, param.showMode);
        };
        if (area.elementSize == 0 || param.dataType == param.scDataType) {
            for (quint64 address = begin; address < end; ++address)
                append(param.scType + QString::number(address, radix));
        } else if (area.elementSize != 2) {
            // Only words are read as bits or as wider values.
        } else if (param.dataType == ac::TYPE_BOOL) {
            const quint32 bits = unit * 8;
            for (quint64 address = begin; address < end; ++address) {
                const QString word =
                    param.scType + QString::number(address, radix) + QLatin1Char('.');
                for (quint32 bit = 0; bit < bits; ++bit)
                    append(word + QString::number(bit));
            }
        } else {
            const TypeSuffix type = typeSuffixOf(param.dataType);
            const QString suffix = QLatin1String(type.suffix);
            const quint64 step = (type.bytes + unit - 1) / unit;
            for (quint64 address = begin; address + step <= end; address += step)
                append(param.scType + QString::number(address, radix) + suffix);
        }
    }
    fillVisibleRows();
}

void WatchListWidget::dropPendingShowModes(const QVector<int> &removedRows)
{
    if (pendingShowModes.isEmpty() || removedRows.isEmpty())
        return;
    QMap<int, int> kept;
    for (auto it = pendingShowModes.cbegin(); it != pendingShowModes.cend(); ++it) {
        const auto below = std::lower_bound(removedRows.cbegin(), removedRows.cend(), it.key());
        if (below != removedRows.cend() && *below == it.key())
            continue;
        kept.insert(it.key() - int(below - removedRows.cbegin()), it.value());
    }
    pendingShowModes.swap(kept);
}

void WatchListWidget::shiftPendingShowModes(int from, int delta)
{
    if (pendingShowModes.isEmpty())
        return;
    QMap<int, int> shifted;
    for (auto it = pendingShowModes.cbegin(); it != pendingShowModes.cend(); ++it)
        shifted.insert(it.key() >= from ? it.key() + delta : it.key(), it.value());
    pendingShowModes.swap(shifted);
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
