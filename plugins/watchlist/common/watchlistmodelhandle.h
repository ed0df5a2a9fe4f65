#pragma once

#include "safeprojectmodel.h"

#include <QString>

class WatchListModel;

// A project's watch-list model, together with the guard that keeps the
// project model alive while the caller works with it. Never keep one beyond
// the operation that made it.
class WatchListModelHandle
{
public:
    // The watch-list model of the project named projectKey; empty when the
    // project or its watch-list model does not exist.
    static WatchListModelHandle find(const QString &projectKey);

    WatchListModel *model() const { return m_model; }
    WatchListModel *operator->() const { return m_model; }
    explicit operator bool() const { return m_model != nullptr; }
    QString projectName() const { return m_projectName; }

private:
    WatchListModelHandle(SafeProjectModel guard, WatchListModel *model, const QString &projectName);

    SafeProjectModel m_guard;
    WatchListModel *m_model = nullptr;
    QString m_projectName;
};
