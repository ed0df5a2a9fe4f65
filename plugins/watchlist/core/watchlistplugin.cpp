#include "watchlistplugin.h"

#include "hostservices.h"
#include "iapplication.h"
#include "solutionview.h"
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QTextStream>

namespace {

const QString folderNodeName = QStringLiteral("Watch List");

Solution::View *solutionView(IApplication *application)
{
    return static_cast<Solution::View *>(
        HostServices::find(application, QStringLiteral("Solution.View")));
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

    Solution::View *view = solutionView(application);
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

    auto helper = static_cast<Solution::ViewHelper *>(
        HostServices::find(application, QStringLiteral("Solution.ViewHelper")));
    connect(helper,
            &Solution::ViewHelper::commandExecuted,
            this,
            &WatchListPlugin::onCommandExecuted,
            Qt::UniqueConnection);

    return true;
}

void WatchListPlugin::shutdown()
{
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

void WatchListPlugin::addWatchListNode(const QString &name)
{
    NodeInfo info;
    info.expanded = 0;
    info.visible = 1;
    info.name = name;
    info.text = name;
    info.data.insert(QStringLiteral("isWatchList"), true);
    info.data.insert(QStringLiteral("FileName"), QString(folderPath + QLatin1Char('.') + name));
    info.data.insert(QStringLiteral("MimeType"), QStringLiteral("TYPE.WATCHLIST"));
    solutionView(application)->addNode(folderPath, info, 0);
}

void WatchListPlugin::onProjectOpened(QString projectName,
                                      Solution::ProjectInfo info,
                                      Solution::NodeLevel lev)
{
    if (lev != Solution::SubProjectLevel && lev != Solution::ProjectLevel)
        return;

    const QString projectKey = projectName.section(QLatin1Char('.'), 0, 0);
    const WatchListModelHandle model = WatchListModelHandle::find(projectKey);
    if (!model)
        return;

    NodeInfo folder;
    folder.expanded = 0;
    folder.visible = 1;
    folder.name = folderNodeName;
    folder.text = tr("Watch List");
    solutionView(application)->addNode(projectName, folder, 0);

    const QString previousFolderPath = folderPath;
    folderPath = projectName + QLatin1Char('.') + folder.name;
    const QStringList names = model->getWatchListNames();
    for (const QString &name : names)
        addWatchListNode(name);

    // A project opened in the background keeps the commands on the current one.
    if (!info.isCurrent)
        folderPath = previousFolderPath;
}

void WatchListPlugin::onProjectClosed() {}

void WatchListPlugin::onNodeEvent(QString path, Solution::NodeEvent event, QVariant param)
{
    Q_UNUSED(path)
    Q_UNUSED(event)
    Q_UNUSED(param)
}

void WatchListPlugin::onActionEdit() {}

void WatchListPlugin::onActionInsert() {}

void WatchListPlugin::onActionRemove() {}

void WatchListPlugin::onActionRename() {}

void WatchListPlugin::onCommandExecuted(QString type, QString subModel, QString path, QString param)
{
    Q_UNUSED(type)
    Q_UNUSED(subModel)
    Q_UNUSED(path)
    Q_UNUSED(param)
}
