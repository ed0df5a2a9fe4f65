#include "serviceregistry.h"

ServiceRegistry::ServiceRegistry() = default;

ServiceRegistry::~ServiceRegistry() = default;

QObject *ServiceRegistry::value(const QString &name) const
{
    return m_objects.value(name).data();
}

bool ServiceRegistry::contains(const QString &name) const
{
    return value(name) != nullptr;
}

void ServiceRegistry::insert(QObject *object)
{
    if (!object || object->objectName().isEmpty())
        return;
    m_objects.insert(object->objectName(), object);
}

void ServiceRegistry::remove(const QString &name)
{
    m_objects.remove(name);
}

QStringList ServiceRegistry::names() const
{
    QStringList names;
    for (auto it = m_objects.cbegin(); it != m_objects.cend(); ++it) {
        if (it.value())
            names.append(it.key());
    }
    return names;
}
