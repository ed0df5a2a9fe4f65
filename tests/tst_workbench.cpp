#include "accore.h"
#include "application.h"
#include "cookies.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "serviceregistry.h"
#include "simulatedtransfer.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "workbench.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>

#include <cstring>
#include <functional>
#include <memory>

namespace {

QByteArray projectJson(const QString &name, const QString &device, const QJsonArray &symbols)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("format"),
                                      QStringLiteral("watchlist-workbench-project")},
                                     {QStringLiteral("version"), 1},
                                     {QStringLiteral("name"), name},
                                     {QStringLiteral("device"), device},
                                     {QStringLiteral("symbols"), symbols}})
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

QJsonObject symbol(const QString &name, const QString &type, const QString &address)
{
    return {{QStringLiteral("name"), name},
            {QStringLiteral("dataType"), type},
            {QStringLiteral("address"), address},
            {QStringLiteral("comment"), QString()},
            {QStringLiteral("references"), QJsonArray()}};
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

// The bytes of a typed device address (D0, D210.F) in the project's controller.
QByteArray readDevice(const QString &project, const char *address)
{
    SafeAccore core(project.toStdString(), false);
    ac::HeapAddress heap;
    std::vector<uint8_t> bytes;
    if (!core || !core->deviceMemory()->string2IecAddress(address, &heap, true) ||
        !core->deviceMemory()->read(heap, &bytes)) {
        return QByteArray();
    }
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
}

// Reports its deletion through a flag that may outlive the test function.
class FlaggedCommand : public QUndoCommand
{
public:
    explicit FlaggedCommand(std::shared_ptr<bool> deleted)
        : m_deleted(std::move(deleted))
    {}
    ~FlaggedCommand() override { *m_deleted = true; }

private:
    std::shared_ptr<bool> m_deleted;
};

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
    IManager *manager = workbench->application()->getManager(QStringLiteral("toolWindow"));
    QCOMPARE(qobject_cast<IToolWindowManager *>(manager), workbench->toolWindows());
    QVERIFY(!workbench->application()->getManager(QStringLiteral("editor")));
    workbench.reset();
    QVERIFY(!qApp->property("IApplication").isValid());

    ServiceRegistry registry;
    auto first = std::make_unique<QObject>();
    first->setObjectName(QStringLiteral("svc"));
    registry.insert(first.get());
    QObject second;
    second.setObjectName(QStringLiteral("svc"));
    registry.insert(&second);
    QCOMPARE(registry.value(QStringLiteral("svc")), &second);

    auto gone = std::make_unique<QObject>();
    gone->setObjectName(QStringLiteral("gone"));
    registry.insert(gone.get());
    gone.reset();
    QVERIFY(!registry.value(QStringLiteral("gone")));
    QVERIFY(!registry.contains(QStringLiteral("gone")));

    QObject unnamed;
    registry.insert(&unnamed);
    registry.insert(nullptr);
    QCOMPARE(registry.names(), QStringList{QStringLiteral("svc")});
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

    void renameSequenceKeepsPlace_data();
    void renameSequenceKeepsPlace();
    void refusedOperations_data();
    void refusedOperations();
    void pathsResolve();
    void nodeEvents_data();
    void nodeEvents();

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

void TestSolutionTree::renameSequenceKeepsPlace_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    QTest::newRow("first") << 0 << "Fan Pump Valve";
    QTest::newRow("middle") << 1 << "Motor Fan Valve";
    QTest::newRow("last") << 2 << "Motor Pump Fan";
}

