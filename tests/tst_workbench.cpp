#include "accore.h"
#include "application.h"
#include "cookies.h"
#include "modaldriver.h"
#include "names.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "serviceregistry.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "workbench.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

QStringList modelNames()
{
    QStringList names;
    for (const std::string &name : ProjectModelManager::instance()->projectNames())
        names.append(QString::fromStdString(name));
    return names;
}

NodeInfo nodeInfo(const QString &name, const QVariantMap &data = {})
{
    NodeInfo info;
    info.name = name;
    info.text = name;
    info.data = data;
    return info;
}

using ViewOperation = std::function<bool(SolutionTree *)>;
const QString folder = QStringLiteral("P.Watch List");

} // namespace

Q_DECLARE_METATYPE(ViewOperation)

// What the plug-in relies on of the workbench: the solution tree's and tool
// windows' refusals, opening and closing projects, the current project, and the
// services that follow it: undo stacks, symbols, the simulated controller.
class TestProjects : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void registryIsWeak();
    void refusedViewOperations_data();
    void refusedViewOperations();
    void toolWindowRemovalTakesOnlyItsWindows();
    void closeAnnouncesBeforeDropping();
    void symbolsFollowTheCurrentProject();
    void refusedOpen_data();
    void refusedOpen();

private:
    QString write(const QString &fileName, const QString &name, const QJsonValue &device);
    bool open(const QString &name);

    QTemporaryDir m_dir;
    std::unique_ptr<Workbench> m_workbench;
};

void TestProjects::init()
{
    QVERIFY(m_dir.isValid());
    m_workbench = std::make_unique<Workbench>();
}

void TestProjects::cleanup()
{
    m_workbench.reset();
    QVERIFY(modelNames().isEmpty());
}

