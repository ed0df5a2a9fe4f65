#include "watchlistplugin.h"

#include "hostnames.h"
#include "hostservices.h"
#include "iapplication.h"
#include "icomparatorman.h"
#include "itoolwindowmanager.h"
#include "modelcommands.h"
#include "newwatchlistdlg.h"
#include "objectregistry.h"
#include "renamewatchlistdlg.h"
#include "solutionview.h"
#include "viewhelper.h"
#include "watchlistcomparator.h"
#include "watchlistinstance.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QMessageBox>
#include <QTextStream>

namespace {

const QString folderNodeName = QStringLiteral("Watch List");

QString windowIdOf(const QString &name)
{
    return QStringLiteral("watchlist.") + name;
}

// A project and its sub-projects share one project model, named by the part
// of the project name before the first ".".
QString projectKeyOf(const QString &projectName)
{
    return projectName.section(QLatin1Char('.'), 0, 0);
}

} // namespace

WatchListPlugin::WatchListPlugin()
{
    setObjectName(QStringLiteral("WatchList"));

    QFile descriptor(QStringLiteral(":/watchlist_package.json"));
    if (descriptor.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&descriptor);
        stream.setCodec("UTF-8");
        packageDescriptor = stream.readAll();
        descriptor.close();
    }
}

// The menus belong to shutdown(): the host always calls it before unloading.
WatchListPlugin::~WatchListPlugin() = default;

bool WatchListPlugin::initialize()
{
    application = HostServices::application();

    folderMenu = new QMenu;
    actionInsert = new QAction(tr("Add Watch List"), folderMenu);
    folderMenu->addAction(actionInsert);

    watchListMenu = new QMenu;
    actionEdit = new QAction(tr("Edit Watch List"), watchListMenu);
    actionRename = new QAction(tr("Rename Watch List"), watchListMenu);
    actionRemove = new QAction(tr("Remove Watch List"), watchListMenu);
    watchListMenu->addAction(actionEdit);
    watchListMenu->addAction(actionRename);
    watchListMenu->addAction(actionRemove);

    connect(actionInsert, &QAction::triggered, this, &WatchListPlugin::onActionInsert);
    connect(actionEdit, &QAction::triggered, this, &WatchListPlugin::onActionEdit);
    connect(actionRemove, &QAction::triggered, this, &WatchListPlugin::onActionRemove);
    connect(actionRename, &QAction::triggered, this, &WatchListPlugin::onActionRename);

    Solution::View *view = HostServices::solutionView(application);
    connect(view,
            &Solution::View::projectOpened,
            this,
            &WatchListPlugin::onProjectOpened,
            Qt::UniqueConnection);
    connect(view,
            &Solution::View::projectClosed,
            this,
            &WatchListPlugin::onProjectClosed,
            Qt::UniqueConnection);
    connect(view,
            &Solution::View::nodeEvent,
            this,
            &WatchListPlugin::onNodeEvent,
            Qt::UniqueConnection);

    auto helper = HostServices::viewHelper(application);
    connect(helper,
            &Solution::ViewHelper::commandExecuted,
            this,
            &WatchListPlugin::onCommandExecuted,
            Qt::UniqueConnection);

    startWatchListService();
    registerComparator();
    return true;
}

void WatchListPlugin::startWatchListService()
{
    auto service = new WatchListInstance(this);
    service->setObjectName(IWatchList::serviceName());
    // An earlier service under the name keeps it; ours still answers our own requests.
    ObjectRegistry *registry = application->objectRegistry();
    if (!registry->value(service->objectName()))
        registry->insert(service);
    connect(service, &WatchListInstance::showVariable, this, &WatchListPlugin::onShowVariable);
}

void WatchListPlugin::registerComparator()
{
    auto manager = qobject_cast<IComparatorMan *>(
        HostServices::find(application, HostNames::comparatorManager()));
    if (!manager)
        return;
    auto comparator = new WatchListComparator;
    if (!manager->registerComparator(comparator))
        delete comparator;
}

void WatchListPlugin::shutdown()
{
    // The host may still emit before it deletes the plug-in; nothing may
    // reach the menus deleted below.
    if (Solution::View *view = HostServices::solutionView(application))
        view->disconnect(this);
    if (QObject *helper = HostServices::viewHelper(HostServices::application()))
        helper->disconnect(this);
    for (WatchListInstance *service : findChildren<WatchListInstance *>())
        service->disconnect(this);

    delete folderMenu;
    folderMenu = nullptr;
    delete watchListMenu;
    watchListMenu = nullptr;
    actionInsert = actionEdit = actionRemove = actionRename = nullptr;
}

WatchListModelHandle WatchListPlugin::findWatchListModel() const
{
    return WatchListModelHandle::find(HostServices::currentProjectName(application));
}

bool WatchListPlugin::isStillCurrent(const WatchListModelHandle &model) const
{
    return findWatchListModel().model() == model.model();
}

