#include "hostfixture.h"
#include "names.h"

#include "comparatormanager.h"
#include "iapplication.h"
#include "icomparator.h"
#include "objectregistry.h"
#include "plugininterface.h"
#include "projectundostacks.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "vartreewidget.h"
#include "watchlistclient.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <QUndoGroup>
#include <QUndoStack>

#include <memory>

namespace {

const QString serviceName = QStringLiteral("orvane.watchlist");
const QString watchListType = QStringLiteral("TYPE.WATCHLIST");

// A comparator of the host's own, registered before the plug-in starts.
class HostComparator : public IComparator
{
public:
    QString typeKey() const override { return watchListType; }
    bool isSame(const ComparisonItem &, const ComparisonItem &) override { return true; }
    bool canMerge(const ComparisonItem &, const ComparisonItem &) override { return false; }
    QWidget *createDiffView(const ComparisonItem &, const ComparisonItem &, QWidget *) override
    {
        return nullptr;
    }
};

} // namespace

class tst_Services : public QObject
{
    Q_OBJECT

private slots:
    void init() { host = std::make_unique<HostFixture>(); }
    void cleanup() { host.reset(); }

    void registration_data();
    void registration();
    void addVariable_data();
    void addVariable();
    void addBurst_data();
    void addBurst();
    void comparator_data();
    void comparator();
    void toolWindowsGetTheRoom();
    void closingToolWindow_data();
    void closingToolWindow();
    void focusMakesProjectCurrent_data();
    void focusMakesProjectCurrent();

private:
    // The plug-in's own service object, whatever the registry holds.
    QObject *service() const
    {
        return plugin ? plugin->findChild<QObject *>(serviceName) : nullptr;
    }
    VarTreeWidget *windowTree(const QString &name) const;

    std::unique_ptr<HostFixture> host;
    PluginInterface *plugin = nullptr;
};

VarTreeWidget *tst_Services::windowTree(const QString &name) const
{
    QWidget *window =
        host->workbench().toolWindows()->toolWindowWidget(QStringLiteral("watchlist.") + name);
    return window ? window->findChild<VarTreeWidget *>() : nullptr;
}

// What the host holds when the plug-in starts: the service's name taken by an
// object of its own; an object of another class in the comparator manager's
// place, or a manager that refuses the plug-in's comparator for having one.
void tst_Services::registration_data()
{
    QTest::addColumn<bool>("nameTaken");
    QTest::addColumn<QString>("manager");

    QTest::newRow("name free") << false << "";
    QTest::newRow("name taken") << true << "";
    QTest::newRow("comparator manager of another class") << false << "other";
    QTest::newRow("comparator manager refuses") << false << "refusing";
}

void tst_Services::registration()
{
    QFETCH(bool, nameTaken);
    QFETCH(QString, manager);

    ObjectRegistry *registry = host->workbench().application()->objectRegistry();
    QObject earlier;
    earlier.setObjectName(serviceName);
    if (nameTaken)
        registry->insert(&earlier);
    QObject impostor;
    IComparator *hostComparator = nullptr;
    if (manager == QLatin1String("refusing")) {
        hostComparator = new HostComparator;
        QVERIFY(host->workbench().comparators()->registerComparator(hostComparator));
    } else if (!manager.isEmpty()) {
        registry->remove(QStringLiteral("COMPARATORMAN"));
        impostor.setObjectName(QStringLiteral("COMPARATORMAN"));
        registry->insert(&impostor);
    }
    plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(service());

    QCOMPARE(registry->value(serviceName), nameTaken ? &earlier : service());
    QVERIFY(service()->qt_metacast("IWatchList") && service()->qt_metacast("WatchListInstance"));
    QVERIFY(!service()->qt_metacast("IComparator"));
    IComparator *registered = host->workbench().comparators()->comparator(watchListType);
    if (manager.isEmpty())
        QVERIFY(registered && registered->typeKey() == watchListType);
    else
        QCOMPARE(registered, hostComparator);

    // The plug-in's own service still reaches the plug-in.
    QVERIFY(host->openProject(QStringLiteral("Demo"), {QStringLiteral("Pump:D0")}));
    QVERIFY(WatchListClient::addVariable(service(), QStringLiteral("Pump"), QStringLiteral("M5")));
    QVERIFY(windowTree(QStringLiteral("Pump")));
    registry->remove(serviceName);
}

// Through the host's registry, into project Demo's lists Other and Main.
void tst_Services::addVariable_data()
{
    QTest::addColumn<QString>("watchList");
    QTest::addColumn<bool>("projectOpen");
    QTest::addColumn<int>("entries");
    QTest::addColumn<bool>("windowOpen");
    QTest::addColumn<QString>("variable");
    QTest::addColumn<bool>("added");

    QTest::newRow("three entries, window open") << "Main" << true << 3 << true << "D100" << true;
    QTest::newRow("window never opened, past the first page")
        << "Main" << true << 600 << false << "Motor_Speed" << true;
    QTest::newRow("unknown watch list") << "Nowhere" << true << 1 << false << "D1" << false;
    QTest::newRow("no current project") << "Main" << false << 1 << false << "D1" << false;
}

