#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QSettings;
class TrendTool;
class Workbench;

// The main window's menus: projects, undo of the current project, the
// controller connection and the settings kept as cookies.
class WorkbenchMenus : public QObject
{
    Q_OBJECT
public:
    WorkbenchMenus(Workbench *workbench, QSettings *settings, QObject *parent = nullptr);

    // The stored settings go into the cookies plug-ins read.
    void applySettings();
    // Without a user to answer them, failures go to the status bar only.
    void setInteractive(bool interactive);
    TrendTool *trend() const { return m_trend; }

private:
    void addFileMenu(QMenu *file);
    void addEditMenu(QMenu *edit);
    void addControllerMenu(QMenu *controller);
    // The connection's state, always in view in the status bar.
    void addConnectionState();
    void addSettingsMenu(QMenu *settingsMenu);
    void addViewMenu(QMenu *view);
    void openProject();
    void saveProject();
    void saveProjectAs();
    void closeProject();
    void compareProjects();
    void connectController();
    QMainWindow *window() const;
    // Offers to save the project's changes; false when the user cancels.
    bool confirmClose(const QString &projectName);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void updateActions();
    void showError(const QString &title, const QString &message) const;

    Workbench *m_workbench;
    QSettings *m_settings;
    QAction *m_saveAction = nullptr;
    QAction *m_saveAsAction = nullptr;
    QAction *m_closeAction = nullptr;
    QAction *m_onlineAction = nullptr;
    QAction *m_connectAction = nullptr;
    bool m_interactive = true;
    QAction *m_batchMonitorAction = nullptr;
    TrendTool *m_trend = nullptr;
};