void TestSolutionTree::renameSequenceKeepsPlace()
{
    QFETCH(int, index);
    QFETCH(QString, expected);
    const QString oldPath = folder + QLatin1Char('.') + m_view->childNodes(folder).at(index);
    const QString newPath = folder + QStringLiteral(".Fan");

    // The plug-in's sequence: add, ask both positions, move, remove.
    QVERIFY(m_view->addNode(
        folder, nodeInfo(QStringLiteral("Fan"), {{QStringLiteral("FileName"), newPath}}), 0));
    const int oldIndex = m_view->nodeIndex(oldPath);
    const int newIndex = m_view->nodeIndex(newPath);
    QVERIFY(m_view->moveNode(folder, oldIndex, newIndex));
    QVERIFY(m_view->removeNode(oldPath, true));

    QCOMPARE(m_view->childNodes(folder).join(QLatin1Char(' ')), expected);
    QCOMPARE(m_view->nodeData(newPath, QStringLiteral("FileName"), QVariant()), QVariant(newPath));
    QCOMPARE(m_view->nodeIndex(oldPath), -1);
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

void TestSolutionTree::pathsResolve()
{
    // A name holding "." is still one path component.
    QVERIFY(m_view->addNode(folder, nodeInfo(QStringLiteral("v1.2")), 0));
    QVERIFY(m_view->addNode(folder + QStringLiteral(".v1.2"), nodeInfo(QStringLiteral("x")), 0));
    QCOMPARE(m_view->nodeIndex(folder + QStringLiteral(".v1.2")), 3);
    QCOMPARE(m_view->childNodes(folder + QStringLiteral(".v1.2")),
             QStringList{QStringLiteral("x")});
    QCOMPARE(m_view->nodeIndex(folder + QStringLiteral(".v1")), -1);
    QCOMPARE(m_view->nodeData(folder, QStringLiteral("isWatchList"), false), QVariant(false));
    QCOMPARE(m_view->nodeData(folder + QStringLiteral(".Fan"), QStringLiteral("DisplayName"), 7),
             QVariant(7));

    QVERIFY(m_view->removeNode(QStringLiteral("P"), true));
    QCOMPARE(m_view->treeWidget()->topLevelItemCount(), 0);
    QCOMPARE(m_view->nodeIndex(folder + QStringLiteral(".Pump")), -1);
}

void TestSolutionTree::nodeEvents_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("code");
    QTest::newRow("double click") << "double click" << int(Solution::NodeActivated);
    QTest::newRow("enter") << "enter" << int(Solution::NodeActivated);
    QTest::newRow("context menu") << "context menu" << int(Solution::NodeContextMenu);
}

void TestSolutionTree::nodeEvents()
{
    QFETCH(QString, gesture);
    QFETCH(int, code);
    QTreeWidget *tree = m_view->treeWidget();
    tree->expandAll();
    tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(tree));
    QTreeWidgetItem *pump = m_view->item(folder + QStringLiteral(".Pump"));
    const QPoint center = tree->visualItemRect(pump).center();
    QSignalSpy spy(m_view.get(), &Solution::View::nodeEvent);

    if (gesture == QLatin1String("double click")) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, center);
    } else if (gesture == QLatin1String("enter")) {
        tree->setCurrentItem(pump);
        QTest::keyClick(tree, Qt::Key_Return);
    } else {
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, center, tree->viewport()->mapToGlobal(center));
        QApplication::sendEvent(tree->viewport(), &event);
    }

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), folder + QStringLiteral(".Pump"));
    QCOMPARE(int(spy.at(0).at(1).value<Solution::NodeEvent>()), code);
    QCOMPARE(tree->currentItem(), pump);
}

// Tool windows: docks keyed by id beside the compile output.
class TestToolWindows : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_workbench.reset(); }

    void removalTakesOnlyItsWindows();
    void renameRefused();

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

void TestToolWindows::renameRefused()
{
    QWidget *pump = addWindow(QStringLiteral("watchlist.Pump"));
    QWidget *valve = addWindow(QStringLiteral("watchlist.Valve"));
    const QString title = QStringLiteral("Watch List_Fan");

    QVERIFY(!m_manager->renameToolWindow(
        QStringLiteral("watchlist.Pump"), QStringLiteral("watchlist.Valve"), title));
    QVERIFY(!m_manager->renameToolWindow(
        QStringLiteral("watchlist.Gone"), QStringLiteral("watchlist.Fan"), title));

    QCOMPARE(m_manager->toolWindowWidget(QStringLiteral("watchlist.Valve")), valve);
    QDockWidget *dock = m_manager->dockWidget(QStringLiteral("watchlist.Pump"));
    QCOMPARE(dock->widget(), pump);
    QCOMPARE(dock->windowTitle(), QStringLiteral("watchlist.Pump"));
    QVERIFY(!m_manager->toolWindowWidget(QStringLiteral("watchlist.Fan")));
}

// Opening and closing projects, the current project, and the services that
// follow it: undo stacks, symbols, the simulated controller.
class TestProjects : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void openAnnouncesCurrentProject();
    void closeAnnouncesBeforeDropping();
    void refusedOpen_data();
    void refusedOpen();
    void undoStacksFollowCurrentProject();
    void gotoSymbol();
    void transferSimulatesController();

private:
    bool open(const QString &name, const QJsonArray &symbols = {});

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

