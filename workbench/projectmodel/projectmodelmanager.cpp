#include "projectmodelmanager.h"

#include "abstractprojectmodel.h"

#include <QPointer>

#include <algorithm>

ProjectModelManager::ProjectModelManager() = default;

ProjectModelManager::~ProjectModelManager()
{
    const auto projects = std::move(m_projects);
    m_projects.clear();
    for (AbstractProjectModel *model : projects)
        delete model;
}

ProjectModelManager *ProjectModelManager::instance()
{
    static ProjectModelManager manager;
    return &manager;
}

AbstractProjectModel *ProjectModelManager::projectModel(const std::string &name,
                                                        bool includeClosing) const
{
    AbstractProjectModel *closing = nullptr;
    for (AbstractProjectModel *model : m_projects) {
        if (model->name() != name)
            continue;
        if (!model->m_closing)
            return model;
        if (includeClosing && !closing)
            closing = model;
    }
    return closing;
}

std::vector<std::string> ProjectModelManager::projectNames() const
{
    std::vector<std::string> names;
    for (const AbstractProjectModel *model : m_projects) {
        if (!model->m_closing)
            names.push_back(model->name());
    }
    return names;
}

bool ProjectModelManager::addProject(AbstractProjectModel *model)
{
    if (!model || model->m_closing || projectModel(model->name(), false) ||
        std::find(m_projects.begin(), m_projects.end(), model) != m_projects.end()) {
        return false;
    }
    m_projects.push_back(model);
    // Whoever else deletes the model (a parent object, say) must not leave it dangling here.
    connect(model, &QObject::destroyed, this, [this, model] {
        m_projects.erase(std::remove(m_projects.begin(), m_projects.end(), model),
                         m_projects.end());
    });
    emit projectAdded(QString::fromStdString(model->name()));
    return true;
}

void ProjectModelManager::closeProject(const std::string &name)
{
    AbstractProjectModel *model = projectModel(name, false);
    if (!model)
        return;
    model->m_closing = true;
    const QPointer<AbstractProjectModel> guard(model);
    emit projectRemoved(QString::fromStdString(name));
    // A receiver may have pinned and released the model meanwhile, which deleted it.
    if (guard && model->m_pins == 0)
        release(model);
}

void ProjectModelManager::announceCommand(const QString &type,
                                          const QString &subModel,
                                          const QString &path,
                                          const QString &param)
{
    emit commandExecuted(type, subModel, path, param);
}

void ProjectModelManager::release(AbstractProjectModel *model)
{
    m_projects.erase(std::remove(m_projects.begin(), m_projects.end(), model), m_projects.end());
    delete model;
}
