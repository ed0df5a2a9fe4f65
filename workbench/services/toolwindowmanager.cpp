#include "toolwindowmanager.h"

#include "hostnames.h"

#include <QAction>
#include <QDockWidget>
#include <QEvent>
#include <QHeaderView>
#include <QMainWindow>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace {

// Fitted, a column still leaves room for a value longer than those the
// window opened with, and never takes the whole width for one long comment.
constexpr int narrowestFittedColumn = 90;
constexpr int widestFittedColumn = 400;

// A plug-in sets its columns' widths for any host; this one fits them to
// what the window opens with, so that no header or cell starts cut short.
void fitColumns(QWidget *widget)
{
    QList<QTreeView *> views = widget->findChildren<QTreeView *>();
    if (auto view = qobject_cast<QTreeView *>(widget))
        views.prepend(view);
    for (QTreeView *view : views) {
        QHeaderView *header = view->header();
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            // Public as the item view's (QTreeView narrows it to protected).
            const QAbstractItemView *itemView = view;
            const int content =
                std::max(itemView->sizeHintForColumn(column), header->sectionSizeHint(column));
            if (content > 0)
                header->resizeSection(
                    column, std::clamp(content, narrowestFittedColumn, widestFittedColumn));
        }
    }
}

Qt::DockWidgetArea dockArea(int area)
{
    switch (area) {
    case Qt::LeftDockWidgetArea:
    case Qt::RightDockWidgetArea:
    case Qt::TopDockWidgetArea:
    case Qt::BottomDockWidgetArea:
        return static_cast<Qt::DockWidgetArea>(area);
    default:
        return Qt::BottomDockWidgetArea;
    }
}

} // namespace

ToolWindowManager::ToolWindowManager(QMainWindow *mainWindow, QObject *parent)
    : IToolWindowManager(parent)
    , m_mainWindow(mainWindow)
{
    setObjectName(HostNames::toolWindowManager());

    auto *output = new QPlainTextEdit;
    output->setObjectName(QStringLiteral("compileOutput"));
    output->setReadOnly(true);
    m_compileOutput = output;
    if (!addHostToolWindow(Qt::BottomDockWidgetArea,
                           output,
                           QLatin1String(ToolWindowId::CompileOutput),
                           tr("Compile Output"),
                           true))
        delete output;
}

ToolWindowManager::~ToolWindowManager() = default;

bool ToolWindowManager::addToolWindow(int area,
                                      QWidget *widget,
                                      const QString &id,
                                      const QString &title,
                                      bool floating,
                                      QList<QAction *> titleBarActions,
                                      QList<QAction *> menuActions)
{
    if (!add(dockArea(area), widget, id, title, false))
        return false;
    QDockWidget *dock = find(id)->dock;
    const QList<QAction *> actions = titleBarActions + menuActions;
    if (!actions.isEmpty()) {
        dock->addActions(actions);
        dock->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    if (floating)
        dock->setFloating(true);
    return true;
}

void ToolWindowManager::placeToolWindow(const QString &id, const QString &besideId)
{
    const Window *window = find(id);
    const Window *beside = find(besideId);
    if (!m_mainWindow || !window || !beside || window == beside || beside->dock->isFloating())
        return;
    window->dock->setFloating(false);
    m_mainWindow->tabifyDockWidget(beside->dock, window->dock);
}

QWidget *ToolWindowManager::toolWindowWidget(const QString &id) const
{
    const Window *window = find(id);
    return window ? window->dock->widget() : nullptr;
}

void ToolWindowManager::showToolWindow(const QString &id, bool raise)
{
    const Window *window = find(id);
    if (!window)
        return;
    window->dock->show();
    if (raise)
        window->dock->raise();
}

void ToolWindowManager::removeToolWindow(QWidget *widget)
{
    if (!widget)
        return;
    prune();
    const auto it = std::find_if(m_windows.begin(), m_windows.end(), [widget](const Window &w) {
        return w.dock->widget() == widget;
    });
    if (it == m_windows.end() || it->host)
        return;
    QDockWidget *dock = it->dock;
    m_windows.erase(it);
    if (m_mainWindow)
        m_mainWindow->removeDockWidget(dock);
    delete dock;
    scheduleArrange();
}

bool ToolWindowManager::renameToolWindow(const QString &oldId,
                                         const QString &newId,
                                         const QString &title)
{
    Window *window = find(oldId);
    if (!window || window->host || newId.isEmpty())
        return false;
    if (newId != oldId && find(newId))
        return false;
    window->id = newId;
    window->dock->setObjectName(newId);
    window->dock->setWindowTitle(title);
    return true;
}

QStringList ToolWindowManager::toolWindowIds() const
{
    QStringList ids;
    for (const Window &window : m_windows) {
        if (window.dock)
            ids.append(window.id);
    }
    return ids;
}

bool ToolWindowManager::addHostToolWindow(
    Qt::DockWidgetArea area, QWidget *widget, const QString &id, const QString &title, bool visible)
{
    if (!add(area, widget, id, title, true))
        return false;
    if (!visible)
        find(id)->dock->hide();
    return true;
}

bool ToolWindowManager::isHostToolWindow(const QString &id) const
{
    const Window *window = find(id);
    return window && window->host;
}

void ToolWindowManager::removeForeignToolWindows()
{
    prune();
    std::vector<Window> foreign;
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (it->host) {
            ++it;
        } else {
            foreign.push_back(*it);
            it = m_windows.erase(it);
        }
    }
    for (const Window &window : foreign) {
        if (m_mainWindow)
            m_mainWindow->removeDockWidget(window.dock);
        delete window.dock.data();
    }
    scheduleArrange();
}

