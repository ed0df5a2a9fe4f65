#include "workbenchmenus.h"

#include "connectdialog.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "hostnames.h"
#include "plainmessagebox.h"
#include "projectundostacks.h"
#include "trendtool.h"
#include "watchlistexchange.h"
#include "workbench.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QVBoxLayout>

#include <memory>

namespace {
const QString programStyleKey = HostNames::programStyleCookie();
}

WorkbenchMenus::WorkbenchMenus(Workbench *workbench, QSettings *settings, QObject *parent)
    : QObject(parent)
    , m_workbench(workbench)
    , m_settings(settings)
{
    QMainWindow *window = workbench->mainWindow();
    QMenuBar *bar = window->menuBar();
    addFileMenu(bar->addMenu(tr("&File")));
    addEditMenu(bar->addMenu(tr("&Edit")));
    addControllerMenu(bar->addMenu(tr("&Controller")));
    addConnectionState();
    addSettingsMenu(bar->addMenu(tr("&Settings")));
    addViewMenu(bar->addMenu(tr("&View")));
    window->installEventFilter(this);

    connect(workbench, &Workbench::projectsChanged, this, &WorkbenchMenus::updateActions);
    connect(workbench, &Workbench::currentProjectChanged, this, &WorkbenchMenus::updateActions);
    updateActions();
}

void WorkbenchMenus::addFileMenu(QMenu *file)
{
    file->addAction(tr("&Open Project..."), this, &WorkbenchMenus::openProject, QKeySequence::Open);
    m_saveAction = file->addAction(
        tr("&Save Project"), this, &WorkbenchMenus::saveProject, QKeySequence::Save);
    m_saveAsAction = file->addAction(
        tr("Save Project &As..."), this, &WorkbenchMenus::saveProjectAs, QKeySequence::SaveAs);
    m_closeAction = file->addAction(tr("&Close Project"), this, &WorkbenchMenus::closeProject);
    file->addSeparator();
    file->addAction(tr("Com&pare Projects..."), this, &WorkbenchMenus::compareProjects);
    file->addSeparator();
    (new WatchListExchange(m_workbench, this))->addMenuEntries(file);
    file->addSeparator();
    file->addAction(tr("&Quit"), window(), &QWidget::close, QKeySequence::Quit);
}