void tst_Services::addVariable()
{
    QFETCH(QString, watchList);
    QFETCH(bool, projectOpen);
    QFETCH(int, entries);
    QFETCH(bool, windowOpen);
    QFETCH(QString, variable);
    QFETCH(bool, added);

    plugin = host->loadPlugin();
    QVERIFY(host->openProject(QStringLiteral("Demo"), names("Other,Main")));
    WatchListObject *list = HostFixture::watchList(QStringLiteral("Demo"), QStringLiteral("Main"));
    QStringList numbered;
    for (int i = 0; i < entries; ++i)
        numbered.append(QStringLiteral("D%1").arg(i));
    list->setVariables(numbered);
    if (windowOpen)
        host->workbench().solutionTree()->activate(QStringLiteral("Demo.Watch List.Main"));
    QCOMPARE(windowTree(QStringLiteral("Main")) != nullptr, windowOpen);
    if (!projectOpen)
        host->workbench().closeProject(QStringLiteral("Demo"));

    QSignalSpy announced(service(), SIGNAL(showVariable(QString, int)));
    QVERIFY(host->workbench().addToWatchList(watchList, variable));
    QCOMPARE(announced.count(), added ? 1 : 0);
    QVERIFY(!windowTree(QStringLiteral("Other")));
    if (!added) {
        QVERIFY(!windowTree(watchList));
        if (projectOpen)
            QCOMPARE(list->getCount(), entries);
        return;
    }
    QCOMPARE(announced.at(0).at(1).toInt(), entries);
    QCOMPARE(list->getCount(), entries + 1);
    QCOMPARE(list->getVariableName(entries), variable);
    VarTreeWidget *tree = windowTree(QStringLiteral("Main"));
    QVERIFY(tree);
    QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), entries);
    QCOMPARE(tree->getItemData(tree->currentItem(), 0), variable);

    // One step of the project's undo stack, which the window follows.
    QUndoStack *undo = host->workbench().undoStack(QStringLiteral("Demo"));
    QCOMPARE(undo->undoText(), QStringLiteral("Add %1 to Main").arg(variable));
    undo->undo();
    QCOMPARE(list->getCount(), entries);
    const int rows = tree->topLevelItemCount();
    QCOMPARE(tree->getItemData(tree->topLevelItem(rows - 1), 0), QString());
    QCOMPARE(tree->getItemData(tree->topLevelItem(rows - 2), 0), list->getVariableName(rows - 2));
    QVERIFY(rows - 1 <= entries);
}

// Many adds in one turn of the event loop, as an import makes them: the
// first is shown at once, and once the loop runs each list's last row is
// current, every entry in the window in order.
void tst_Services::addBurst_data()
{
    QTest::addColumn<QStringList>("targets"); // the lists added to, in turn
    QTest::addColumn<bool>("switchProject");  // before the loop runs again

    QTest::newRow("one list") << names("Main") << false;
    QTest::newRow("two lists in turn") << names("Main,Other") << false;
    QTest::newRow("another project current before the loop runs") << names("Main") << true;
}

void tst_Services::addBurst()
{
    QFETCH(QStringList, targets);
    QFETCH(bool, switchProject);
    const int burst = 250; // several pages of rows

    plugin = host->loadPlugin();
    QVERIFY(host->openProject(QStringLiteral("Elsewhere"), names("Main")));
    QVERIFY(host->openProject(QStringLiteral("Demo"), names("Other,Main")));
    for (int i = 0; i < burst; ++i) {
        for (const QString &target : targets)
            QVERIFY(host->workbench().addToWatchList(target, QStringLiteral("D%1").arg(i)));
    }
    VarTreeWidget *first = windowTree(targets.first());
    QVERIFY(first);
    QCOMPARE(first->getItemData(first->currentItem(), 0), QStringLiteral("D0"));
    if (switchProject)
        host->workbench().setCurrentProject(QStringLiteral("Elsewhere"));
    QCoreApplication::processEvents();

    for (const QString &target : targets) {
        VarTreeWidget *tree = windowTree(target);
        QVERIFY(tree);
        const int current = tree->indexOfTopLevelItem(tree->currentItem());
        // Switched away: the window of another project's list is left alone.
        QCOMPARE(current, switchProject ? 0 : burst - 1);
        QVERIFY(tree->topLevelItemCount() >= current + 2);
        for (int row = 0; row <= current; ++row)
            QCOMPARE(tree->getItemData(tree->topLevelItem(row), 0), QStringLiteral("D%1").arg(row));
    }
    const QStringList added =
        HostFixture::watchList(QStringLiteral("Demo"), targets.first())->variables();
    QCOMPARE(added.size(), burst);
    QVERIFY(HostFixture::watchList(QStringLiteral("Elsewhere"), QStringLiteral("Main"))
                ->variables()
                .isEmpty());
    QCOMPARE(host->workbench().undoStack(QStringLiteral("Demo"))->count(), burst * targets.size());
}

