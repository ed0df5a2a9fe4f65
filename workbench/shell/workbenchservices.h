#pragma once

#include <QStringList>

#include <memory>

class Application;
class ComparatorManager;
class ControllerTransfer;
class Cookies;
class CrossReference;
class ProjectUndoStacks;
class QMainWindow;
class SolutionTree;
class ToolWindowManager;

// The host's services around one main window, each registered by name on the
// application object, which is published on the QApplication for as long as
// they live. Members are public: the Workbench hands them out as they are.
struct WorkbenchServices
{
    explicit WorkbenchServices(std::unique_ptr<QMainWindow> window);
    // Takes the controller offline and withdraws the application object,
    // then tears the services down before the main window their docks live in.
    ~WorkbenchServices();
    WorkbenchServices(const WorkbenchServices &) = delete;
    WorkbenchServices &operator=(const WorkbenchServices &) = delete;

    // Drops every comparator a plug-in registered, keeping the host's own.
    void removePluginComparators();

    std::unique_ptr<QMainWindow> mainWindow;
    std::unique_ptr<Application> application;
    std::unique_ptr<Cookies> cookies;
    std::unique_ptr<ToolWindowManager> toolWindows;
    std::unique_ptr<SolutionTree> tree;
    std::unique_ptr<ProjectUndoStacks> undoStacks;
    std::unique_ptr<ControllerTransfer> transfer;
    std::unique_ptr<CrossReference> crossReference;
    std::unique_ptr<ComparatorManager> comparators;

private:
    QStringList m_hostComparators;
};
