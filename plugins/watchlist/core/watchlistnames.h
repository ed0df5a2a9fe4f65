#pragma once

#include <QString>

// Names the plug-in's parts share: the solution folder that holds the watch
// lists, the id of a list's tool window, and the project model a project uses.
namespace WatchListNames {

inline QString folderNode()
{
    return QStringLiteral("Watch List");
}

inline QString windowId(const QString &name)
{
    return QStringLiteral("watchlist.") + name;
}

// A project and its sub-projects share one project model, named by the part
// of the project name before the first ".".
inline QString projectKey(const QString &projectName)
{
    return projectName.section(QLatin1Char('.'), 0, 0);
}

} // namespace WatchListNames
