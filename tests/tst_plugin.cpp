#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "plugininterface.h"
#include "projectundostacks.h"
#include "solutiontree.h"
#include "workbench.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPluginLoader>
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

    void loadsAsAHostDoes();
    void menusAndFolder_data();
    void menusAndFolder();

private:
    std::unique_ptr<HostFixture> host;
};

void tst_Plugin::cleanup()
{
    host.reset();
    QCOMPARE(parentlessMenus().size(), 0);
}

// What the host reads before loading, and the descriptor it fills the
// plug-in's fields from after.
void tst_Plugin::loadsAsAHostDoes()
{
    QJsonObject metaData = QPluginLoader(HostFixture::pluginPath()).metaData();
    QVERIFY(metaData.take(QStringLiteral("MetaData")).toObject().isEmpty());
    for (const char *qtOwn : {"debug", "version", "archreq"})
        metaData.remove(QLatin1String(qtOwn));
    QCOMPARE(metaData,
             QJsonObject({{QStringLiteral("IID"), QStringLiteral("brackwell.Volmera/1.1")},
                          {QStringLiteral("className"), QStringLiteral("WatchListPlugin")}}));

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
    QCOMPARE(package.value(QStringLiteral("dependencies")).toObject(),
             QJsonObject({{QStringLiteral("project.solutionview"), QStringLiteral("1.0.0")}}));
    const QStringList fields{
        plugin->name, plugin->version, plugin->description, plugin->vendor, plugin->category};
    QCOMPARE(fields, names("tools.watchlist,1.0.0,monitor table,Brackwell,/tools/watchlist"));
    QVERIFY(plugin->forceLoad);
}

// The menus and the folder in the host's language, a node per list in the
// project's order; the menus, their actions their own, go with shutdown()
// and only then, and the host's signals after it reach nothing.
void tst_Plugin::menusAndFolder_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("lists");
    // Each menu (in sorted order), the folder, the new-list dialog's title and buttons.
    QTest::addColumn<QString>("texts");
    QTest::newRow("English, no lists")
        << QString() << QStringList()
        << QStringLiteral("Add Watch List|Edit Watch List,Rename Watch List,Remove Watch List|"
                          "Watch List|New Watch List,OK,Cancel");
    QTest::newRow("Chinese, unsorted names")
        << QStringLiteral("zh_CN") << names("Zeta,alpha,Mid_2")
        << QStringLiteral("添加监视列表|编辑监视列表,重命名监视列表,删除监视列表|监视列表|"
                          "新建监视列表,确定,取消");
}

void tst_Plugin::menusAndFolder()
{
    QFETCH(QString, language);
    QFETCH(QStringList, lists);
    Workbench::setLanguage(language);
    const auto english = qScopeGuard([] { Workbench::setLanguage(QString()); });
    PluginInterface *plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(host->openProject(QStringLiteral("Demo"), lists));

    QStringList texts;
    QList<QObject *> owned;
    for (QMenu *menu : parentlessMenus()) {
        owned.append(menu);
        QStringList entries;
        for (QAction *action : menu->actions()) {
            QCOMPARE(action->parent(), menu);
            owned.append(action);
            entries.append(action->text());
        }
        texts.append(entries.join(QLatin1Char(',')));
    }
    texts.sort();

    // The folder shows the translation; its path keeps the untranslated name.
    SolutionTree *tree = host->workbench().solutionTree();
    const QString folder = QStringLiteral("Demo.Watch List");
    texts.append(tree->item(folder)->text(0));
    QCOMPARE(tree->childNodes(folder), lists);
    for (const QString &name : lists) {
        const QString path = folder + QLatin1Char('.') + name;
        QStringList data{path, QStringLiteral("TYPE.WATCHLIST"), name, QStringLiteral("true")};
        for (const char *key : {"FileName", "MimeType", "DisplayName", "isWatchList"})
            QCOMPARE(tree->nodeData(path, QLatin1String(key), QVariant()).toString(),
                     data.takeFirst());
    }

    ModalDriver driver;
    driver.onNext("QDialog", [&texts](QWidget *shown) {
        QStringList dialog{shown->windowTitle()};
        for (const QPushButton *button : shown->findChildren<QPushButton *>())
            dialog.append(button->text());
        texts.append(dialog.join(QLatin1Char(',')));
        static_cast<QDialog *>(shown)->reject();
    });
    QVERIFY(QMetaObject::invokeMethod(plugin, "onActionInsert"));
    QTEST(texts.join(QLatin1Char('|')), "texts");

    QCOMPARE(owned.size(), 6);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QObject *object : owned)
        spies.push_back(std::make_unique<QSignalSpy>(object, &QObject::destroyed));
    plugin->shutdown();
    for (const auto &spy : spies)
        QCOMPARE(spy->count(), 1);
    // The host may still send node events and undo steps before it deletes the plug-in.
    emit tree->nodeEvent(folder, Solution::NodeContextMenu, QVariant());
    emit tree->nodeEvent(folder + QStringLiteral(".Zeta"), Solution::NodeContextMenu, QVariant());
    const QString rename = QStringLiteral("Zeta[*PROJECT_MODEL_STACK*]Fan");
    emit host->workbench().undoStacks()->commandExecuted(
        QStringLiteral("PROJECT_MODEL_STACK_RENAME"), QStringLiteral("WatchListModel"), {}, rename);
    QCOMPARE(tree->childNodes(folder), lists);
    host->workbench().unloadPlugins();
    for (const auto &spy : spies)
        QCOMPARE(spy->count(), 1);
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
