#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "plugininterface.h"
#include "solutiontree.h"
#include "solutionview.h"
#include "workbench.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibrary>
#include <QMenu>
#include <QPluginLoader>
#include <QPointer>
#include <QPushButton>
#include <QResource>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidgetItem>

#include <memory>

namespace {

QList<QMenu *> parentlessMenus()
{
    QList<QMenu *> menus;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto menu = qobject_cast<QMenu *>(widget); menu && !menu->parent())
            menus.append(menu);
    }
    return menus;
}

} // namespace

class tst_Plugin : public QObject
{
    Q_OBJECT

private slots:
    void init() { host = std::make_unique<HostFixture>(); }
    void cleanup();

    void entryPoints();
    void packageDescriptor();
    void menusAndFolder_data();
    void menusAndFolder();
    void viewSignalReachesPlugin_data();
    void viewSignalReachesPlugin();

private:
    std::unique_ptr<HostFixture> host;
};

void tst_Plugin::cleanup()
{
    host.reset();
    QCOMPARE(parentlessMenus().size(), 0);
}

// What the host sees before loading, and the instance behind Qt's entry point.
void tst_Plugin::entryPoints()
{
    const QJsonObject metaData = QPluginLoader(HostFixture::pluginPath()).metaData();
    QCOMPARE(metaData.value(QStringLiteral("IID")).toString(),
             QStringLiteral("brackwell.Volmera/1.1"));
    QCOMPARE(metaData.value(QStringLiteral("className")).toString(),
             QStringLiteral("WatchListPlugin"));
    // Nothing but what Qt itself records next to the two entries.
    QVERIFY(metaData.value(QStringLiteral("MetaData")).toObject().isEmpty());
    QStringList keys = metaData.keys();
    for (const char *qtOwn : {"MetaData", "debug", "version", "archreq"})
        keys.removeOne(QLatin1String(qtOwn));
    keys.sort();
    QCOMPARE(keys, names("IID,className"));

    QLibrary library(HostFixture::pluginPath());
    QVERIFY2(library.load(), qPrintable(library.errorString()));
    using InstanceFunction = QObject *(*)();
    auto instanceOf = reinterpret_cast<InstanceFunction>(library.resolve("qt_plugin_instance"));
    QVERIFY(instanceOf);
    QVERIFY(library.resolve("qt_plugin_query_metadata"));
    QPointer<QObject> first = instanceOf();
    QVERIFY(first);
    QCOMPARE(instanceOf(), first.data());
    // Only a deleted instance is replaced.
    delete first.data();
    QObject *second = instanceOf();
    QVERIFY(second);
    QCOMPARE(instanceOf(), second);
    delete second;
    library.unload();
}

void tst_Plugin::packageDescriptor()
{
    PluginInterface *plugin = host->loadPlugin();
    QVERIFY(plugin);

    QResource resource(QStringLiteral(":/watchlist_package.json"));
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
    const QByteArray bytes(reinterpret_cast<const char *>(resource.data()), int(resource.size()));
    QVERIFY(bytes.contains("\r\n"));
    // Read as UTF-8 text, so line ends arrive as "\n".
    QCOMPARE(plugin->packageDescriptor,
             QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const QJsonObject package = QJsonDocument::fromJson(bytes).object();
    QCOMPARE(package.value(QStringLiteral("descript")).toObject().value(QStringLiteral("zh_CN")),
             QStringLiteral("监视列表"));
    QCOMPARE(package.value(QStringLiteral("dependencies")).toObject(),
             QJsonObject({{QStringLiteral("project.solutionview"), QStringLiteral("1.0.0")}}));
    // The host filled its fields from it.
    QCOMPARE(QStringList({plugin->name, plugin->version, plugin->description, plugin->vendor,
                          plugin->category}),
             names("tools.watchlist,1.0.0,monitor table,Brackwell,/tools/watchlist"));
    QVERIFY(plugin->forceLoad);
}

// The menus and the folder in the host's language; the menus, their actions
// their own, go with shutdown() and only then.
void tst_Plugin::menusAndFolder_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QList<QStringList>>("menus");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("dialog"); // title, buttons

    QTest::newRow("English")
        << QString()
        << QList<QStringList>({names("Add Watch List"),
                               names("Edit Watch List,Rename Watch List,Remove Watch List")})
        << QStringLiteral("Watch List") << names("New Watch List,OK,Cancel");
    QTest::newRow("Chinese")
        << QStringLiteral("zh_CN")
        << QList<QStringList>({names("添加监视列表"), names("编辑监视列表,重命名监视列表,删除监视列表")})
        << QStringLiteral("监视列表") << names("新建监视列表,确定,取消");
}

