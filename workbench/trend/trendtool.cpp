#include "trendtool.h"

#include "toolwindowmanager.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "workbench.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QStatusBar>

TrendTool::TrendTool(Workbench *workbench, QObject *parent)
    : QObject(parent)
    , m_workbench(workbench)
    , m_action(new QAction(tr("&Trend of Selected Rows"), this))
{
    m_action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(m_action, &QAction::triggered, this, &TrendTool::showTrend);
    connect(qApp, &QApplication::focusChanged, this, &TrendTool::focusChanged);
}

TrendTool::~TrendTool() = default;

VarTreeWidget *TrendTool::watchListTree(QWidget *widget)
{
    // The plug-in's window class is known here by name only.
    for (; widget; widget = widget->parentWidget()) {
        if (widget->inherits("WatchListWidget"))
            return widget->findChild<VarTreeWidget *>();
    }
    return nullptr;
}

void TrendTool::focusChanged(QWidget *, QWidget *now)
{
    if (VarTreeWidget *tree = watchListTree(now))
        m_lastTree = tree;
}

VarTreeWidget *TrendTool::activeWatchList() const
{
    if (m_lastTree && m_lastTree->isVisible())
        return m_lastTree;
    ToolWindowManager *windows = m_workbench->toolWindows();
    for (const QString &id : windows->toolWindowIds()) {
        QDockWidget *dock = windows->dockWidget(id);
        VarTreeWidget *tree = dock ? watchListTree(dock->widget()) : nullptr;
        if (tree && tree->isVisible())
            return tree;
    }
    return m_lastTree;
}

void TrendTool::showTrend()
{
    ToolWindowManager *windows = m_workbench->toolWindows();
    const QString id = QLatin1String(toolWindowId);
    if (!m_window) {
        auto window = new TrendWindow(m_workbench->transfer());
        window->setObjectName(QStringLiteral("trend"));
        if (!windows->addHostToolWindow(Qt::BottomDockWidgetArea, window, id, tr("Trend"), true)) {
            delete window;
            return;
        }
        m_window = window;
        // Closed, the window samples nothing and has the device read nothing for it.
        QAction *shown = windows->dockWidget(id)->toggleViewAction();
        connect(shown, &QAction::toggled, window, &TrendWindow::setRunning);
    }
    const QString message = m_window->setRows(activeWatchList());
    windows->showToolWindow(id, true);
    m_window->setRunning(true);
    if (!message.isEmpty())
        m_workbench->mainWindow()->statusBar()->showMessage(message, 10000);
}

TrendWindow *TrendTool::window() const
{
    return m_window;
}
