#include "watchlistplugin.h"

#include "hostnames.h"
#include "hostservices.h"
#include "iapplication.h"
#include "itoolwindowmanager.h"
#include "solutionview.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistnames.h"
#include "watchlistwidget.h"

#include <utility>

// The watch lists' tool windows.

void WatchListPlugin::onShowVariable(QString watchListName, int rowIndex)
{
    // An import announces thousands of rows in one go. Making each current in
    // turn lays the whole tree out again every time; the first is shown at
    // once, the rest only by the last row of each list, when the event loop
    // next runs.
    if (!showsQueued) {
        showRow(watchListName, rowIndex);
        showsQueued = true;
        QMetaObject::invokeMethod(this, &WatchListPlugin::showQueuedRows, Qt::QueuedConnection);
        return;
    }
    const QString projectName = HostServices::currentProjectName(application);
    for (QueuedShow &queued : queuedShows) {
        if (queued.watchListName == watchListName && queued.projectName == projectName) {
            queued.rowIndex = rowIndex;
            return;
        }
    }
    queuedShows.append({projectName, watchListName, rowIndex});
}

void WatchListPlugin::showRow(const QString &watchListName, int rowIndex)
{
    if (WatchListWidget *widget = openWatchList(watchListName))
        widget->showVariable(rowIndex);
}

void WatchListPlugin::showQueuedRows()
{
    showsQueued = false;
    const QVector<QueuedShow> queued = std::exchange(queuedShows, {});
    for (const QueuedShow &show : queued) {
        // A list of a project no longer current is not the one announced.
        if (HostServices::currentProjectName(application) == show.projectName)
            showRow(show.watchListName, show.rowIndex);
    }
}

WatchListWidget *WatchListPlugin::openWatchList(const QString &name)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return nullptr;
    IToolWindowManager *windows = HostServices::toolWindows(application);
    const QString id = WatchListNames::windowId(name);
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

WatchListWidget *WatchListPlugin::ownWindow(const QString &name) const
{
    auto widget = qobject_cast<WatchListWidget *>(
        HostServices::toolWindows(application)->toolWindowWidget(WatchListNames::windowId(name)));
    if (widget && widget->getProjectName() != HostServices::currentProjectName(application))
        return nullptr;
    return widget;
}
