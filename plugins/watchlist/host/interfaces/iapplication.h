#pragma once

#include "iobject.h"

class IManager;
class ObjectRegistry;
class QWidget;

// The host application as plug-ins see it. Its address is stored in the
// QApplication's dynamic property "IApplication" as a quint64 before any
// plug-in is initialised.
class IApplication : public IObject
{
    Q_OBJECT
public:
    explicit IApplication(QObject *parent = nullptr);
    ~IApplication() override;

    virtual ObjectRegistry *objectRegistry() const = 0;
    // "toolWindow" gives the IToolWindowManager; unknown kinds give null.
    virtual IManager *getManager(const QString &kind) const = 0;
    virtual QWidget *mainWindow() const = 0;
};
