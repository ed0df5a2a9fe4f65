#include "pluginhost.h"

#include "plugininterface.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QLocale>
#include <QPluginLoader>
#include <QTranslator>

namespace {

struct Language
{
    QString name;
    std::unique_ptr<QTranslator> workbench;
    std::unique_ptr<QTranslator> qt;
};

Language &currentLanguage()
{
    static Language language;
    return language;
}

// The catalogue "<name>_<language>.qm" from the given directory, installed;
// null when there is none for the language.
std::unique_ptr<QTranslator> installCatalogue(const QString &name, const QString &directory)
{
    const QString language = currentLanguage().name;
    if (language.isEmpty())
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(language), name, QStringLiteral("_"), directory))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

void readPackageDescriptor(PluginInterface *plugin)
{
    const QJsonObject package =
        QJsonDocument::fromJson(plugin->packageDescriptor.toUtf8()).object();
    const auto english = [&package](const char *key) {
        return package.value(QLatin1String(key))
            .toObject()
            .value(QLatin1String("en_US"))
            .toString();
    };
    plugin->name = package.value(QLatin1String("name")).toString();
    plugin->version = package.value(QLatin1String("version")).toString();
    plugin->description = english("descript");
    plugin->vendor = english("provider");
    plugin->category = english("catgory");
    plugin->forceLoad = package.value(QLatin1String("forceLoad")).toBool();
}

} // namespace

PluginHost::PluginHost() = default;

PluginHost::~PluginHost() = default;

void PluginHost::setLanguage(const QString &language)
{
    Language &current = currentLanguage();
    current.workbench.reset();
    current.qt.reset();
    current.name = language;
    current.workbench =
        installCatalogue(QStringLiteral("workbench"), QStringLiteral(":/translations"));
    current.qt = installCatalogue(QStringLiteral("qtbase"),
                                  QLibraryInfo::location(QLibraryInfo::TranslationsPath));
}

QString PluginHost::language()
{
    return currentLanguage().name;
}

PluginInterface *PluginHost::load(const QString &filePath, QString *error)
{
    auto loader = std::make_unique<QPluginLoader>(filePath);
    // Plug-ins hand the host strings and data that may point into their
    // read-only sections; the code stays mapped after unload so those stay valid.
    loader->setLoadHints(QLibrary::PreventUnloadHint);
    const QString shownPath = QDir::toNativeSeparators(filePath);

    const QJsonObject metaData = loader->metaData();
    if (metaData.isEmpty()) {
        setError(error,
                 loader->errorString().isEmpty() ? tr("%1 is not a Qt plug-in.").arg(shownPath)
                                                 : loader->errorString());
        return nullptr;
    }
    const QString iid = metaData.value(QLatin1String("IID")).toString();
    if (iid != QLatin1String(PluginInterface_iid)) {
        setError(error,
                 tr("%1 is not a watch-list host plug-in (IID \"%2\", expected \"%3\").")
                     .arg(shownPath, iid, QLatin1String(PluginInterface_iid)));
        return nullptr;
    }
    const QString canonical = QFileInfo(loader->fileName()).canonicalFilePath();
    for (const Plugin &loaded : m_plugins) {
        if (QFileInfo(loaded.loader->fileName()).canonicalFilePath() == canonical) {
            setError(error, tr("%1 is loaded already.").arg(shownPath));
            return nullptr;
        }
    }
    if (!loader->load()) {
        setError(error, loader->errorString());
        return nullptr;
    }
    QObject *root = loader->instance();
    auto *plugin = qobject_cast<PluginInterface *>(root);
    if (!plugin) {
        setError(error, tr("%1 does not provide a watch-list host plug-in object.").arg(shownPath));
        loader->unload();
        return nullptr;
    }

    readPackageDescriptor(plugin);
    plugin->loaded = true;
    plugin->enabled = true;
    QString catalogue = QFileInfo(filePath).completeBaseName();
    if (catalogue.startsWith(QLatin1String("lib")))
        catalogue.remove(0, 3);
    m_plugins.push_back({std::move(loader),
                         root,
                         plugin,
                         installCatalogue(catalogue, QStringLiteral(":/translations"))});
    if (!plugin->initialize()) {
        // Kept loaded: whatever it set up before failing is undone with the others.
        plugin->failed = true;
        setError(error, tr("%1 failed to initialise.").arg(shownPath));
        return nullptr;
    }
    return plugin;
}

void PluginHost::unloadAll(const std::function<void()> &beforeUnload)
{
    if (m_plugins.empty())
        return;
    for (auto it = m_plugins.rbegin(); it != m_plugins.rend(); ++it) {
        if (it->root)
            it->plugin->shutdown();
    }
    beforeUnload();
    for (auto it = m_plugins.rbegin(); it != m_plugins.rend(); ++it) {
        it->translator.reset();
        it->loader->unload();
    }
    m_plugins.clear();
}
