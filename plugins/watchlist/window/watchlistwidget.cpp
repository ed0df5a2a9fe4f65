#include "watchlistwidget.h"

#include "entrychanges.h"
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
#include "watchlistwidget_p.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

using namespace WatchListWindow;

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
    varTree->installEventFilter(this);
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

    setupFindBar();
    auto layout = new QVBoxLayout;
    layout->addWidget(varTree);
    layout->addWidget(findBar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setLayout(layout);
}

void WatchListWidget::setupFindBar()
{
    findBar = new QWidget(this);
    findBar->setObjectName(QStringLiteral("findBar"));
    findEdit = new QLineEdit(findBar);
    findEdit->setPlaceholderText(tr("Find a name (Enter or F3: the next one)"));
    findEdit->setClearButtonEnabled(true);
    findEdit->installEventFilter(this);
    findStatus = new QLabel(findBar);
    findStatus->setTextFormat(Qt::PlainText);
    auto layout = new QHBoxLayout(findBar);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(findEdit, 1);
    layout->addWidget(findStatus, 1);
    connect(findEdit, &QLineEdit::returnPressed, this, [this] { findNext(findEdit->text()); });
    connect(findEdit, &QLineEdit::textEdited, findStatus, &QLabel::clear);
    findBar->hide();
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

namespace {

bool isClipboardKey(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
           key->matches(QKeySequence::Paste);
}

// Alt+Up and Alt+Down move rows; -1, +1, or 0 for another key.
int moveKeyDelta(const QKeyEvent *key)
{
    if (key->modifiers() != Qt::AltModifier)
        return 0;
    return key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
}

bool isFindKey(const QKeyEvent *key)
{
    return key->matches(QKeySequence::Find) || key->matches(QKeySequence::FindNext);
}

} // namespace

bool WatchListWidget::event(QEvent *event)
{
    // An application-wide shortcut must not take the list's own keys.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete || isClipboardKey(key) || isFindKey(key) ||
            moveKeyDelta(key) != 0) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

bool WatchListWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == varTree || watched == findEdit)) {
        const auto key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Find)) {
            showFindBar();
            return true;
        }
        if (key->matches(QKeySequence::FindNext)) {
            if (findEdit->text().isEmpty())
                showFindBar();
            else
                findNext(findEdit->text());
            return true;
        }
        if (watched == findEdit && key->key() == Qt::Key_Escape) {
            findBar->hide();
            varTree->setFocus();
            return true;
        }
    }
    // The tree would copy the current cell's text alone, and paste nothing.
    if (watched == varTree && event->type() == QEvent::KeyPress) {
        const auto key = static_cast<QKeyEvent *>(event);
        if (const int delta = moveKeyDelta(key)) {
            moveSelectedRows(delta);
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            copySelectedRows();
            return true;
        }
        if (key->matches(QKeySequence::Cut)) {
            cutSelectedRows();
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            pasteRows(QGuiApplication::clipboard()->text());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
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

void WatchListWidget::showFindBar()
{
    findBar->show();
    findEdit->setFocus(Qt::ShortcutFocusReason);
    findEdit->selectAll();
}

int WatchListWidget::findNext(const QString &text)
{
    const Lookup list = findWatchListObject();
    if (!list || text.isEmpty())
        return -1;
    const int count = list->getCount();
    int from = currentEntryRow();
    if (from >= count)
        from = -1; // the empty last row: from the top
    // The list itself is searched, not the loaded rows: the row found may
    // lie far below them.
    for (int step = 1; step <= count; ++step) {
        const int row = (from + step) % count;
        if (!list->getVariableName(row).contains(text, Qt::CaseInsensitive))
            continue;
        findStatus->clear();
        showVariable(row);
        return row;
    }
    findStatus->setText(tr("No name contains \"%1\".").arg(text));
    return -1;
}
