#include "watchlistplugin.h"

#include "hostnames.h"
#include "hostservices.h"
#include "iapplication.h"
#include "icomparatorman.h"
#include "modelcommands.h"
#include "objectregistry.h"
#include "solutionview.h"
#include "viewhelper.h"
#include "watchlistcomparator.h"
#include "watchlistinstance.h"
#include "watchlistmodelhandle.h"

#include <QAction>
#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QTextStream>

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
    queuedShows.clear();

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