// The project has a symbol <name>_Speed and a watch list <name>List.
QString TestProjects::write(const QString &fileName, const QString &name, const QJsonValue &device)
{
    const QJsonObject symbol{{QStringLiteral("name"), QString(name + QStringLiteral("_Speed"))},
                             {QStringLiteral("dataType"), QStringLiteral("INT")},
                             {QStringLiteral("address"), QStringLiteral("D0")}};
    const QJsonObject list{{QStringLiteral("name"), QString(name + QStringLiteral("List"))}};
    QJsonObject project{{QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
                        {QStringLiteral("version"), 1},
                        {QStringLiteral("name"), name},
                        {QStringLiteral("symbols"), QJsonArray{symbol}},
                        {QStringLiteral("watchLists"), QJsonArray{list}}};
    if (!device.isUndefined())
        project.insert(QStringLiteral("device"), device);
    QFile file(m_dir.filePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(QJsonDocument(project).toJson());
    return file.fileName();
}

bool TestProjects::open(const QString &name)
{
    QString error;
    if (m_workbench->openProject(
            write(name + QStringLiteral(".wlproj"), name, QStringLiteral("DEMO-FX")), &error))
        return true;
    qWarning("%s", qPrintable(error));
    return false;
}

// Plug-ins reach the application and its services through these; neither may
// hand out what is gone.
void TestProjects::registryIsWeak()
{
    QCOMPARE(Application::published(), m_workbench->application());
    // Nodes a plug-in added at the top outlive no project and crash nothing.
    QVERIFY(m_workbench->solutionTree()->addNode(QString(), nodeInfo(QStringLiteral("Tools")), 0));
    QVERIFY(m_workbench->solutionTree()->addNode(QString(), nodeInfo(QStringLiteral("Help")), 0));
    m_workbench.reset();
    QVERIFY(!qApp->property("IApplication").isValid());

    ServiceRegistry registry;
    auto gone = std::make_unique<QObject>();
    gone->setObjectName(QStringLiteral("gone"));
    registry.insert(gone.get());
    gone.reset();
    QVERIFY(!registry.value(QStringLiteral("gone")));
    QObject unnamed;
    registry.insert(&unnamed);
    registry.insert(nullptr);
    QVERIFY(registry.names().isEmpty());
}

void TestProjects::refusedViewOperations_data()
{
    QTest::addColumn<ViewOperation>("operation");
    const auto row = [](const char *tag, ViewOperation operation) {
        QTest::newRow(tag) << operation;
    };
    row("add under unknown parent", [](SolutionTree *view) {
        return view->addNode(QStringLiteral("Q"), nodeInfo(QStringLiteral("X")), 0);
    });
    row("add existing path", [](SolutionTree *view) {
        return view->addNode(folder, nodeInfo(QStringLiteral("Pump")), 0);
    });
    row("add existing path by a dotted name", [](SolutionTree *view) {
        return view->addNode(QStringLiteral("P"), nodeInfo(QStringLiteral("Watch List.Pump")), 0);
    });
    row("add empty name",
        [](SolutionTree *view) { return view->addNode(folder, nodeInfo(QString()), 0); });
    row("remove parent without recursion",
        [](SolutionTree *view) { return view->removeNode(folder, false); });
    row("remove unknown", [](SolutionTree *view) {
        return view->removeNode(folder + QStringLiteral(".Fan"), true);
    });
    row("move past the end", [](SolutionTree *view) { return view->moveNode(folder, 3, 0); });
    row("move from before the start",
        [](SolutionTree *view) { return view->moveNode(folder, 0, -1); });
}

void TestProjects::refusedViewOperations()
{
    QFETCH(ViewOperation, operation);
    SolutionTree *view = m_workbench->solutionTree();
    QVERIFY(open(QStringLiteral("P")));
    QVERIFY(view->addNode(QStringLiteral("P"), nodeInfo(QStringLiteral("Watch List")), 0));
    for (const char *name : {"Motor", "Pump", "Valve"}) {
        const QString path = folder + QLatin1Char('.') + QLatin1String(name);
        const QVariantMap data{{QStringLiteral("isWatchList"), true},
                               {QStringLiteral("FileName"), path}};
        QVERIFY(view->addNode(folder, nodeInfo(QLatin1String(name), data), 0));
    }

    QVERIFY(!operation(view));
    QCOMPARE(view->childNodes(folder).join(QLatin1Char(' ')), QStringLiteral("Motor Pump Valve"));
    QCOMPARE(view->childNodes(QString()), QStringList{QStringLiteral("P")});
}

void TestProjects::toolWindowRemovalTakesOnlyItsWindows()
{
    ToolWindowManager *manager = m_workbench->toolWindows();
    const auto add = [manager](const QString &id) -> QWidget * {
        auto widget = std::make_unique<QWidget>();
        if (!manager->addToolWindow(Qt::BottomDockWidgetArea, widget.get(), id, id, false, {}, {}))
            return nullptr;
        return widget.release();
    };
    QPointer<QWidget> pump = add(QStringLiteral("watchlist.Pump"));
    QPointer<QWidget> fan = add(QStringLiteral("watchlist.Fan"));
    QPointer<QDockWidget> pumpDock = manager->dockWidget(QStringLiteral("watchlist.Pump"));
    const QStringList before = manager->toolWindowIds();

    manager->removeToolWindow(nullptr);
    QWidget stranger;
    manager->removeToolWindow(&stranger);
    QCOMPARE(manager->toolWindowIds(), before);

    manager->removeToolWindow(pump);
    QVERIFY(!pump);
    QVERIFY(!pumpDock);
    QVERIFY(fan);
    QVERIFY(!manager->toolWindowIds().contains(QStringLiteral("watchlist.Pump")));
    QVERIFY(add(QStringLiteral("watchlist.Pump")));

    const QStringList hostIds = manager->toolWindowIds().filter(QStringLiteral("orvane."));
    QVERIFY(hostIds.contains(QStringLiteral("orvane.CompileOutPut")));
    manager->removeForeignToolWindows();
    QVERIFY(!fan);
    QCOMPARE(manager->toolWindowIds(), hostIds);
}

void TestProjects::closeAnnouncesBeforeDropping()
{
    for (const char *name : {"Alpha", "Beta", "Gamma"})
        QVERIFY(open(QLatin1String(name)));
    m_workbench->setCurrentProject(QStringLiteral("Beta"));
    Solution::View *view = m_workbench->solutionTree();
    QString cookieAtSignal;
    bool nodeAtSignal = false;
    bool modelAtSignal = false;
    QObject context;
    connect(view, &Solution::View::projectClosed, &context, [&] {
        cookieAtSignal = m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString();
        nodeAtSignal = view->childNodes(QString()).contains(cookieAtSignal);
        modelAtSignal = modelNames().contains(cookieAtSignal);
    });
    QSignalSpy current(m_workbench.get(), &Workbench::currentProjectChanged);

    // A project closed in the background is current while it is announced;
    // the project current before is current again afterwards.
    m_workbench->closeProject(QStringLiteral("Alpha"));
    QCOMPARE(cookieAtSignal, QStringLiteral("Alpha"));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Beta"));
    m_workbench->closeProject(QStringLiteral("Beta"));
    QCOMPARE(cookieAtSignal, QStringLiteral("Beta"));
    QVERIFY(nodeAtSignal);
    QVERIFY(modelAtSignal);
    QVERIFY(!SafeAccore("Beta", false));
    QCOMPARE(modelNames(), names("Gamma"));
    QCOMPARE(m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Gamma"));

    m_workbench->closeProject(QStringLiteral("Gamma"));
    QCOMPARE(cookieAtSignal, QStringLiteral("Gamma"));
    QVERIFY(!m_workbench->cookies()->contains(QStringLiteral("Project.Name")));
    QCOMPARE(current.last().at(0).toString(), QString());
}

void TestProjects::symbolsFollowTheCurrentProject()
{
    QVERIFY(open(QStringLiteral("Alpha")));
    QVERIFY(open(QStringLiteral("Beta")));
    QTreeWidget *symbols = m_workbench->undoStacks()->symbolsView();
    const auto shown = [symbols] { return symbols->topLevelItem(0)->text(0); };

    // A definition in another project makes that project current.
    QVERIFY(m_workbench->undoStacks()->gotoSymbol(QStringLiteral("Alpha_Speed"),
                                                  QStringLiteral("Alpha")));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Alpha"));
    QCOMPARE(shown(), QStringLiteral("Alpha_Speed"));
    m_workbench->setCurrentProject(QStringLiteral("Beta"));
    QCOMPARE(shown(), QStringLiteral("Beta_Speed"));

    QStringList offered;
    QString message;
    ModalDriver driver;
    driver.onNext("QMenu", [&offered](QWidget *widget) {
        auto menu = static_cast<QMenu *>(widget);
        QMenu *lists = menu->actions().value(0)->menu();
        for (QAction *action : lists->actions())
            offered.append(action->text());
        menu->setActiveAction(lists->menuAction());
        QTest::keyClick(menu, Qt::Key_Right);
        lists->setActiveAction(lists->actions().value(0));
        QTest::keyClick(lists, Qt::Key_Return);
    });
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&message));
    emit symbols->customContextMenuRequested(
        symbols->visualItemRect(symbols->topLevelItem(0)).center());
    QTRY_VERIFY(driver.allHandled());

    QCOMPARE(offered, names("BetaList"));
    // No plug-in here: nothing can take the entry, and the user is told.
    QCOMPARE(message,
             QStringLiteral("Add to Watch List|\"Beta_Speed\" was not added: "
                            "No watch-list service is loaded."));
}

void TestProjects::refusedOpen_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonValue>("device");
    QTest::addColumn<QString>("message");

    QTest::newRow("duplicate name") << "other.wlproj" << "Alpha" << QJsonValue(QStringLiteral("DEMO-FX"))
                                    << "a project named \"Alpha\" is already open.";
    QTest::newRow("unknown device")
        << "beta.wlproj" << "Beta" << QJsonValue(QStringLiteral("NO-SUCH-PLC"))
        << "its device \"NO-SUCH-PLC\" is not one this workbench knows";
    QTest::newRow("no device") << "beta.wlproj" << "Beta" << QJsonValue(QJsonValue::Undefined)
                               << "it names no device";
    QTest::newRow("empty device") << "beta.wlproj" << "Beta" << QJsonValue(QStringLiteral(""))
                                  << "it names no device";
    QTest::newRow("truncated JSON") << "broken.wlproj" << "Beta" << QJsonValue() << "broken.wlproj";
}

void TestProjects::refusedOpen()
{
    QFETCH(QString, fileName);
    QFETCH(QString, name);
    QFETCH(QJsonValue, device);
    QFETCH(QString, message);
    QVERIFY(open(QStringLiteral("Alpha")));
    const QString path = write(fileName, name, device);
    if (device.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(40));
    }
    QSignalSpy opened(m_workbench->solutionTree(), &Solution::View::projectOpened);
    QSignalSpy changed(m_workbench.get(), &Workbench::projectsChanged);

    QString error;
    QVERIFY(!m_workbench->openProject(path, &error));

    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QCOMPARE(opened.count() + changed.count(), 0);
    QCOMPARE(modelNames(), names("Alpha"));
    QCOMPARE(m_workbench->solutionTree()->childNodes(QString()), names("Alpha"));
    QVERIFY(!SafeAccore("Beta", false));
}

QTEST_MAIN(TestProjects)
#include "tst_workbench.moc"
