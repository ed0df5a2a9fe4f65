#include "accore.h"
#include "application.h"
#include "cookies.h"
#include "names.h"
#include "projectmodelmanager.h"
#include "serviceregistry.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "workbench.h"

#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

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

const QString folder = QStringLiteral("P.Watch List");

} // namespace

// What the plug-in relies on of the workbench: the solution tree's and tool
// windows' refusals, opening and closing projects, and the current project.
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

// A project file naming the device, or none where it is undefined.
QString TestProjects::write(const QString &fileName, const QString &name, const QJsonValue &device)
{
    QJsonObject project{{QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
                        {QStringLiteral("version"), 1},
                        {QStringLiteral("name"), name}};
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
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("first"); // remove: recursive; move: from
    QTest::addColumn<int>("second");

    // clang-format off
    QTest::newRow("add under unknown parent") << "add" << "Q" << "X" << 0 << 0;
    QTest::newRow("add existing path") << "add" << folder << "Pump" << 0 << 0;
    QTest::newRow("add existing path by a dotted name") << "add" << "P" << "Watch List.Pump" << 0 << 0;
    QTest::newRow("add empty name") << "add" << folder << "" << 0 << 0;
    QTest::newRow("remove parent without recursion") << "remove" << folder << "" << 0 << 0;
    QTest::newRow("remove unknown") << "remove" << folder + QStringLiteral(".Fan") << "" << 1 << 0;
    QTest::newRow("move past the end") << "move" << folder << "" << 3 << 0;
    QTest::newRow("move from before the start") << "move" << folder << "" << 0 << -1;
    // clang-format on
}

void TestProjects::refusedViewOperations()
{
    QFETCH(QString, operation);
    QFETCH(QString, path);
    QFETCH(QString, name);
    QFETCH(int, first);
    QFETCH(int, second);
    SolutionTree *view = m_workbench->solutionTree();
    QVERIFY(open(QStringLiteral("P")));
    QVERIFY(view->addNode(QStringLiteral("P"), nodeInfo(QStringLiteral("Watch List")), 0));
    for (const char *name : {"Motor", "Pump", "Valve"}) {
        const QString path = folder + QLatin1Char('.') + QLatin1String(name);
        const QVariantMap data{{QStringLiteral("isWatchList"), true},
                               {QStringLiteral("FileName"), path}};
        QVERIFY(view->addNode(folder, nodeInfo(QLatin1String(name), data), 0));
    }

    if (operation == QLatin1String("add"))
        QVERIFY(!view->addNode(path, nodeInfo(name), 0));
    else if (operation == QLatin1String("remove"))
        QVERIFY(!view->removeNode(path, first));
    else
        QVERIFY(!view->moveNode(path, first, second));
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
    // At each announcement: the current project, "+" if its node and model are still there.
    QStringList atSignal;
    QObject context;
    connect(view, &Solution::View::projectClosed, &context, [&] {
        const QString name =
            m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString();
        const bool there =
            view->childNodes(QString()).contains(name) && modelNames().contains(name);
        atSignal.append(name + QLatin1String(there ? "+" : "-"));
    });
    QSignalSpy current(m_workbench.get(), &Workbench::currentProjectChanged);

    // A project closed in the background is current while it is announced;
    // the project current before is current again afterwards.
    m_workbench->closeProject(QStringLiteral("Alpha"));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Beta"));
    m_workbench->closeProject(QStringLiteral("Beta"));
    QVERIFY(!SafeAccore("Beta", false));
    QCOMPARE(modelNames(), names("Gamma"));
    QCOMPARE(m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Gamma"));

    m_workbench->closeProject(QStringLiteral("Gamma"));
    QCOMPARE(atSignal, names("Alpha+,Beta+,Gamma+"));
    QVERIFY(!m_workbench->cookies()->contains(QStringLiteral("Project.Name")));
    QCOMPARE(current.last().at(0).toString(), QString());
}

void TestProjects::refusedOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QJsonValue>("device"); // null: the file is cut short
    QTest::addColumn<QString>("message");

    const QJsonValue fx(QStringLiteral("DEMO-FX"));
    const QJsonValue unknown(QStringLiteral("NO-SUCH-PLC"));
    // clang-format off
    QTest::newRow("duplicate name") << "Alpha" << fx << "a project named \"Alpha\" is already open.";
    QTest::newRow("unknown device")
        << "Beta" << unknown << "its device \"NO-SUCH-PLC\" is not one this workbench knows";
    QTest::newRow("no device") << "Beta" << QJsonValue(QJsonValue::Undefined) << "it names no device";
    QTest::newRow("empty device") << "Beta" << QJsonValue(QString()) << "it names no device";
    QTest::newRow("truncated JSON") << "Beta" << QJsonValue() << "not valid JSON";
    // clang-format on
}

void TestProjects::refusedOpen()
{
    QFETCH(QString, name);
    QFETCH(QJsonValue, device);
    QFETCH(QString, message);
    QVERIFY(open(QStringLiteral("Alpha")));
    const QString path = write(QStringLiteral("other.wlproj"), name, device);
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
