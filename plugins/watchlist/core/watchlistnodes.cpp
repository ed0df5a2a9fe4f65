#include "watchlistplugin.h"

#include "hostservices.h"
#include "solutionview.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistnames.h"

// The watch lists' nodes in the solution tree, as projects open and close.

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

    const QString projectKey = WatchListNames::projectKey(projectName);
    const WatchListModelHandle model = WatchListModelHandle::find(projectKey);
    if (!model)
        return;

    NodeInfo folder;
    folder.expanded = 0;
    folder.visible = 1;
    folder.name = WatchListNames::folderNode();
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
    folderPaths.remove(WatchListNames::projectKey(model.projectName()));
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