bool TestProjects::open(const QString &name, const QJsonArray &symbols)
{
    const QString path = writeFile(m_dir,
                                   name + QStringLiteral(".wlproj"),
                                   projectJson(name, QStringLiteral("DEMO-FX"), symbols));
    QString error;
    if (m_workbench->openProject(path, &error))
        return true;
    qWarning("%s", qPrintable(error));
    return false;
}

void TestProjects::openAnnouncesCurrentProject()
{
    Solution::View *view = m_workbench->solutionTree();
    QString cookieAtSignal;
    QStringList nodesAtSignal;
    QSignalSpy spy(view, &Solution::View::projectOpened);
    QObject context;
    connect(view, &Solution::View::projectOpened, &context, [&] {
        cookieAtSignal = m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString();
        nodesAtSignal = view->childNodes(QString());
    });

    QVERIFY(open(QStringLiteral("Alpha")));

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Alpha"));
    const auto info = spy.at(0).at(1).value<Solution::ProjectInfo>();
    QCOMPARE(info.name, QStringLiteral("Alpha"));
    QCOMPARE(info.deviceName, QStringLiteral("DEMO-FX"));
    QCOMPARE(info.filePath, m_dir.filePath(QStringLiteral("Alpha.wlproj")));
    QVERIFY(info.isCurrent);
    QCOMPARE(int(spy.at(0).at(2).value<Solution::NodeLevel>()), int(Solution::ProjectLevel));
    QCOMPARE(cookieAtSignal, QStringLiteral("Alpha"));
    QCOMPARE(nodesAtSignal, QStringList{QStringLiteral("Alpha")});
    QVERIFY(m_workbench->undoStack(QStringLiteral("Alpha")));
    QVERIFY(SafeAccore("Alpha", false));
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
    QCOMPARE(view->childNodes(QString()), QStringList{QStringLiteral("Gamma")});
    QVERIFY(!m_workbench->undoStack(QStringLiteral("Beta")));
    QVERIFY(!SafeAccore("Beta", false));
    QCOMPARE(modelNames(), QStringList{QStringLiteral("Gamma")});
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Gamma"));
    QCOMPARE(m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Gamma"));

    m_workbench->closeProject(QStringLiteral("Gamma"));
    QCOMPARE(cookieAtSignal, QStringLiteral("Gamma"));
    QVERIFY(!m_workbench->cookies()->contains(QStringLiteral("Project.Name")));
    QCOMPARE(current.last().at(0).toString(), QString());
}

void TestProjects::refusedOpen_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QByteArray beta = projectJson(QStringLiteral("Beta"), QStringLiteral("DEMO-FX"), {});
    QTest::newRow("duplicate name")
        << "other.wlproj" << projectJson(QStringLiteral("Alpha"), QStringLiteral("DEMO-FX"), {})
        << "A project named \"Alpha\" is already open.";
    QTest::newRow("unknown device")
        << "beta.wlproj" << projectJson(QStringLiteral("Beta"), QStringLiteral("NO-SUCH-PLC"), {})
        << "NO-SUCH-PLC";
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
    QCOMPARE(opened.count() + changed.count(), 0);
    QCOMPARE(m_workbench->projectNames(), QStringList{QStringLiteral("Alpha")});
    QCOMPARE(modelNames(), QStringList{QStringLiteral("Alpha")});
    QCOMPARE(m_workbench->solutionTree()->childNodes(QString()),
             QStringList{QStringLiteral("Alpha")});
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Alpha"));
    QVERIFY(!SafeAccore("Beta", false));
}

