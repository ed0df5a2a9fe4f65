#pragma once

#include <QString>
#include <QStringList>

class QObject;

// The application's table of named service objects. Services are found by
// name at each use; a name that is not registered, or whose object has been
// destroyed since, answers null.
class ObjectRegistry
{
public:
    virtual ~ObjectRegistry();

    virtual QObject *value(const QString &name) const = 0;
    virtual bool contains(const QString &name) const = 0;
    // Registers the object under its objectName(); an existing entry of that
    // name is replaced.
    virtual void insert(QObject *object) = 0;
    virtual void remove(const QString &name) = 0;
    virtual QStringList names() const = 0;
};
