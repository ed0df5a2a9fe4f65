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

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    return texts;
}

const char descriptorBytes[] =
    "{\r\n"
    "  \"name\": \"tools.watchlist\",\r\n"
    "  \"version\": \"1.0.0\",\r\n"
    "  \"descript\": {\r\n"
    "    \"zh_CN\": \"\xe7\x9b\x91\xe8\xa7\x86\xe5\x88\x97\xe8\xa1\xa8\",\r\n"
    "    \"en_US\": \"monitor table\"\r\n"
    "  },\r\n"
    "  \"provider\": {\r\n"
    "    \"zh_CN\": \"Brackwell\",\r\n"
    "    \"en_US\": \"Brackwell\"\r\n"
    "  },\r\n"
    "  \"catgory\": {\r\n"
    "    \"zh_CN\": \"/\xe5\xb7\xa5\xe5\x85\xb7/"
    "\xe7\x9b\x91\xe8\xa7\x86\xe5\x88\x97\xe8\xa1\xa8\",\r\n"
    "    \"en_US\": \"/tools/watchlist\"\r\n"
    "  },\r\n"
    "  \"dependencies\": {\r\n"
    "    \"project.solutionview\": \"1.0.0\"\r\n"
    "  },\r\n"
    "  \"forceLoad\": true\r\n"
    "}\r\n";

} // namespace

class tst_Plugin : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void metaData();
    void entryPointReturnsOneInstance();
    void packageDescriptor();
    void menusAfterInitialize();
    void viewSignalReachesPlugin_data();
    void viewSignalReachesPlugin();
    void shutdownDeletesMenusOnce();
    void chineseCatalogue();

private:
    std::unique_ptr<HostFixture> host;
};

void tst_Plugin::init()
{
    host = std::make_unique<HostFixture>();
}

void tst_Plugin::cleanup()
{
    host.reset();
    QCOMPARE(parentlessMenus().size(), 0);
}

void tst_Plugin::metaData()
{
    QPluginLoader loader(HostFixture::pluginPath());
    const QJsonObject metaData = loader.metaData();
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

    QVERIFY2(loader.load(), qPrintable(loader.errorString()));
    QObject *instance = loader.instance();
    QVERIFY(instance);
    QVERIFY(qobject_cast<PluginInterface *>(instance));
    QVERIFY(loader.unload());
}

void tst_Plugin::entryPointReturnsOneInstance()
{
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
    QVERIFY(first.isNull());
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
    QVERIFY(resource.isValid());
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
    const QByteArray expected(descriptorBytes, int(sizeof(descriptorBytes)) - 1);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(resource.data()), int(resource.size())),
             expected);

    // Read as text, so line ends arrive as "\n".
    QCOMPARE(plugin->packageDescriptor,
             QString::fromUtf8(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // The host filled its fields from it.
    QCOMPARE(plugin->name, QStringLiteral("tools.watchlist"));
    QCOMPARE(plugin->version, QStringLiteral("1.0.0"));
    QVERIFY(plugin->forceLoad);
}

void tst_Plugin::menusAfterInitialize()
{
    QCOMPARE(parentlessMenus().size(), 0);
    QVERIFY(host->loadPlugin());

    QList<QStringList> menus;
    for (const QMenu *menu : parentlessMenus()) {
        for (const QAction *action : menu->actions())
            QCOMPARE(action->parent(), menu);
        menus.append(actionTexts(menu));
    }
    std::sort(menus.begin(), menus.end());
    QCOMPARE(menus,
             QList<QStringList>({names("Add Watch List"),
                                 names("Edit Watch List,Rename Watch List,Remove Watch List")}));
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
        QCOMPARE(view->nodeData(path, QStringLiteral("FileName"), QVariant()).toString(), path);
        QCOMPARE(view->nodeData(path, QStringLiteral("MimeType"), QVariant()).toString(),
                 QStringLiteral("TYPE.WATCHLIST"));
        QCOMPARE(view->nodeData(path, QStringLiteral("isWatchList"), false).toBool(), true);
        QCOMPARE(view->nodeData(path, QStringLiteral("DisplayName"), QVariant()).toString(), name);
    }
}

void tst_Plugin::shutdownDeletesMenusOnce()
{
    PluginInterface *plugin = host->loadPlugin();
    QVERIFY(plugin);
    QList<QObject *> owned;
    for (QMenu *menu : parentlessMenus()) {
        owned.append(menu);
        for (QAction *action : menu->actions())
            owned.append(action);
    }
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

void tst_Plugin::chineseCatalogue()
{
    Workbench::setLanguage(QStringLiteral("zh_CN"));
    const auto english = qScopeGuard([] { Workbench::setLanguage(QString()); });
    PluginInterface *plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(host->openProject(QStringLiteral("Demo"), {QStringLiteral("Pump")}));

    QList<QStringList> menus;
    for (const QMenu *menu : parentlessMenus())
        menus.append(actionTexts(menu));
    std::sort(menus.begin(), menus.end());
    QCOMPARE(menus,
             QList<QStringList>(
                 {names("添加监视列表"), names("编辑监视列表,重命名监视列表,删除监视列表")}));

    // The folder shows the translation; its path keeps the untranslated name.
    SolutionTree *tree = host->workbench().solutionTree();
    QCOMPARE(tree->item(QStringLiteral("Demo.Watch List"))->text(0), QStringLiteral("监视列表"));
    QCOMPARE(tree->childNodes(QStringLiteral("Demo.Watch List")), names("Pump"));

    QString title;
    QStringList buttons;
    ModalDriver driver;
    driver.onNext("QDialog", [&](QWidget *dialog) {
        title = dialog->windowTitle();
        for (const QPushButton *button : dialog->findChildren<QPushButton *>())
            buttons.append(button->text());
        static_cast<QDialog *>(dialog)->reject();
    });
    QVERIFY(QMetaObject::invokeMethod(plugin, "onActionInsert"));
    QCOMPARE(title, QStringLiteral("新建监视列表"));
    QCOMPARE(buttons, names("确定,取消"));
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
