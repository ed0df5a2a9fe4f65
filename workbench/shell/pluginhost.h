#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class PluginInterface;
class QPluginLoader;
class QTranslator;

// The plug-ins the workbench has loaded through Qt's plug-in loader, each with
// the catalogue it carries for the language of the user interface.
class PluginHost
{
    Q_DECLARE_TR_FUNCTIONS(Workbench)
public:
    PluginHost();
    ~PluginHost();

    // The language of the user interface ("zh_CN", "en_US", ...): installs the
    // workbench's and Qt's catalogues at once, and each plug-in's catalogue
    // (the resource ":/translations/<library name>_<language>.qm") when it loads.
    static void setLanguage(const QString &language);
    static QString language();

    // Loads the plug-in, checks its IID, fills the PluginInterface fields
    // from the package descriptor and calls initialize(). On failure returns
    // null with the reason in error.
    PluginInterface *load(const QString &filePath, QString *error);
    // shutdown() on every loaded plug-in, in reverse order; then beforeUnload,
    // which lets go of everything whose code lives in a plug-in; then unload.
    void unloadAll(const std::function<void()> &beforeUnload);

private:
    struct Plugin
    {
        std::unique_ptr<QPluginLoader> loader;
        QPointer<QObject> root;
        PluginInterface *plugin = nullptr;
        // Its data lives in the plug-in's resources: it goes before the plug-in.
        std::unique_ptr<QTranslator> translator;
    };
    std::vector<Plugin> m_plugins;
};
