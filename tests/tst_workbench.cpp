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
#include <QLibraryInfo>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <cstring>
#include <functional>
#include <memory>

namespace {

QByteArray projectJson(const QString &name,
                       const QString &device,
                       const QJsonArray &symbols,
                       const QJsonArray &watchLists = {})
{
    return QJsonDocument(QJsonObject{{QStringLiteral("format"),
                                      QStringLiteral("watchlist-workbench-project")},
                                     {QStringLiteral("version"), 1},
                                     {QStringLiteral("name"), name},
                                     {QStringLiteral("device"), device},
                                     {QStringLiteral("symbols"), symbols},
                                     {QStringLiteral("watchLists"), watchLists}})
        .toJson();
}

QString writeFile(const QTemporaryDir &dir, const QString &fileName, const QByteArray &content)
{
    QFile file(dir.filePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(content);
    return file.fileName();
}

NodeInfo nodeInfo(const QString &name, const QVariantMap &data = {})
{
    NodeInfo info;
    info.name = name;
    info.text = name;
    info.data = data;
    return info;
}

QStringList modelNames()
{
    QStringList names;
    for (const std::string &name : ProjectModelManager::instance()->projectNames())
        names.append(QString::fromStdString(name));
    return names;
}

using ViewOperation = std::function<bool(SolutionTree *)>;

} // namespace

Q_DECLARE_METATYPE(ViewOperation)

// The application object, its registry and the plug-ins it loads.
class TestServices : public QObject
{
    Q_OBJECT
private slots:
    void registryIsWeak();
    void foreignPluginsRefused();
};

void TestServices::registryIsWeak()
{
    auto workbench = std::make_unique<Workbench>();
    QCOMPARE(Application::published(), workbench->application());
    workbench.reset();
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

void TestServices::foreignPluginsRefused()
{
    QTemporaryDir dir;
    const QString plugins = QLibraryInfo::location(QLibraryInfo::PluginsPath);
    const QString textFile = writeFile(dir, QStringLiteral("notes.so"), "not a library\n");
    Workbench workbench;
    QString error;
    QVERIFY(!workbench.loadPlugin(textFile, &error));
    QVERIFY2(error.contains(QStringLiteral("notes.so")), qPrintable(error));
    QVERIFY(!workbench.loadPlugin(plugins + QStringLiteral("/platforms/libqoffscreen.so"), &error));
    QVERIFY2(error.contains(QStringLiteral("is not a watch-list host plug-in")), qPrintable(error));
}

// The solution tree as Solution::View: paths, nodes and node events.
class TestSolutionTree : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_view.reset(); }

    void refusedOperations_data();
    void refusedOperations();

private:
    std::unique_ptr<SolutionTree> m_view;
};

const QString folder = QStringLiteral("P.Watch List");

void TestSolutionTree::init()
{
    m_view = std::make_unique<SolutionTree>(nullptr);
    QVERIFY(m_view->addNode(QString(), nodeInfo(QStringLiteral("P")), 0));
    QVERIFY(m_view->addNode(QStringLiteral("P"), nodeInfo(QStringLiteral("Watch List")), 0));
    for (const char *name : {"Motor", "Pump", "Valve"}) {
        const QString path = folder + QLatin1Char('.') + QLatin1String(name);
        const QVariantMap data{{QStringLiteral("isWatchList"), true},
                               {QStringLiteral("FileName"), path}};
        QVERIFY(m_view->addNode(folder, nodeInfo(QLatin1String(name), data), 0));
    }
}

void TestSolutionTree::refusedOperations_data()
{
    QTest::addColumn<ViewOperation>("operation");
    QTest::newRow("add under unknown parent") << ViewOperation([](SolutionTree *view) {
        return view->addNode(QStringLiteral("Q"), nodeInfo(QStringLiteral("X")), 0);
    });
    QTest::newRow("add existing path") << ViewOperation([](SolutionTree *view) {
        return view->addNode(folder, nodeInfo(QStringLiteral("Pump")), 0);
    });
    QTest::newRow("add existing path by a dotted name") << ViewOperation([](SolutionTree *view) {
        return view->addNode(QStringLiteral("P"), nodeInfo(QStringLiteral("Watch List.Pump")), 0);
    });
    QTest::newRow("add empty name") << ViewOperation(
        [](SolutionTree *view) { return view->addNode(folder, nodeInfo(QString()), 0); });
    QTest::newRow("remove parent without recursion")
        << ViewOperation([](SolutionTree *view) { return view->removeNode(folder, false); });
    QTest::newRow("remove unknown") << ViewOperation(
        [](SolutionTree *view) { return view->removeNode(folder + QStringLiteral(".Fan"), true); });
    QTest::newRow("move past the end")
        << ViewOperation([](SolutionTree *view) { return view->moveNode(folder, 3, 0); });
    QTest::newRow("move from before the start")
        << ViewOperation([](SolutionTree *view) { return view->moveNode(folder, 0, -1); });
}

void TestSolutionTree::refusedOperations()
{
    QFETCH(ViewOperation, operation);
    QVERIFY(!operation(m_view.get()));
    QCOMPARE(m_view->childNodes(folder).join(QLatin1Char(' ')), QStringLiteral("Motor Pump Valve"));
    QCOMPARE(m_view->childNodes(QString()), QStringList{QStringLiteral("P")});
}