void WorkbenchMenus::addEditMenu(QMenu *edit)
{
    QUndoGroup *group = m_workbench->undoStacks()->undoGroup();
    QAction *undo = group->createUndoAction(this, tr("&Undo"));
    undo->setShortcut(QKeySequence::Undo);
    QAction *redo = group->createRedoAction(this, tr("&Redo"));
    // Ctrl+Y too, as in the spreadsheets and programming tools of the users' desks.
    redo->setShortcuts({QKeySequence(QKeySequence::Redo), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(undo);
    edit->addAction(redo);
}

void WorkbenchMenus::addControllerMenu(QMenu *controller)
{
    m_connectAction =
        controller->addAction(tr("&Connect..."), this, &WorkbenchMenus::connectController);
    m_onlineAction = controller->addAction(tr("&Online"));
    m_onlineAction->setCheckable(true);
    m_onlineAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    ControllerTransfer *transfer = m_workbench->transfer();
    connect(m_onlineAction, &QAction::toggled, transfer, [transfer](bool online) {
        transfer->setOnline(online);
    });
    connect(transfer, &Transfer::onlineState, this, [this](bool online) {
        const QSignalBlocker blocker(m_onlineAction);
        m_onlineAction->setChecked(online);
    });
    connect(transfer, &ControllerTransfer::connectionFailed, this, [this](const QString &message) {
        {
            const QSignalBlocker blocker(m_onlineAction);
            m_onlineAction->setChecked(false);
        }
        this->window()->statusBar()->showMessage(message);
        if (m_interactive)
            showError(tr("Controller"), message);
    });
}

void WorkbenchMenus::addConnectionState()
{
    ControllerTransfer *transfer = m_workbench->transfer();
    // Always in view: a message in the status bar goes as soon as a menu opens.
    auto connection = new QLabel(transfer->stateText(), window());
    connection->setObjectName(QStringLiteral("connectionState"));
    connection->setToolTip(transfer->stateText());
    window()->statusBar()->addPermanentWidget(connection);
    connect(transfer,
            &ControllerTransfer::stateTextChanged,
            connection,
            [connection](const QString &text) {
                connection->setText(text);
                connection->setToolTip(text);
            });
}

void WorkbenchMenus::addSettingsMenu(QMenu *settingsMenu)
{
    m_batchMonitorAction = settingsMenu->addAction(tr("&Batch Monitor in Watch Lists"));
    m_batchMonitorAction->setCheckable(true);
    m_batchMonitorAction->setToolTip(
        tr("Watch-list windows opened from now on offer the batch monitor."));
    connect(m_batchMonitorAction, &QAction::toggled, this, [this](bool on) {
        m_settings->setValue(programStyleKey, on ? 1 : 0);
        m_workbench->cookies()->setValue(programStyleKey, on ? 1 : 0);
    });
}

void WorkbenchMenus::addViewMenu(QMenu *view)
{
    QMainWindow *window = this->window();
    m_trend = new TrendTool(m_workbench, this);
    window->addAction(m_trend->action());
    connect(view, &QMenu::aboutToShow, view, [this, view, window] {
        view->clear();
        view->addAction(m_trend->action());
        view->addSeparator();
        // The docks own the toggle actions; the pop-up made for them is not needed.
        std::unique_ptr<QMenu> docks(window->createPopupMenu());
        view->addActions(docks->actions());
    });
}

void WorkbenchMenus::applySettings()
{
    const int style = m_settings->value(programStyleKey, 0).toInt();
    m_workbench->cookies()->setValue(programStyleKey, style);
    m_batchMonitorAction->setChecked(style == 1);
}

void WorkbenchMenus::openProject()
{
    const QString path = QFileDialog::getOpenFileName(m_workbench->mainWindow(),
                                                      tr("Open Project"),
                                                      QString(),
                                                      tr("Projects (*.wlproj);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_workbench->openProject(path, &error))
        showError(tr("Open Project"), error);
}

void WorkbenchMenus::saveProject()
{
    QString error;
    const QString project = m_workbench->currentProject();
    if (!project.isEmpty() && !m_workbench->saveProject(project, &error))
        showError(tr("Save Project"), error);
}

void WorkbenchMenus::saveProjectAs()
{
    const QString project = m_workbench->currentProject();
    if (project.isEmpty())
        return;
    const QString path = QFileDialog::getSaveFileName(m_workbench->mainWindow(),
                                                      tr("Save Project As"),
                                                      project + QStringLiteral(".wlproj"),
                                                      tr("Projects (*.wlproj)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_workbench->saveProjectAs(project, path, &error))
        showError(tr("Save Project As"), error);
}

void WorkbenchMenus::closeProject()
{
    const QString project = m_workbench->currentProject();
    if (!project.isEmpty() && confirmClose(project))
        m_workbench->closeProject(project);
}

void WorkbenchMenus::compareProjects()
{
    QWidget *window = m_workbench->mainWindow();
    const QStringList projects = m_workbench->projectNames();
    if (projects.size() < 2) {
        QMessageBox::information(
            window, tr("Compare Projects"), tr("Open two projects to compare their watch lists."));
        return;
    }
    bool ok = false;
    const QString first = QInputDialog::getItem(
        window, tr("Compare Projects"), tr("First project:"), projects, 0, false, &ok);
    if (!ok)
        return;
    QStringList others = projects;
    others.removeOne(first);
    const QString second = QInputDialog::getItem(
        window, tr("Compare Projects"), tr("Compare with:"), others, 0, false, &ok);
    if (!ok)
        return;

    QDialog dialog(window);
    dialog.setWindowTitle(tr("Watch Lists of %1 and %2").arg(first, second));
    auto results = new QTreeWidget(&dialog);
    results->setHeaderLabels({tr("Watch List"), tr("Result")});
    results->setRootIsDecorated(false);
    using Comparison = Workbench::WatchListComparison;
    for (const Comparison &comparison : m_workbench->compareWatchLists(first, second)) {
        QString result;
        switch (comparison.result) {
        case Comparison::Same:
            result = tr("Same");
            break;
        case Comparison::Different:
            result = tr("Different");
            break;
        case Comparison::OnlyInFirst:
            result = tr("Only in %1").arg(first);
            break;
        case Comparison::OnlyInSecond:
            result = tr("Only in %1").arg(second);
            break;
        case Comparison::NotComparable:
            result = tr("No comparator for this kind of node");
            break;
        }
        new QTreeWidgetItem(results, {comparison.name, result});
    }
    results->resizeColumnToContents(0);
    auto buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto layout = new QVBoxLayout(&dialog);
    layout->addWidget(results);
    layout->addWidget(buttons);
    dialog.resize(480, 320);
    dialog.exec();
}

bool WorkbenchMenus::confirmClose(const QString &projectName)
{
    if (!m_workbench->isModified(projectName))
        return true;
    const auto answer = showPlainMessage(
        m_workbench->mainWindow(),
        QMessageBox::Question,
        tr("Close Project"),
        tr("The project \"%1\" has changes that are not saved. Save them?").arg(projectName),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Discard)
        return true;
    QString error;
    if (m_workbench->saveProject(projectName, &error))
        return true;
    showError(tr("Save Project"), error);
    return false;
}

bool WorkbenchMenus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_workbench->mainWindow() && event->type() == QEvent::Close) {
        for (const QString &project : m_workbench->projectNames()) {
            if (!confirmClose(project)) {
                event->ignore();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

void WorkbenchMenus::setInteractive(bool interactive)
{
    m_interactive = interactive;
}

QMainWindow *WorkbenchMenus::window() const
{
    return m_workbench->mainWindow();
}

void WorkbenchMenus::connectController()
{
    const QString project = m_workbench->currentProject();
    if (project.isEmpty())
        return;
    ConnectDialog dialog(m_workbench->controllerSettings(project), window());
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_workbench->setControllerSettings(project, dialog.settings());
    if (!m_workbench->transfer()->isOnline())
        m_onlineAction->setChecked(true);
}

void WorkbenchMenus::updateActions()
{
    const bool haveProject = !m_workbench->currentProject().isEmpty();
    m_connectAction->setEnabled(haveProject);
    m_saveAction->setEnabled(haveProject);
    m_saveAsAction->setEnabled(haveProject);
    m_closeAction->setEnabled(haveProject);
}

void WorkbenchMenus::showError(const QString &title, const QString &message) const
{
    showPlainMessage(m_workbench->mainWindow(), QMessageBox::Warning, title, message);
}