QDockWidget *ToolWindowManager::dockWidget(const QString &id) const
{
    const Window *window = find(id);
    return window ? window->dock.data() : nullptr;
}

QString ToolWindowManager::projectOf(QWidget *widget) const
{
    for (QWidget *child = widget; child; child = child->parentWidget()) {
        auto dock = qobject_cast<QDockWidget *>(child->parentWidget());
        if (!dock || dock->widget() != child)
            continue;
        if (dockWidget(dock->objectName()) != dock)
            return QString();
        const QMetaObject *meta = child->metaObject();
        const int index = meta->indexOfProperty("projectName");
        return index < 0 ? QString() : meta->property(index).read(child).toString();
    }
    return QString();
}

QPlainTextEdit *ToolWindowManager::compileOutput() const
{
    return m_compileOutput.data();
}

const ToolWindowManager::Window *ToolWindowManager::find(const QString &id) const
{
    const auto it = std::find_if(m_windows.cbegin(), m_windows.cend(), [&id](const Window &w) {
        return w.dock && w.id == id;
    });
    return it == m_windows.cend() ? nullptr : &*it;
}

ToolWindowManager::Window *ToolWindowManager::find(const QString &id)
{
    return const_cast<Window *>(static_cast<const ToolWindowManager *>(this)->find(id));
}

bool ToolWindowManager::add(
    Qt::DockWidgetArea area, QWidget *widget, const QString &id, const QString &title, bool host)
{
    if (!m_mainWindow || !widget || id.isEmpty() || find(id))
        return false;
    prune();
    auto *dock = new QDockWidget(title, m_mainWindow);
    dock->setObjectName(id);
    dock->setWidget(widget);
    m_mainWindow->addDockWidget(area, dock);
    m_windows.push_back({id, dock, host});
    if (!host) {
        dock->installEventFilter(this);
        fitColumns(widget);
        connect(dock, &QDockWidget::topLevelChanged, this, &ToolWindowManager::scheduleArrange);
        connect(dock, &QDockWidget::visibilityChanged, this, &ToolWindowManager::scheduleArrange);
        scheduleArrange();
    }
    return true;
}

void ToolWindowManager::scheduleArrange()
{
    if (m_arrangeScheduled)
        return;
    m_arrangeScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_arrangeScheduled = false;
        arrange();
    });
}

void ToolWindowManager::arrange()
{
    if (!m_mainWindow)
        return;
    prune();
    const auto dockedBelow = [this](bool host) {
        QList<QDockWidget *> docks;
        for (const Window &w : m_windows) {
            if (w.host == host && !w.dock->isHidden() && !w.dock->isFloating() &&
                m_mainWindow->dockWidgetArea(w.dock) == Qt::BottomDockWidgetArea)
                docks.append(w.dock);
        }
        return docks;
    };
    const QList<QDockWidget *> lists = dockedBelow(false);
    const bool listsDocked = !lists.isEmpty();
    if (listsDocked == m_listsDocked)
        return;
    m_listsDocked = listsDocked;
    // Sized once as the first list docks and once as the last one goes; in
    // between the user's own sizes stand. The editor area stays, at its
    // least: hidden, Qt's layout widens the left docks at every relayout.
    const QList<QDockWidget *> docks = listsDocked ? lists : dockedBelow(true);
    if (docks.isEmpty())
        return;
    const int height = listsDocked ? m_mainWindow->height() : m_mainWindow->height() / 3;
    QList<int> heights;
    for (int i = 0; i < docks.size(); ++i)
        heights.append(height);
    m_mainWindow->resizeDocks(docks, heights, Qt::Vertical);
}

bool ToolWindowManager::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Close) {
        // Deleted from the event loop, not from inside its own close: the dock
        // hides once the event is through, and its title button is still on
        // the stack.
        QPointer<QDockWidget> dock = qobject_cast<QDockWidget *>(watched);
        if (dock) {
            QTimer::singleShot(0, this, [this, dock] {
                // Shown again meanwhile (reopened at once): it stays.
                if (dock && dock->isHidden())
                    removeClosed(dock);
            });
        }
    }
    return IToolWindowManager::eventFilter(watched, event);
}

void ToolWindowManager::removeClosed(QDockWidget *dock)
{
    prune();
    const auto it = std::find_if(
        m_windows.begin(), m_windows.end(), [dock](const Window &w) { return w.dock == dock; });
    if (it == m_windows.end())
        return;
    m_windows.erase(it);
    if (m_mainWindow)
        m_mainWindow->removeDockWidget(dock);
    delete dock;
    scheduleArrange();
}

void ToolWindowManager::prune()
{
    m_windows.erase(std::remove_if(m_windows.begin(),
                                   m_windows.end(),
                                   [](const Window &w) { return w.dock.isNull(); }),
                    m_windows.end());
}
