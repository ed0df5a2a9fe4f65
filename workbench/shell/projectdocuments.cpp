#include "projectdocuments.h"

#include "accore.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "crossreference.h"
#include "devicecatalog.h"
#include "hostnames.h"
#include "projectfile.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "solutiontree.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUndoStack>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

ProjectDocuments::ProjectDocuments(const Services &services, QObject *parent)
    : QObject(parent)
    , m_services(services)
{
    connect(m_services.tree, &SolutionTree::projectSelected, this, &ProjectDocuments::setCurrent);
    connect(m_services.undoStacks,
            &ProjectUndoStacks::currentProjectWanted,
            this,
            &ProjectDocuments::setCurrent);
    // A plug-in may make another project current through the cookie.
    connect(m_services.cookies,
            &ICookies::valueChanged,
            this,
            [this](const QString &key, const QVariant &value) {
                if (key != HostNames::projectNameCookie())
                    return;
                const QString name = value.toString();
                if (name != m_current && isOpen(name))
                    setCurrent(name);
            });
}

ProjectDocuments::~ProjectDocuments() = default;

bool ProjectDocuments::open(const QString &filePath, QString *error)
{
    const auto refuse = [&](const QString &problem) {
        setError(error,
                 tr("The project file \"%1\" cannot be opened: %2")
                     .arg(QDir::toNativeSeparators(filePath), problem));
        return false;
    };
    QString problem;
    std::unique_ptr<ProjectModel> model = ProjectFile::load(filePath, &problem);
    if (!model) {
        setError(error, problem);
        return false;
    }
    const QString name = model->projectName();
    const std::string key = name.toStdString();
    ProjectModelManager *manager = ProjectModelManager::instance();
    if (isOpen(name) || manager->projectModel(key, true))
        return refuse(tr("a project named \"%1\" is already open.").arg(name));
    // The controller core comes first: a device the catalogue does not know
    // refuses the project before anything has been registered.
    const QString device = model->deviceName();
    if (device.isEmpty())
        return refuse(tr("it names no device (the member \"device\" is missing or empty)."));
    if (const QStringList known = DeviceCatalog::deviceNames(); !known.contains(device)) {
        return refuse(tr("its device \"%1\" is not one this workbench knows (%2).")
                          .arg(device, known.join(QStringLiteral(", "))));
    }
    std::unique_ptr<ac::DeviceMemory> memory = DeviceCatalog::create(device, &problem);
    if (!memory)
        return refuse(problem);

    const QFileInfo file(filePath);
    model->setFilePath(file.absoluteFilePath());
    Solution::ProjectInfo info;
    info.name = name;
    info.fileName = file.fileName();
    info.filePath = file.absoluteFilePath();
    info.directory = file.absolutePath();
    info.deviceName = model->deviceName();
    info.modifyTime = file.lastModified().toString(Qt::ISODate);
    info.isCurrent = true;

    if (!manager->addProject(model.get()))
        return refuse(tr("a project named \"%1\" is already open.").arg(name));
    m_savedContent.insert(name, ProjectFile::fingerprint(*model));
    model.release();
    ac::ACCore::open(std::make_unique<ac::ACCore>(key, std::move(memory)));
    m_services.undoStacks->addProject(name);

    NodeInfo node;
    node.name = name;
    node.text = name;
    node.expanded = 1;
    m_services.tree->addNode(QString(), node, 0);

    m_projects.append(name);
    setCurrent(name);
    emit m_services.tree->projectOpened(name, info, Solution::ProjectLevel);
    emit changed();
    return true;
}

bool ProjectDocuments::save(const QString &projectName, QString *error)
{
    const OpenProject model(projectName);
    if (!isOpen(projectName) || !model) {
        setError(error, tr("No project named \"%1\" is open.").arg(projectName));
        return false;
    }
    return saveAs(projectName, model->filePath(), error);
}

bool ProjectDocuments::saveAs(const QString &projectName, const QString &filePath, QString *error)
{
    const OpenProject model(projectName);
    if (!isOpen(projectName) || !model) {
        setError(error, tr("No project named \"%1\" is open.").arg(projectName));
        return false;
    }
    if (!ProjectFile::save(*model.get(), filePath, error))
        return false;
    m_savedContent.insert(projectName, ProjectFile::fingerprint(*model.get()));
    model->setFilePath(QFileInfo(filePath).absoluteFilePath());
    if (QUndoStack *stack = m_services.undoStacks->stack(projectName))
        stack->setClean();
    return true;
}

bool ProjectDocuments::isModified(const QString &projectName) const
{
    const OpenProject model(projectName);
    return model && ProjectFile::fingerprint(*model.get()) != m_savedContent.value(projectName);
}

void ProjectDocuments::close(const QString &projectName)
{
    if (!isOpen(projectName) || m_closing.contains(projectName))
        return;
    m_closing.append(projectName);
    const QString previous = m_current;
    if (m_services.transfer->project() == projectName &&
        m_services.transfer->settings().backend != ControllerSettings::Simulated) {
        m_services.transfer->setOnline(false);
    }

    setCurrent(projectName);
    emit m_services.tree->projectClosed();

    m_services.tree->removeNode(projectName, true);
    m_services.undoStacks->removeProject(projectName);
    m_services.crossReference->forgetProject(projectName);
    ac::ACCore::close(projectName.toStdString());
    ProjectModelManager::instance()->closeProject(projectName.toStdString());
    m_projects.removeAll(projectName);
    m_savedContent.remove(projectName);
    m_closing.removeAll(projectName);

    QString next;
    if (previous != projectName && isOpen(previous))
        next = previous;
    else if (!m_projects.isEmpty())
        next = m_projects.last();
    setCurrent(next);
    emit changed();
}

void ProjectDocuments::closeAll()
{
    while (!m_projects.isEmpty()) {
        const int before = m_projects.size();
        close(m_projects.last());
        if (m_projects.size() == before)
            break;
    }
}

void ProjectDocuments::setCurrent(const QString &projectName)
{
    if (!projectName.isEmpty() && !isOpen(projectName))
        return;
    const bool changed = projectName != m_current;
    m_current = projectName;
    if (projectName.isEmpty())
        m_services.cookies->remove(HostNames::projectNameCookie());
    else
        m_services.cookies->setValue(HostNames::projectNameCookie(), projectName);
    if (m_services.undoStacks->currentProject() != projectName)
        m_services.undoStacks->setCurrentProject(projectName);
    m_services.tree->selectProject(projectName);
    // Offline, the controller is the current project's; online it stays with
    // the project it serves.
    if (changed && !m_services.transfer->isOnline() && !m_services.transfer->isConnecting())
        m_services.transfer->setSettings(controllerSettings(projectName), projectName);
    if (changed)
        emit currentChanged(projectName);
}

ControllerSettings ProjectDocuments::controllerSettings(const QString &projectName) const
{
    const OpenProject model(projectName);
    return model ? ControllerSettings::fromJson(model->controllerSettings()) : ControllerSettings();
}

void ProjectDocuments::setControllerSettings(const QString &projectName,
                                             const ControllerSettings &settings)
{
    const OpenProject model(projectName);
    if (!model)
        return;
    model->setControllerSettings(settings.toJson());
    m_services.transfer->setSettings(settings, projectName);
}
