#pragma once

#include "watchlistcomparison.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class IApplication;
class PluginInterface;
class QMainWindow;
class QPluginLoader;
class QUndoGroup;
class QUndoStack;

namespace Solution {
class View;
class ViewHelper;
} // namespace Solution

class Cookies;
class SolutionTree;
class ToolWindowManager;
class ControllerTransfer;
struct ControllerSettings;
class CrossReference;
class ComparatorManager;
class ProjectUndoStacks;

// The stand-in host in one object: the main window, the application object on
// the QApplication property "IApplication", every service registered by name,
// the open projects and the loaded plug-ins. The workbench executable and the
// tests build exactly this.
class Workbench : public QObject
{
    Q_OBJECT
public:
    explicit Workbench(QObject *parent = nullptr);
    ~Workbench() override;

    // The language of the user interface ("zh_CN", "en_US", ...): installs the
    // workbench's catalogue at once, and each plug-in's catalogue (the
    // resource ":/translations/<plug-in>_<language>.qm") as it is loaded.
    // Call it before the Workbench is built to have its own texts translated.
    static void setLanguage(const QString &language);
    static QString language();

    QMainWindow *mainWindow() const;
    IApplication *application() const;
    Cookies *cookies() const;
    SolutionTree *solutionTree() const;
    ProjectUndoStacks *undoStacks() const;
    ToolWindowManager *toolWindows() const;
    ControllerTransfer *transfer() const;
    CrossReference *crossReference() const;
    ComparatorManager *comparators() const;

    // Projects. Opening emits Solution::View::projectOpened (level 1, the third
    // ProjectInfo flag true: the opened project becomes the current one).
    bool openProject(const QString &filePath, QString *error);
    bool saveProject(const QString &projectName, QString *error);
    bool saveProjectAs(const QString &projectName, const QString &filePath, QString *error);
    // Whether the project differs from what was last loaded or saved.
    bool isModified(const QString &projectName) const;
    // Emits projectClosed while "Project.Name" still names the project, then
    // drops its nodes, undo stack, controller core and model.
    void closeProject(const QString &projectName);
    void closeAllProjects();
    QStringList projectNames() const;
    QString currentProject() const;
    void setCurrentProject(const QString &projectName);
    QUndoStack *undoStack(const QString &projectName) const;

    // How the project reaches its controller, as its file keeps it. Setting
    // it also readies the controller for the project (offline first if it
    // was online with other settings).
    ControllerSettings controllerSettings(const QString &projectName) const;
    void setControllerSettings(const QString &projectName, const ControllerSettings &settings);

    // Puts the variable into a watch list of the current project through the
    // watch-list service a plug-in registered, as any part of the host would.
    // False when no such service is registered.
    bool addToWatchList(const QString &watchListName, const QString &variable);

    using WatchListComparison = ::WatchListComparison;
    // Pairs the watch-list nodes of two open projects by name and asks the
    // registered comparators whether each pair is the same.
    QVector<WatchListComparison> compareWatchLists(const QString &first,
                                                   const QString &second) const;

    // Plug-ins: checks the metadata's IID first, loads, casts, fills the host
    // fields from the package descriptor and calls initialize(). On failure
    // returns null and sets error to the loader's message.
    PluginInterface *loadPlugin(const QString &filePath, QString *error);
    // shutdown() on every loaded plug-in, in reverse order, then unload.
    void unloadPlugins();

signals:
    void currentProjectChanged(const QString &projectName);
    void projectsChanged();

private:
    static std::unique_ptr<QMainWindow> createMainWindow();
    void followFocus();
    class Private;
    std::unique_ptr<Private> d;
};
