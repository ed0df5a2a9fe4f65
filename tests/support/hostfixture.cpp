#include "hostfixture.h"

#include "abstractprojectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "watchlistmodel.h"
#include "workbench.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

HostFixture::HostFixture()
    : m_workbench(std::make_unique<Workbench>())
{}

HostFixture::~HostFixture() = default;

QString HostFixture::pluginPath()
{
    return QStringLiteral(WATCHLIST_PLUGIN_PATH);
}

PluginInterface *HostFixture::loadPlugin()
{
    QString message;
    PluginInterface *plugin = m_workbench->loadPlugin(pluginPath(), &message);
    if (!plugin)
        qWarning("%s", qPrintable(message));
    return plugin;
}

QString HostFixture::writeProject(const QString &projectName,
                                  const QStringList &watchLists,
                                  const QString &device) const
{
    QJsonArray lists;
    for (const QString &listText : watchLists) {
        const int colon = listText.indexOf(QLatin1Char(':'));
        const QStringList entries =
            colon < 0 ? QStringList() : listText.mid(colon + 1).split(QLatin1Char(','));
        lists.append(QJsonObject{{QStringLiteral("name"), listText.left(colon)},
                                 {QStringLiteral("properties"), QString()},
                                 {QStringLiteral("entries"), QJsonArray::fromStringList(entries)}});
    }
    const QJsonObject project{
        {QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("name"), projectName},
        {QStringLiteral("device"), device},
        {QStringLiteral("symbols"), QJsonArray()},
        {QStringLiteral("softComponents"), QJsonObject()},
        {QStringLiteral("watchLists"), lists},
    };
    const QString path = QDir(m_dir.path()).filePath(projectName + QStringLiteral(".wlproj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(QJsonDocument(project).toJson());
    return path;
}

bool HostFixture::openProject(const QString &projectName, const QStringList &watchLists)
{
    QString error;
    if (m_workbench->openProject(writeProject(projectName, watchLists), &error))
        return true;
    qWarning("%s", qPrintable(error));
    return false;
}

WatchListModel *HostFixture::watchLists(const QString &projectName)
{
    SafeProjectModel model(
        ProjectModelManager::instance()->projectModel(projectName.toStdString(), false));
    return model ? qobject_cast<WatchListModel *>(model->subModel("WatchListModel")) : nullptr;
}

WatchListObject *HostFixture::watchList(const QString &projectName, const QString &name)
{
    WatchListModel *lists = watchLists(projectName);
    return lists ? lists->getObject(name) : nullptr;
}