// Tool windows: docks keyed by id beside the compile output.
class TestToolWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_workbench.reset(); }

    void removalTakesOnlyItsWindows();

private:
    QWidget *addWindow(const QString &id);

    std::unique_ptr<Workbench> m_workbench;
    ToolWindowManager *m_manager = nullptr;
};

void TestToolWindows::init()
{
    m_workbench = std::make_unique<Workbench>();
    m_manager = m_workbench->toolWindows();
}

QWidget *TestToolWindows::addWindow(const QString &id)
{
    auto widget = std::make_unique<QWidget>();
    if (!m_manager->addToolWindow(Qt::BottomDockWidgetArea, widget.get(), id, id, false, {}, {}))
        return nullptr;
    return widget.release();
}

void TestToolWindows::removalTakesOnlyItsWindows()
{
    QPointer<QWidget> pump = addWindow(QStringLiteral("watchlist.Pump"));
    QPointer<QWidget> fan = addWindow(QStringLiteral("watchlist.Fan"));
    QPointer<QDockWidget> pumpDock = m_manager->dockWidget(QStringLiteral("watchlist.Pump"));
    const QStringList before = m_manager->toolWindowIds();

    m_manager->removeToolWindow(nullptr);
    QWidget stranger;
    m_manager->removeToolWindow(&stranger);
    QCOMPARE(m_manager->toolWindowIds(), before);

    m_manager->removeToolWindow(pump);
    QVERIFY(!pump);
    QVERIFY(!pumpDock);
    QVERIFY(fan);
    QVERIFY(!m_manager->toolWindowIds().contains(QStringLiteral("watchlist.Pump")));
    QVERIFY(addWindow(QStringLiteral("watchlist.Pump")));

    const QStringList hostIds = m_manager->toolWindowIds().filter(QStringLiteral("orvane."));
    QVERIFY(hostIds.contains(QStringLiteral("orvane.CompileOutPut")));
    m_manager->removeForeignToolWindows();
    QVERIFY(!fan);
    QCOMPARE(m_manager->toolWindowIds(), hostIds);
}

// Opening and closing projects, the current project, and the services that
// follow it: undo stacks, symbols, the simulated controller.
class TestProjects : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void closeAnnouncesBeforeDropping();
    void symbolsFollowTheCurrentProject();
    void refusedOpen_data();
    void refusedOpen();

private:
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

// Each project has a symbol <name>_Speed and a watch list <name>List.
bool TestProjects::open(const QString &name)
{
    const QJsonObject symbol{{QStringLiteral("name"), QString(name + QStringLiteral("_Speed"))},
                             {QStringLiteral("dataType"), QStringLiteral("INT")},
                             {QStringLiteral("address"), QStringLiteral("D0")},
                             {QStringLiteral("comment"), QString()},
                             {QStringLiteral("references"), QJsonArray()}};
    const QJsonObject list{{QStringLiteral("name"), QString(name + QStringLiteral("List"))},
                           {QStringLiteral("properties"), QString()},
                           {QStringLiteral("entries"), QJsonArray()}};
    const QString path = writeFile(
        m_dir,
        name + QStringLiteral(".wlproj"),
        projectJson(name, QStringLiteral("DEMO-FX"), {symbol}, {list}));
    QString error;
    if (m_workbench->openProject(path, &error))
        return true;
    qWarning("%s", qPrintable(error));
    return false;
}

void TestProjects::closeAnnouncesBeforeDropping()
{
    for (const char *name : {"Alpha", "Beta", "Gamma"})
        QVERIFY(open(QLatin1String(name)));
    m_workbench->setCurrentProject(QStringLiteral("Beta"));
    m_workbench->closeProject(QStringLiteral("Alpha"));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Beta"));

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

    // The project made current before Beta becomes current again.
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
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QByteArray beta = projectJson(QStringLiteral("Beta"), QStringLiteral("DEMO-FX"), {});
    QTest::newRow("duplicate name")
        << "other.wlproj" << projectJson(QStringLiteral("Alpha"), QStringLiteral("DEMO-FX"), {})
        << "a project named \"Alpha\" is already open.";
    QTest::newRow("unknown device")
        << "beta.wlproj" << projectJson(QStringLiteral("Beta"), QStringLiteral("NO-SUCH-PLC"), {})
        << "its device \"NO-SUCH-PLC\" is not one this workbench knows";
    QTest::newRow("no device") << "beta.wlproj" << projectJson(QStringLiteral("Beta"), {}, {})
                               << "it names no device";
    QTest::newRow("truncated JSON") << "broken.wlproj" << beta.left(40) << "broken.wlproj";
}

void TestProjects::refusedOpen()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QVERIFY(open(QStringLiteral("Alpha")));
    const QString path = writeFile(m_dir, fileName, content);
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

// Runs every suite, or only the one named by the first argument, which then
// takes the remaining arguments (test functions, options).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestServices services;
    TestSolutionTree tree;
    TestToolWindows toolWindows;
    TestProjects projects;
    const QList<QObject *> suites{&services, &tree, &toolWindows, &projects};

    for (QObject *suite : suites) {
        if (argc > 1 && std::strcmp(argv[1], suite->metaObject()->className()) == 0) {
            argv[1] = argv[0];
            return QTest::qExec(suite, argc - 1, argv + 1);
        }
    }
    int status = 0;
    for (QObject *suite : suites)
        status |= QTest::qExec(suite, argc, argv);
    return status;
}

#include "tst_workbench.moc"
