#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class PluginInterface;
class WatchListModel;
class WatchListObject;
class Workbench;

// The workbench's real services built in-process, with project files in a
// temporary directory and the plug-in loaded the way the workbench loads it.
class HostFixture
{
public:
    HostFixture();
    ~HostFixture();

    Workbench &workbench() const { return *m_workbench; }
    static QString pluginPath();

    // Loads and initialises the plug-in; null (the reason logged) when it
    // cannot be loaded.
    PluginInterface *loadPlugin();

    // Writes a project file with these watch lists (each "Name" or
    // "Name:entry1,entry2") and returns its path.
    QString writeProject(const QString &projectName,
                         const QStringList &watchLists,
                         const QString &device = QStringLiteral("DEMO-FX")) const;
    // Writes and opens it; false when the workbench refused it.
    bool openProject(const QString &projectName, const QStringList &watchLists);
    // The open project's watch lists, and one of them; null when missing.
    static WatchListModel *watchLists(const QString &projectName);
    static WatchListObject *watchList(const QString &projectName, const QString &name);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Workbench> m_workbench;
};
