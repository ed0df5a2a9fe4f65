#pragma once

#include "iapplication.h"

#include <QHash>
#include <QPointer>

#include <memory>

class ServiceRegistry;

// The host application object handed to plug-ins through the QApplication
// property "IApplication".
class Application : public IApplication
{
    Q_OBJECT
public:
    explicit Application(QWidget *mainWindow, QObject *parent = nullptr);
    ~Application() override;

    ObjectRegistry *objectRegistry() const override;
    IManager *getManager(const QString &kind) const override;
    QWidget *mainWindow() const override;

    void setManager(const QString &kind, IManager *manager);

    // The application object published on qApp, or null.
    static IApplication *published();
    // Publishes this object on qApp's "IApplication" property.
    void publish();
    // Clears the property if it still names this object.
    void withdraw();

private:
    std::unique_ptr<ServiceRegistry> m_registry;
    QHash<QString, QPointer<IManager>> m_managers;
    QPointer<QWidget> m_mainWindow;
};
