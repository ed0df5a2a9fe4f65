#pragma once

#include "itoolwindowmanager.h"

#include <QPointer>

#include <vector>

class QDockWidget;
class QMainWindow;
class QPlainTextEdit;

// The main window's dock widgets, keyed by id. A dock's objectName is its id,
// so QMainWindow::saveState() and restoreState() recognise it.
//
// Windows added through addHostToolWindow() belong to the host: they cannot
// be removed or renamed through the interface and survive
// removeForeignToolWindows(), which the workbench runs before plug-in code
// goes away. Closing one (its title bar's ×) hides it; closing a plug-in's
// window removes it, widget and all, as removeToolWindow() does, so that
// opening it again builds it afresh.
class ToolWindowManager : public IToolWindowManager
{
    Q_OBJECT
public:
    explicit ToolWindowManager(QMainWindow *mainWindow, QObject *parent = nullptr);
    ~ToolWindowManager() override;

    // An unknown area code docks the window at the bottom. When the window is
    // refused the caller keeps the widget.
    bool addToolWindow(int area,
                       QWidget *widget,
                       const QString &id,
                       const QString &title,
                       bool floating,
                       QList<QAction *> titleBarActions,
                       QList<QAction *> menuActions) override;
    void placeToolWindow(const QString &id, const QString &besideId) override;
    QWidget *toolWindowWidget(const QString &id) const override;
    void showToolWindow(const QString &id, bool raise) override;
    void removeToolWindow(QWidget *widget) override;
    bool
    renameToolWindow(const QString &oldId, const QString &newId, const QString &title) override;
    QStringList toolWindowIds() const override;

    bool addHostToolWindow(Qt::DockWidgetArea area,
                           QWidget *widget,
                           const QString &id,
                           const QString &title,
                           bool visible);
    bool isHostToolWindow(const QString &id) const;
    void removeForeignToolWindows();

    QDockWidget *dockWidget(const QString &id) const;
    // The project of the tool window holding the widget, as the window's own
    // widget names it in its meta-object's property "projectName" (a
    // watch-list window does); empty for any other widget.
    QString projectOf(QWidget *widget) const;
    QPlainTextEdit *compileOutput() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Window
    {
        QString id;
        QPointer<QDockWidget> dock;
        bool host = false;
    };

    const Window *find(const QString &id) const;
    Window *find(const QString &id);
    bool add(Qt::DockWidgetArea area,
             QWidget *widget,
             const QString &id,
             const QString &title,
             bool host);
    void prune();
    void removeClosed(QDockWidget *dock);
    // The editor area gives its room to the bottom docks when a tool window
    // of a plug-in docks there, and gets it back when the last one goes: the
    // lists are what the user came to see.
    void arrange();
    void scheduleArrange();

    QPointer<QMainWindow> m_mainWindow;
    bool m_arrangeScheduled = false;
    bool m_listsDocked = false;
    std::vector<Window> m_windows;
    QPointer<QPlainTextEdit> m_compileOutput;
};

namespace ToolWindowId {
inline constexpr char CompileOutput[] = "orvane.CompileOutPut";
inline constexpr char Solution[] = "orvane.Solution";
inline constexpr char Symbols[] = "orvane.Symbols";
inline constexpr char CrossReference[] = "orvane.CrossReference";
} // namespace ToolWindowId
