#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class AbstractProjectModel;

// All open project models, by project name.
class ProjectModelManager : public QObject
{
    Q_OBJECT
public:
    static ProjectModelManager *instance();

    // The open project of that name, or null. With includeClosing a project
    // that is closing but still held by a guard is answered too.
    AbstractProjectModel *projectModel(const std::string &name, bool includeClosing) const;
    std::vector<std::string> projectNames() const;

    // Takes ownership. Refused (false) when a project of that name is open.
    bool addProject(AbstractProjectModel *model);
    // The project leaves the manager at once; it is deleted now, or when the
    // last guard holding it goes.
    void closeProject(const std::string &name);

    // Model commands announce the steps they undo and redo here.
    void announceCommand(const QString &type,
                         const QString &subModel,
                         const QString &path,
                         const QString &param);

signals:
    void projectAdded(const QString &name);
    void projectRemoved(const QString &name);
    void commandExecuted(const QString &type,
                         const QString &subModel,
                         const QString &path,
                         const QString &param);

private:
    friend class SafeProjectModel;
    ProjectModelManager();
    ~ProjectModelManager() override;
    void release(AbstractProjectModel *model);

    std::vector<AbstractProjectModel *> m_projects;
};
