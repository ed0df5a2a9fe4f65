#pragma once

#include "plugininterface.h"
#include "solutiontypes.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

class IApplication;
class QAction;
class QMenu;
class WatchListModelHandle;
class WatchListWidget;

class WatchListPlugin : public PluginInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PluginInterface_iid)
    Q_INTERFACES(PluginInterface)

public:
    WatchListPlugin();
    ~WatchListPlugin() override;

    bool initialize() override;
    void shutdown() override;

private slots:
    void onProjectOpened(QString projectName, Solution::ProjectInfo info, Solution::NodeLevel lev);
    void onProjectClosed();
    void onNodeEvent(QString path, Solution::NodeEvent event, QVariant param);
    void onActionEdit();
    void onActionInsert();
    void onActionRemove();
    void onActionRename();
    void onCommandExecuted(QString type, QString subModel, QString path, QString param);
    void onShowVariable(QString watchListName, int rowIndex);

private:
    void startWatchListService();
    void registerComparator();
    void addWatchListNode(const QString &name);
    void addWatchListNode(const QString &name, const QString &folder);
    WatchListModelHandle findWatchListModel() const;
    // Whether the model an operation started with is still the current
    // project's, after a modal dialog gave the host time to close it.
    bool isStillCurrent(const WatchListModelHandle &model) const;
    void doRemoveWatchList(const QString &name);
    void doRenameWatchList(const QString &oldName, const QString &newName);
    WatchListWidget *openWatchList(const QString &name);
    void showRow(const QString &watchListName, int rowIndex);
    void showQueuedRows();
    void closeWatchList(const QString &name);
    void applyWatchListRename(const QString &oldName, const QString &newName);
    QString currentFolderPath() const;
    QString nodePath(const QString &name) const;
    // The window of that watch list if it shows the current project's list.
    WatchListWidget *ownWindow(const QString &name) const;

    QMenu *folderMenu = nullptr;
    QAction *actionInsert = nullptr;
    QMenu *watchListMenu = nullptr;
    QAction *actionEdit = nullptr;
    QAction *actionRemove = nullptr;
    QAction *actionRename = nullptr;
    IApplication *application = nullptr;
    QString folderPath;
    QString currentName;
    // The "Watch List" folder of every open project, by project key: the
    // nodes of a project are found under its own folder whichever project
    // was opened last.
    QHash<QString, QString> folderPaths;
    // Rows announced while an earlier show of the same turn of the event loop
    // is still fresh: only the last of each list is shown, once the loop
    // runs again.
    struct QueuedShow
    {
        QString projectName;
        QString watchListName;
        int rowIndex = 0;
    };
    QVector<QueuedShow> queuedShows;
    bool showsQueued = false;
};