void WatchListPlugin::addWatchListNode(const QString &name)
{
    addWatchListNode(name, currentFolderPath());
}

void WatchListPlugin::addWatchListNode(const QString &name, const QString &folder)
{
    NodeInfo info;
    info.expanded = 0;
    info.visible = 1;
    info.name = name;
    info.text = name;
    info.data.insert(QStringLiteral("isWatchList"), true);
    info.data.insert(QStringLiteral("FileName"), QString(folder + QLatin1Char('.') + name));
    info.data.insert(QStringLiteral("MimeType"), QStringLiteral("TYPE.WATCHLIST"));
    HostServices::solutionView(application)->addNode(folder, info, 0);
}

void WatchListPlugin::onProjectOpened(QString projectName,
                                      Solution::ProjectInfo info,
                                      Solution::NodeLevel lev)
{
    if (lev != Solution::SubProjectLevel && lev != Solution::ProjectLevel)
        return;

    const QString projectKey = projectKeyOf(projectName);
    const WatchListModelHandle model = WatchListModelHandle::find(projectKey);
    if (!model)
        return;

    NodeInfo folder;
    folder.expanded = 0;
    folder.visible = 1;
    folder.name = folderNodeName;
    folder.text = tr("Watch List");
    HostServices::solutionView(application)->addNode(projectName, folder, 0);

    const QString previousFolderPath = folderPath;
    folderPath = projectName + QLatin1Char('.') + folder.name;
    // A sub-project opened in the background shares its parent's model, but
    // the parent's folder stays the one its commands address.
    if (info.isCurrent || !folderPaths.contains(projectKey))
        folderPaths.insert(projectKey, folderPath);
    const QStringList names = model->getWatchListNames();
    for (const QString &name : names)
        addWatchListNode(name, folderPath);

    // A project opened in the background keeps the commands on the current one.
    if (!info.isCurrent)
        folderPath = previousFolderPath;
}

void WatchListPlugin::onProjectClosed()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    const QStringList names = model->getWatchListNames();
    for (const QString &name : names)
        closeWatchList(name);
    folderPaths.remove(projectKeyOf(model.projectName()));
}

void WatchListPlugin::onNodeEvent(QString path, Solution::NodeEvent event, QVariant param)
{
    Q_UNUSED(param)
    const bool isWatchList = HostServices::solutionView(application)
                                 ->nodeData(path, QStringLiteral("isWatchList"), false)
                                 .toBool();
    const bool isFolder = path == currentFolderPath();
    if (!isWatchList && !isFolder)
        return;

    currentName = path.section(QLatin1Char('.'), -1);
    if (event == Solution::NodeContextMenu)
        (isFolder ? folderMenu : watchListMenu)->exec(QCursor::pos());
    else if (event == Solution::NodeActivated && !isFolder)
        openWatchList(currentName);
}

void WatchListPlugin::onActionEdit()
{
    openWatchList(currentName);
}

void WatchListPlugin::onActionInsert()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    NewWatchListDlg dialog(model.model());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.getName();
    if (!isStillCurrent(model)) {
        // The dialog has added the list, but its project is no longer the
        // one the node, the window and the undo step would go to: take the
        // list back rather than leave it invisible and beyond undo.
        model->removeWatchList(name);
        return;
    }
    addWatchListNode(name);
    openWatchList(name);

    if (WatchListObject *list = model->getObject(name);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelInsertCommand(list, model.model()));
}

void WatchListPlugin::onActionRemove()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    const int answer = QMessageBox::question(nullptr,
                                             tr("Tip"),
                                             tr("Sure to remove this watchlist?"),
                                             tr("Yes"),
                                             tr("No"),
                                             QString(),
                                             0,
                                             -1);
    if (answer != 0 || !isStillCurrent(model))
        return;

    if (WatchListObject *list = model->getObject(currentName);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelRemoveCommand(list, model.model()));
    doRemoveWatchList(currentName);
}

void WatchListPlugin::onActionRename()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    RenameWatchListDlg dialog(currentName, model.model());
    if (dialog.exec() != QDialog::Accepted || !isStillCurrent(model))
        return;
    const QString newName = dialog.getName();

    if (WatchListObject *list = model->getObject(currentName);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelRenameCommand(list, model.model(), currentName, newName));
    doRenameWatchList(currentName, newName);
}

void WatchListPlugin::doRemoveWatchList(const QString &name)
{
    const WatchListModelHandle model = findWatchListModel();
    if (model && model->removeWatchList(name))
        closeWatchList(name);
}

void WatchListPlugin::doRenameWatchList(const QString &oldName, const QString &newName)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model || oldName == newName)
        return;
    if (model->renameWatchList(oldName, newName))
        applyWatchListRename(oldName, newName);
}

