#pragma once

#include <QObject>
#include <QString>

// Root object of a host plug-in. The host fills the texts and flags; the
// plug-in supplies packageDescriptor, the JSON text of its package.
class PluginInterface : public QObject
{
public:
    PluginInterface() = default;
    ~PluginInterface() override = default;

    QString name;
    QString version;
    QString vendor;
    QString description;
    QString category;
    bool loaded = false;
    bool enabled = false;
    bool forceLoad = false;
    bool failed = false;
    bool builtIn = false;
    int loadOrder = 1;
    QString packageDescriptor;

    virtual bool initialize() = 0;
    virtual void shutdown() = 0;
};

#define PluginInterface_iid "brackwell.Volmera/1.1"
Q_DECLARE_INTERFACE(PluginInterface, PluginInterface_iid)
