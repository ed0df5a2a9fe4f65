#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class ControllerTransfer;
class Cookies;
class CrossReference;
class ProjectUndoStacks;
class SolutionTree;
struct ControllerSettings;

// The open projects as documents: opened from and saved to their files, one
// of them current. While a project is open it has its node in the solution
// tree, its undo stack, its controller core and its model.
class ProjectDocuments : public QObject
{
    Q_OBJECT
public:
    // The services a project is opened into; they outlive the documents.
    struct Services
    {
        SolutionTree *tree;
        ProjectUndoStacks *undoStacks;
        Cookies *cookies;
        ControllerTransfer *transfer;
        CrossReference *crossReference;
    };

    explicit ProjectDocuments(const Services &services, QObject *parent = nullptr);
    ~ProjectDocuments() override;

    // Opening emits Solution::View::projectOpened (level 1, the third
    // ProjectInfo flag true: the opened project becomes the current one).
    bool open(const QString &filePath, QString *error);
    bool save(const QString &projectName, QString *error);
    bool saveAs(const QString &projectName, const QString &filePath, QString *error);
    // Whether the project differs from what was last loaded or saved.
    bool isModified(const QString &projectName) const;
    // Emits projectClosed while "Project.Name" still names the project, then
    // drops its nodes, undo stack, controller core and model.
    void close(const QString &projectName);
    void closeAll();

    bool isOpen(const QString &projectName) const { return m_projects.contains(projectName); }
    // Open projects, in the order they were opened.
    QStringList names() const { return m_projects; }
    // While a project closes it stays current until it is gone.
    bool isClosing() const { return !m_closing.isEmpty(); }
    QString current() const { return m_current; }
    void setCurrent(const QString &projectName);

    // How the project reaches its controller, as its file keeps it. Setting
    // it also readies the controller for the project.
    ControllerSettings controllerSettings(const QString &projectName) const;
    void setControllerSettings(const QString &projectName, const ControllerSettings &settings);

signals:
    void currentChanged(const QString &projectName);
    // A project was opened or closed.
    void changed();

private:
    Services m_services;
    QStringList m_projects;
    QHash<QString, QByteArray> m_savedContent; // fingerprints, as last loaded or saved
    QStringList m_closing;
    QString m_current;
};