void TestProjects::undoStacksFollowCurrentProject()
{
    ProjectUndoStacks *stacks = m_workbench->undoStacks();
    const auto pushedEarly = std::make_shared<bool>(false);
    stacks->pushCommand(new FlaggedCommand(pushedEarly));
    QVERIFY(*pushedEarly);

    QVERIFY(open(QStringLiteral("Alpha")));
    QVERIFY(open(QStringLiteral("Beta")));
    QCOMPARE(stacks->undoGroup()->activeStack(), m_workbench->undoStack(QStringLiteral("Beta")));

    SolutionTree *tree = m_workbench->solutionTree();
    QVERIFY(tree->addNode(QStringLiteral("Alpha"), nodeInfo(QStringLiteral("Watch List")), 0));
    tree->treeWidget()->setCurrentItem(tree->item(QStringLiteral("Alpha.Watch List")));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Alpha"));
    QCOMPARE(m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Alpha"));
    QCOMPARE(stacks->undoGroup()->activeStack(), m_workbench->undoStack(QStringLiteral("Alpha")));

    const auto pushed = std::make_shared<bool>(false);
    stacks->pushCommand(new FlaggedCommand(pushed));
    QCOMPARE(m_workbench->undoStack(QStringLiteral("Alpha"))->count(), 1);
    QCOMPARE(m_workbench->undoStack(QStringLiteral("Beta"))->count(), 0);
    QString error;
    QVERIFY2(m_workbench->saveProject(QStringLiteral("Alpha"), &error), qPrintable(error));
    QVERIFY(m_workbench->undoStack(QStringLiteral("Alpha"))->isClean());
    QVERIFY(!m_workbench->saveProject(QStringLiteral("Nowhere"), &error));
    QVERIFY(error.contains(QStringLiteral("Nowhere")));

    // A plug-in switching the cookie switches the project too.
    m_workbench->cookies()->setValue(QStringLiteral("Project.Name"), QStringLiteral("Beta"));
    QCOMPARE(stacks->undoGroup()->activeStack(), m_workbench->undoStack(QStringLiteral("Beta")));

    QSignalSpy steps(stacks, &Solution::ViewHelper::commandExecuted);
    ProjectModelManager::instance()->announceCommand(QStringLiteral("PROJECT_MODEL_STACK_INSERT"),
                                                     QStringLiteral("WatchListModel"),
                                                     QStringLiteral("2"),
                                                     QString());
    QCOMPARE(steps.count(), 1);
    QCOMPARE(steps.at(0).at(2).toString(), QStringLiteral("2"));

    QVERIFY(!*pushed);
    m_workbench->closeProject(QStringLiteral("Alpha"));
    QVERIFY(*pushed);
}

void TestProjects::gotoSymbol()
{
    const QString d210 = QStringLiteral("D210");
    QVERIFY(open(QStringLiteral("Beta"),
                 {::symbol(QStringLiteral("Beta_Only"), QStringLiteral("INT"), d210)}));
    QVERIFY(open(QStringLiteral("Alpha"),
                 {::symbol(QStringLiteral("Motor_Speed"), QStringLiteral("INT"), QString()),
                  ::symbol(QStringLiteral("Pump_Pressure"), QStringLiteral("REAL"), d210)}));
    QDockWidget *dock = m_workbench->toolWindows()->dockWidget(QStringLiteral("orvane.Symbols"));
    ProjectUndoStacks *stacks = m_workbench->undoStacks();

    QVERIFY(!stacks->gotoSymbol(QStringLiteral("Beta_Only"), QStringLiteral("Alpha")));
    QVERIFY(dock->isHidden());
    QVERIFY(stacks->gotoSymbol(QStringLiteral("Pump_Pressure"), QStringLiteral("Alpha")));
    QVERIFY(!dock->isHidden());
    QCOMPARE(stacks->symbolsView()->currentItem()->text(0), QStringLiteral("Pump_Pressure"));
    QCOMPARE(stacks->symbolsView()->currentItem()->text(2), d210);
}

void TestProjects::transferSimulatesController()
{
    QVERIFY(open(
        QStringLiteral("Alpha"),
        {::symbol(QStringLiteral("Pressure"), QStringLiteral("REAL"), QStringLiteral("D210"))}));
    const QByteArray counterAtStart = readDevice(QStringLiteral("Alpha"), "D0");
    const QByteArray realAtStart = readDevice(QStringLiteral("Alpha"), "D210.F");
    SimulatedTransfer *transfer = m_workbench->transfer();
    QSignalSpy state(transfer, &Transfer::onlineState);
    QSignalSpy cycles(transfer, &SimulatedTransfer::memoryChanged);
    transfer->setInterval(10);

    QVERIFY(transfer->setOnline(true));
    QVERIFY(transfer->setOnline(true));
    QVERIFY(cycles.wait());
    QVERIFY(readDevice(QStringLiteral("Alpha"), "D0") != counterAtStart);
    QVERIFY(readDevice(QStringLiteral("Alpha"), "D210.F") != realAtStart);

    QVERIFY(transfer->setOnline(false));
    QCOMPARE(state.count(), 2);
    QCOMPARE(state.at(0).at(0).toBool(), true);
    QCOMPARE(state.at(1).at(0).toBool(), false);
    const QByteArray stopped = readDevice(QStringLiteral("Alpha"), "D0");
    QVERIFY(!cycles.wait(100));
    QCOMPARE(readDevice(QStringLiteral("Alpha"), "D0"), stopped);
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
