#include "application.h"

#include "imanager.h"
#include "serviceregistry.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace {
const char PropertyName[] = "IApplication";
}

Application::Application(QWidget *mainWindow, QObject *parent)
    : IApplication(parent)
    , m_registry(std::make_unique<ServiceRegistry>())
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("IApplication"));
}

Application::~Application()
{
    withdraw();
}

ObjectRegistry *Application::objectRegistry() const
{
    return m_registry.get();
}

IManager *Application::getManager(const QString &kind) const
{
    return m_managers.value(kind).data();
}

QWidget *Application::mainWindow() const
{
    return m_mainWindow.data();
}

void Application::setManager(const QString &kind, IManager *manager)
{
    if (manager)
        m_managers.insert(kind, manager);
    else
        m_managers.remove(kind);
}

IApplication *Application::published()
{
    if (!qApp)
        return nullptr;
    const quint64 address = qApp->property(PropertyName).toULongLong();
    return reinterpret_cast<IApplication *>(static_cast<quintptr>(address));
}

void Application::publish()
{
    if (!qApp)
        return;
    IApplication *self = this;
    qApp->setProperty(PropertyName, QVariant::fromValue<quint64>(reinterpret_cast<quintptr>(self)));
}

void Application::withdraw()
{
    if (qApp && published() == this)
        qApp->setProperty(PropertyName, QVariant());
}
