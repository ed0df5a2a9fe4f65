#pragma once

#include "imanager.h"

#include <QList>

class QAction;
class QWidget;

// Dockable tool windows of the main window, keyed by id.
class IToolWindowManager : public IManager
{
    Q_OBJECT
public:
    explicit IToolWindowManager(QObject *parent = nullptr);
    ~IToolWindowManager() override;

    // area is a Qt::DockWidgetArea value; the manager takes ownership of the widget.
    // floating opens the window undocked. The actions are added to the window's
    // title bar and to its menu. Refused (false) when the id is already in use.
    virtual bool addToolWindow(int area,
                               QWidget *widget,
                               const QString &id,
                               const QString &title,
                               bool floating,
                               QList<QAction *> titleBarActions,
                               QList<QAction *> menuActions) = 0;
    // Puts the window beside (tabbed with) the window besideId, when that exists.
    virtual void placeToolWindow(const QString &id, const QString &besideId) = 0;
    virtual QWidget *toolWindowWidget(const QString &id) const = 0;
    virtual void showToolWindow(const QString &id, bool raise) = 0;
    // Removes and deletes the window holding the widget; null does nothing.
    virtual void removeToolWindow(QWidget *widget) = 0;
    virtual bool
    renameToolWindow(const QString &oldId, const QString &newId, const QString &title) = 0;
    virtual QStringList toolWindowIds() const = 0;
};
