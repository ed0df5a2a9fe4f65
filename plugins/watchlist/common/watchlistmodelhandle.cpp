#include "watchlistmodelhandle.h"

#include "abstractprojectmodel.h"
#include "projectmodelmanager.h"
#include "watchlistmodel.h"

#include <utility>

WatchListModelHandle::WatchListModelHandle(SafeProjectModel guard,
                                           WatchListModel *model,
                                           const QString &projectName)
    : m_guard(std::move(guard))
    , m_model(model)
    , m_projectName(projectName)
{}

WatchListModelHandle WatchListModelHandle::find(const QString &projectKey)
{
    SafeProjectModel project(
        ProjectModelManager::instance()->projectModel(projectKey.toStdString(), false));
    WatchListModel *model = nullptr;
    if (project)
        model = qobject_cast<WatchListModel *>(project->subModel("WatchListModel"));
    return WatchListModelHandle(std::move(project), model, projectKey);
}
