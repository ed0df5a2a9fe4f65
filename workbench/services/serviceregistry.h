#pragma once

#include "objectregistry.h"

#include <QMap>
#include <QPointer>

// The application's named services. Entries are weak: an object destroyed
// after registration simply stops being found.
class ServiceRegistry : public ObjectRegistry
{
public:
    ServiceRegistry();
    ~ServiceRegistry() override;

    QObject *value(const QString &name) const override;
    bool contains(const QString &name) const override;
    void insert(QObject *object) override;
    void remove(const QString &name) override;
    QStringList names() const override;

private:
    QMap<QString, QPointer<QObject>> m_objects;
};