void WatchListPlugin::onCommandExecuted(QString type, QString subModel, QString path, QString param)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model || subModel.toStdString() != model->name())
        return;

    if (type == QLatin1String(ModelStack::Insert)) {
        const unsigned index = path.toUInt(nullptr, 10);
        if (WatchListObject *list = model->getObject(index)) {
            addWatchListNode(list->getName());
            // The list is back at its place in the model; so is its node.
            Solution::View *view = HostServices::solutionView(application);
            const int nodeIndex = view->nodeIndex(nodePath(list->getName()));
            if (nodeIndex >= 0 && nodeIndex != int(index))
                view->moveNode(currentFolderPath(), int(index), nodeIndex);
        }
    } else if (type == QLatin1String(ModelStack::Remove)) {
        QJsonParseError error;
        const QJsonDocument step = QJsonDocument::fromJson(param.toUtf8(), &error);
        if (!step.isNull() && error.error == QJsonParseError::NoError && step.isObject())
            closeWatchList(step.object().value(QStringLiteral("NAME")).toString());
    } else if (type == QLatin1String(ModelStack::Rename)) {
        const QStringList names = param.split(
            QLatin1String(ModelStack::Separator), Qt::KeepEmptyParts, Qt::CaseSensitive);
        // Anything but two different names would remove the node of a list
        // the model still holds.
        if (names.size() == 2 && !names.at(0).isEmpty() && !names.at(1).isEmpty() &&
            names.at(0) != names.at(1))
            applyWatchListRename(names.at(0), names.at(1));
    }
}

void WatchListPlugin::onShowVariable(QString watchListName, int rowIndex)
{
    if (WatchListWidget *widget = openWatchList(watchListName))
        widget->showVariable(rowIndex);
}

WatchListWidget *WatchListPlugin::openWatchList(const QString &name)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return nullptr;
    IToolWindowManager *windows = HostServices::toolWindows(application);
    const QString id = windowIdOf(name);
    QWidget *widget = windows->toolWindowWidget(id);
    auto existing = qobject_cast<WatchListWidget *>(widget);
    if (existing && existing->getProjectName() != model.projectName()) {
        // One window per name: the same-named list of another project makes room.
        windows->removeToolWindow(existing);
        widget = nullptr;
    }
    if (!widget) {
        if (!model->getObject(name))
            return nullptr;
        auto created = new WatchListWidget(name, model.projectName(), application->mainWindow());
        if (!windows->addToolWindow(
                Qt::BottomDockWidgetArea, created, id, tr("Watch List_") + name, false, {}, {})) {
            delete created;
            return nullptr;
        }
        windows->placeToolWindow(id, HostNames::compileOutputWindow());
        widget = created;
    }
    windows->showToolWindow(id, true);
    return qobject_cast<WatchListWidget *>(widget);
}

void WatchListPlugin::closeWatchList(const QString &name)
{
    Solution::View *view = HostServices::solutionView(application);
    HostServices::toolWindows(application)->removeToolWindow(ownWindow(name));
    view->removeNode(nodePath(name), true);
}

QString WatchListPlugin::currentFolderPath() const
{
    const QString projectKey =
        HostServices::currentProjectName(application).section(QLatin1Char('.'), 0, 0);
    return folderPaths.value(projectKey, folderPath);
}

QString WatchListPlugin::nodePath(const QString &name) const
{
    return currentFolderPath() + QLatin1Char('.') + name;
}

WatchListWidget *WatchListPlugin::ownWindow(const QString &name) const
{
    auto widget = qobject_cast<WatchListWidget *>(
        HostServices::toolWindows(application)->toolWindowWidget(windowIdOf(name)));
    if (widget && widget->getProjectName() != HostServices::currentProjectName(application))
        return nullptr;
    return widget;
}

void WatchListPlugin::applyWatchListRename(const QString &oldName, const QString &newName)
{
    if (WatchListWidget *widget = ownWindow(oldName)) {
        IToolWindowManager *windows = HostServices::toolWindows(application);
        // One window per name: another project's list of the new name makes
        // room, as it does when a window opens.
        auto holder =
            qobject_cast<WatchListWidget *>(windows->toolWindowWidget(windowIdOf(newName)));
        if (holder && holder != widget)
            windows->removeToolWindow(holder);
        if (windows->renameToolWindow(
                windowIdOf(oldName), windowIdOf(newName), tr("Watch List_") + newName)) {
            widget->setWatchListName(newName);
        } else {
            // A window left under the old id would show this list as another.
            windows->removeToolWindow(widget);
        }
    }

    // The new node takes the old one's place among its siblings.
    Solution::View *view = HostServices::solutionView(application);
    const QString folder = currentFolderPath();
    const QString oldPath = nodePath(oldName);
    addWatchListNode(newName, folder);
    const int oldIndex = view->nodeIndex(oldPath);
    const int newIndex = view->nodeIndex(nodePath(newName));
    view->moveNode(folder, oldIndex, newIndex);
    view->removeNode(oldPath, true);
}
