#pragma once

#include "plugininterface.h"
#include "solutiontypes.h"

#include <QString>
#include <QVariant>

class IApplication;
class QAction;
class QMenu;
class WatchListModelHandle;

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

private:
    void addWatchListNode(const QString &name);
    WatchListModelHandle findWatchListModel() const;

    QMenu *folderMenu = nullptr;
    QAction *actionInsert = nullptr;
    QMenu *watchListMenu = nullptr;
    QAction *actionEdit = nullptr;
    QAction *actionRemove = nullptr;
    QAction *actionRename = nullptr;
    IApplication *application = nullptr;
    QString folderPath;
    QString currentName;
};