// Lists L of projects A (D0,M1) and B; "Gone": both projects closed.
void tst_Services::comparator_data()
{
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("firstProject");
    QTest::addColumn<QString>("typeKey");
    QTest::addColumn<bool>("same");

    const auto row = [](const char *tag,
                        const char *second,
                        const char *firstProject,
                        const QString &typeKey,
                        bool same) {
        QTest::newRow(tag) << names(second) << QString::fromLatin1(firstProject) << typeKey << same;
    };
    row("same entries", "D0,M1", "A", watchListType, true);
    row("one entry more", "D0,M1,X0", "A", watchListType, false);
    row("same count, other entry", "D0,M2", "A", watchListType, false);
    row("other node type", "D0,M1", "A", QStringLiteral("TYPE.PROGRAM"), false);
    row("empty project name", "D0,M1", "", watchListType, false);
    row("both projects without a model", "D0,M1", "Gone", watchListType, true);
}

void tst_Services::comparator()
{
    QFETCH(QStringList, second);
    QFETCH(QString, firstProject);
    QFETCH(QString, typeKey);

    QVERIFY(host->loadPlugin());
    QVERIFY(host->openProject(QStringLiteral("A"), {QStringLiteral("L")}));
    QVERIFY(host->openProject(QStringLiteral("B"), {QStringLiteral("L")}));
    HostFixture::watchList(QStringLiteral("A"), QStringLiteral("L"))->setVariables(names("D0,M1"));
    HostFixture::watchList(QStringLiteral("B"), QStringLiteral("L"))->setVariables(second);
    QString secondProject = QStringLiteral("B");
    if (firstProject == QLatin1String("Gone")) {
        secondProject = QStringLiteral("AlsoGone");
        host->workbench().closeProject(QStringLiteral("A"));
        host->workbench().closeProject(QStringLiteral("B"));
    }

    IComparator *comparator = host->workbench().comparators()->comparator(watchListType);
    QVERIFY(comparator);
    const ComparisonItem a{
        QStringLiteral("L"), firstProject, QStringLiteral("A.Watch List.L"), typeKey};
    const ComparisonItem b{
        QStringLiteral("L"), secondProject, QStringLiteral("B.Watch List.L"), watchListType};
    QTEST(comparator->isSame(a, b), "same");
    QTEST(comparator->isSame(b, a), "same");
}

// Closing a plug-in's tool window with its × removes it; the host's own
// windows only hide.
void tst_Services::closingToolWindow_data()
{
    QTest::addColumn<QString>("id"); // empty: a plug-in's window
    QTest::addColumn<bool>("floating");
    QTest::addColumn<bool>("reopened"); // shown again before the event loop runs
    QTest::addColumn<bool>("removed");

    QTest::newRow("plug-in's window") << QString() << false << false << true;
    QTest::newRow("plug-in's floating window") << QString() << true << false << true;
    QTest::newRow("plug-in's window shown again at once") << QString() << false << true << false;
    QTest::newRow("Compile Output")
        << QString::fromLatin1(ToolWindowId::CompileOutput) << false << false << false;
    QTest::newRow("Symbols") << QString::fromLatin1(ToolWindowId::Symbols) << false << false
                             << false;
    QTest::newRow("Solution") << QString::fromLatin1(ToolWindowId::Solution) << false << false
                              << false;
}

void tst_Services::closingToolWindow()
{
    QFETCH(QString, id);
    QFETCH(bool, floating);
    QFETCH(bool, reopened);
    QFETCH(bool, removed);

    ToolWindowManager *windows = host->workbench().toolWindows();
    host->workbench().mainWindow()->show();
    if (id.isEmpty()) {
        id = QStringLiteral("test.window");
        QVERIFY(windows->addToolWindow(
            Qt::BottomDockWidgetArea, new QWidget, id, QStringLiteral("Test"), floating, {}, {}));
    }
    windows->showToolWindow(id, true);
    QPointer<QWidget> widget = windows->toolWindowWidget(id);
    QVERIFY(widget);

    QVERIFY(windows->dockWidget(id)->close());
    if (reopened)
        windows->showToolWindow(id, true);
    // The removal waits for the event loop; one turn of it is all it needs.
    QTest::qWait(0);

    QCOMPARE(widget.isNull(), removed);
    QCOMPARE(windows->toolWindowWidget(id), widget.data());
    QCOMPARE(windows->toolWindowIds().contains(id), !removed);
    if (!removed)
        QCOMPARE(windows->dockWidget(id)->isHidden(), !reopened);
}

