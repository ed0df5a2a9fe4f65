#pragma once

#include <QObject>

class QAction;
class QSettings;
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

private:
    void openProject();
    void saveProject();
    void saveProjectAs();
    void closeProject();
    void compareProjects();
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
    QAction *m_batchMonitorAction = nullptr;
};
