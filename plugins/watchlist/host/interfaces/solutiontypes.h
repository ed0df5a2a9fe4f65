#pragma once

#include <QMetaType>
#include <QString>

namespace Solution {

enum NodeLevel : int {
    SolutionLevel = 0,
    ProjectLevel = 1,
    FolderLevel = 2,
    ItemLevel = 3,
    SubProjectLevel = 4,
};

enum NodeEvent : int {
    NoEvent = 0,
    NodeActivated = 1,   // double click, Enter
    NodeContextMenu = 2, // context-menu request
    NodeSelected = 3,
};

enum DataEvent : int {
    DataAdded = 0,
    DataChanged = 1,
    DataRemoved = 2,
};

struct ProjectInfo
{
    QString name;
    QString fileName;
    QString filePath;
    QString directory;
    QString deviceName;
    QString deviceSeries;
    QString version;
    QString author;
    QString company;
    QString description;
    QString createTime;
    QString modifyTime;
    bool isNew = false;
    bool isReadOnly = false;
    bool isCurrent = false; // the project becomes the current one
};

} // namespace Solution

Q_DECLARE_METATYPE(Solution::NodeLevel)
Q_DECLARE_METATYPE(Solution::NodeEvent)
Q_DECLARE_METATYPE(Solution::DataEvent)
Q_DECLARE_METATYPE(Solution::ProjectInfo)