// A docked tool window of a plug-in takes the editor area's room, its
// columns fit what it opens with, and tabbed windows tell their full titles.
void tst_Services::toolWindowsGetTheRoom()
{
    ToolWindowManager *windows = host->workbench().toolWindows();
    QMainWindow *window = host->workbench().mainWindow();
    window->resize(1200, 800);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget *editorArea = window->centralWidget();

    auto tree = new QTreeWidget;
    tree->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("A rather long heading")});
    tree->addTopLevelItem(new QTreeWidgetItem(
        QStringList{QStringLiteral("a name much longer than its column"), QString()}));
    tree->setColumnWidth(0, 20);
    tree->setColumnWidth(1, 20);
    const QString title = QStringLiteral("Watch List_A title too long for its tab");
    QVERIFY(windows->addToolWindow(
        Qt::BottomDockWidgetArea, tree, QStringLiteral("test.list"), title, false, {}, {}));
    windows->placeToolWindow(QStringLiteral("test.list"),
                             QString::fromLatin1(ToolWindowId::CompileOutput));
    windows->showToolWindow(QStringLiteral("test.list"), true);
    QTRY_VERIFY(windows->dockWidget(QStringLiteral("test.list"))->height() >
                window->height() * 2 / 3);
    QVERIFY(editorArea->height() < window->height() / 6);
    QVERIFY(tree->columnWidth(0) > 100);
    QVERIFY(tree->columnWidth(1) >= tree->header()->sectionSizeHint(1));

    QStringList tips;
    for (QTabBar *tabs : window->findChildren<QTabBar *>()) {
        for (int tab = 0; tab < tabs->count(); ++tab)
            tips.append(tabs->tabToolTip(tab));
    }
    QVERIFY2(tips.contains(title), qPrintable(tips.join(QLatin1Char('|'))));

    QVERIFY(windows->dockWidget(QStringLiteral("test.list"))->close());
    QTRY_VERIFY(editorArea->height() > window->height() / 3);
}

// Keyboard focus in a watch-list window makes its project current, so that
// Edit > Undo and the window's pushed steps act on that project.
void tst_Services::focusMakesProjectCurrent_data()
{
    QTest::addColumn<QString>("window"); // the tool window's id
    QTest::addColumn<QString>("current");

    QTest::newRow("Alpha's watch list") << "watchlist.Motor"
                                        << "Alpha";
    QTest::newRow("Beta's watch list") << "watchlist.Pump"
                                       << "Beta";
    QTest::newRow("a dynamic property only") << "test.plain"
                                             << "Beta";
    QTest::newRow("the host's Compile Output")
        << QString::fromLatin1(ToolWindowId::CompileOutput) << "Beta";
}

void tst_Services::focusMakesProjectCurrent()
{
    QFETCH(QString, window);
    QFETCH(QString, current);

    plugin = host->loadPlugin();
    QVERIFY(plugin);
    Workbench &workbench = host->workbench();
    QVERIFY(host->openProject(QStringLiteral("Alpha"), names("Motor:D1")));
    QVERIFY(host->openProject(QStringLiteral("Beta"), names("Pump:D2")));
    workbench.solutionTree()->activate(QStringLiteral("Alpha.Watch List.Motor"));
    workbench.solutionTree()->activate(QStringLiteral("Beta.Watch List.Pump"));
    ToolWindowManager *windows = workbench.toolWindows();
    // A window like a watch list's but another's: "projectName" only as a dynamic property.
    auto plain = new QLineEdit;
    plain->setProperty("projectName", QStringLiteral("Alpha"));
    QVERIFY(windows->addToolWindow(Qt::BottomDockWidgetArea,
                                   plain,
                                   QStringLiteral("test.plain"),
                                   QStringLiteral("Plain"),
                                   false,
                                   {},
                                   {}));
    QMainWindow *main = workbench.mainWindow();
    main->show();
    QApplication::setActiveWindow(main);
    QVERIFY(QTest::qWaitForWindowActive(main));
    QCOMPARE(workbench.currentProject(), QStringLiteral("Beta"));

    windows->showToolWindow(window, true);
    QWidget *target = windows->toolWindowWidget(window);
    QVERIFY(target);
    QWidget *focused = target->findChild<VarTreeWidget *>();
    if (!focused)
        focused = target;
    focused->setFocusPolicy(Qt::StrongFocus);
    focused->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focused);

    QCOMPARE(workbench.currentProject(), current);
    QCOMPARE(workbench.undoStacks()->undoGroup()->activeStack(), workbench.undoStack(current));
}

QTEST_MAIN(tst_Services)
#include "tst_services.moc"