void tst_Plugin::menusAndFolder()
{
    QFETCH(QString, language);
    Workbench::setLanguage(language);
    const auto english = qScopeGuard([] { Workbench::setLanguage(QString()); });
    PluginInterface *plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(host->openProject(QStringLiteral("Demo"), {QStringLiteral("Pump")}));

    QList<QStringList> menus;
    QList<QObject *> owned;
    for (QMenu *menu : parentlessMenus()) {
        owned.append(menu);
        menus.append(QStringList());
        for (QAction *action : menu->actions()) {
            QCOMPARE(action->parent(), menu);
            owned.append(action);
            menus.last().append(action->text());
        }
    }
    std::sort(menus.begin(), menus.end());
    QTEST(menus, "menus");

    // The folder shows the translation; its path keeps the untranslated name.
    SolutionTree *tree = host->workbench().solutionTree();
    QTEST(tree->item(QStringLiteral("Demo.Watch List"))->text(0), "folder");
    QCOMPARE(tree->childNodes(QStringLiteral("Demo.Watch List")), names("Pump"));

    QStringList dialog;
    ModalDriver driver;
    driver.onNext("QDialog", [&dialog](QWidget *shown) {
        dialog.append(shown->windowTitle());
        for (const QPushButton *button : shown->findChildren<QPushButton *>())
            dialog.append(button->text());
        static_cast<QDialog *>(shown)->reject();
    });
    QVERIFY(QMetaObject::invokeMethod(plugin, "onActionInsert"));
    QTEST(dialog, "dialog");

    QCOMPARE(owned.size(), 6);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QObject *object : owned)
        spies.push_back(std::make_unique<QSignalSpy>(object, &QObject::destroyed));
    plugin->shutdown();
    for (const auto &spy : spies)
        QCOMPARE(spy->count(), 1);
    host->workbench().unloadPlugins();
    for (const auto &spy : spies)
        QCOMPARE(spy->count(), 1);
}

void tst_Plugin::viewSignalReachesPlugin_data()
{
    QTest::addColumn<QStringList>("watchLists");

    QTest::newRow("no watch lists") << QStringList();
    QTest::newRow("unsorted names") << names("Zeta,alpha,Mid_2");
}

void tst_Plugin::viewSignalReachesPlugin()
{
    QFETCH(QStringList, watchLists);
    QVERIFY(host->loadPlugin());
    QVERIFY(host->openProject(QStringLiteral("Demo"), watchLists));

    Solution::View *view = host->workbench().solutionTree();
    QVERIFY(view->childNodes(QStringLiteral("Demo")).contains(QStringLiteral("Watch List")));
    QCOMPARE(view->childNodes(QStringLiteral("Demo.Watch List")), watchLists);
    for (const QString &name : watchLists) {
        const QString path = QStringLiteral("Demo.Watch List.") + name;
        const auto data = [view, &path](const char *key) {
            return view->nodeData(path, QLatin1String(key), QVariant()).toString();
        };
        QCOMPARE(QStringList({data("FileName"), data("MimeType"), data("DisplayName")}),
                 QStringList({path, QStringLiteral("TYPE.WATCHLIST"), name}));
        QCOMPARE(view->nodeData(path, QStringLiteral("isWatchList"), false).toBool(), true);
    }
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
