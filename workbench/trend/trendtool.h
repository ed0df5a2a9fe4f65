#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QWidget;
class TrendWindow;
class VarTreeWidget;
class Workbench;

// View > Trend of Selected Rows: opens the "Trend" tool window at the
// bottom, or points it at another selection, for the rows selected in the
// watch-list window last worked in.
class TrendTool : public QObject
{
    Q_OBJECT
public:
    explicit TrendTool(Workbench *workbench, QObject *parent = nullptr);
    ~TrendTool() override;

    static constexpr char toolWindowId[] = "workbench.Trend";

    // Ctrl+T, also while the menu is closed once added to a shown widget.
    QAction *action() const { return m_action; }
    void showTrend();
    // Null until the trend is first shown.
    TrendWindow *window() const;
    // The tree of the watch-list window that had the focus last, else of
    // the first one shown; null when no watch-list window is shown.
    VarTreeWidget *activeWatchList() const;

private:
    void focusChanged(QWidget *old, QWidget *now);
    static VarTreeWidget *watchListTree(QWidget *widget);

    Workbench *m_workbench;
    QAction *m_action;
    QPointer<VarTreeWidget> m_lastTree;
    QPointer<TrendWindow> m_window;
};
