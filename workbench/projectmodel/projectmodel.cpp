#include "projectmodel.h"

#include "projectmodelmanager.h"
#include "softcomponentmodel.h"
#include "watchlistmodel.h"

ProjectModel::ProjectModel(const std::string &name, QObject *parent)
    : AbstractProjectModel(name, parent)
    , m_watchLists(new WatchListModel(this))
    , m_softComponents(new SoftComponentModel(this))
{}

ProjectModel::~ProjectModel() = default;

SubModel *ProjectModel::subModel(const std::string &name) const
{
    if (name == m_watchLists->name())
        return m_watchLists;
    if (name == m_softComponents->name())
        return m_softComponents;
    return nullptr;
}

WatchListModel *ProjectModel::watchListModel() const
{
    return m_watchLists;
}

SoftComponentModel *ProjectModel::softComponentModel() const
{
    return m_softComponents;
}

QString ProjectModel::projectName() const
{
    return QString::fromStdString(name());
}

QString ProjectModel::deviceName() const
{
    return m_deviceName;
}

QJsonObject ProjectModel::controllerSettings() const
{
    return m_controllerSettings;
}

void ProjectModel::setControllerSettings(const QJsonObject &settings)
{
    m_controllerSettings = settings;
}

void ProjectModel::setDeviceName(const QString &deviceName)
{
    m_deviceName = deviceName;
}

QString ProjectModel::filePath() const
{
    return m_filePath;
}

void ProjectModel::setFilePath(const QString &filePath)
{
    m_filePath = filePath;
}

QVector<Symbol> ProjectModel::symbols() const
{
    return m_symbols;
}

void ProjectModel::setSymbols(const QVector<Symbol> &symbols)
{
    m_symbols = symbols;
    m_symbolIndex.clear();
    m_symbolIndex.reserve(m_symbols.size());
    // The first of two symbols with one name is the one found.
    for (int i = m_symbols.size() - 1; i >= 0; --i)
        m_symbolIndex.insert(m_symbols.at(i).name, i);
}

const Symbol *ProjectModel::symbol(const QString &name) const
{
    const auto found = m_symbolIndex.constFind(name);
    return found == m_symbolIndex.constEnd() ? nullptr : &m_symbols.at(*found);
}

OpenProject::OpenProject(const QString &projectName)
    : m_guard(ProjectModelManager::instance()->projectModel(projectName.toStdString(), false))
    , m_model(qobject_cast<ProjectModel *>(m_guard.get()))
{}
