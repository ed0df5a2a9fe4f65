#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "abstractprojectmodel.h"
#include "itoolwindowmanager.h"
#include "plugininterface.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "safeprojectmodel.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "vartreewidget.h"
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QRandomGenerator>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <memory>

namespace {

const QString folder = QStringLiteral("Demo.Watch List");

// What a user sees of the watch lists: the folder's children, the open
// watch-list windows, and what the project holds.
struct State
{
    QStringList nodes;
    QStringList windows;
    QStringList lists;

    bool operator==(const State &other) const
    {
        return nodes == other.nodes && windows == other.windows && lists == other.lists;
    }
};

QString describe(const State &state)
{
    return QStringLiteral("nodes [%1] windows [%2] lists [%3]")
        .arg(state.nodes.join(QLatin1Char(',')),
             state.windows.join(QLatin1Char(',')),
             state.lists.join(QLatin1Char(',')));
}

char *toString(const State &state)
{
    return qstrdup(qPrintable(describe(state)));
}

// Nodes that come back through undo are appended, wherever they stood.
State unordered(State state)
{
    state.nodes.sort();
    return state;
}

const auto choose = ModalDriver::choose;
const auto click = ModalDriver::click;
const auto enterName = ModalDriver::enterName;

} // namespace

class tst_PluginCore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typicalRoad();
    void renameKeepsPlaceAndWindow();
    void removeAnsweredNo();
    void undoRedoRestores_data();
    void undoRedoRestores();
    void nodeEvents_data();
    void nodeEvents();
    void undoSteps_data();
    void undoSteps();
    void projectClosedWhileAsking_data();
    void projectClosedWhileAsking();
    void savedListsSurviveReopen();
    void renameOntoAnotherProjectsWindow_data();
    void renameOntoAnotherProjectsWindow();
    void backgroundSubProjectKeepsFolder();
    void shutdownLeavesHostSignalsAlone();
    void randomWalk_data();
    void randomWalk();

private:
    State state() const;
    WatchListModel *model(const QString &project = QStringLiteral("Demo")) const
    {
        return HostFixture::watchLists(project);
    }
    QUndoStack *undoStack() const { return host->workbench().undoStack(QStringLiteral("Demo")); }
    Solution::View *view() const { return host->workbench().solutionTree(); }
    QWidget *window(const QString &name) const;
    void rightClick(const QString &path);
    void doubleClick(const QString &path);
    // Names the node the next action works on, without a menu.
    void select(const QString &name);
    void invoke(const char *slot);
    // Empty when every watch-list window shows, under its list's id and
    // title, the entries of a list of its own open project; else what is wrong.
    QString windowFault() const;

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<ModalDriver> driver;
    PluginInterface *plugin = nullptr;
};

void tst_PluginCore::init()
{
    host = std::make_unique<HostFixture>();
    driver = std::make_unique<ModalDriver>();
    plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(host->openProject(QStringLiteral("Demo"),
                              {QStringLiteral("Motor:D0,D1"),
                               QStringLiteral("Pump:M0,X10,D100"),
                               QStringLiteral("Valve")}));
    host->workbench().mainWindow()->show();
    QVERIFY(QTest::qWaitForWindowExposed(host->workbench().mainWindow()));
    host->workbench().solutionTree()->treeWidget()->expandAll();
}

void tst_PluginCore::cleanup()
{
    QVERIFY2(driver->allHandled(), "a queued dialog step never ran");
    QVERIFY2(driver->unexpected().isEmpty(), driver->unexpected().constData());
    driver.reset();
    host.reset();
}

State tst_PluginCore::state() const
{
    State state;
    state.nodes = view()->childNodes(folder);
    auto windows = static_cast<IToolWindowManager *>(host->workbench().toolWindows());
    for (const QString &id : windows->toolWindowIds()) {
        if (id.startsWith(QLatin1String("watchlist.")))
            state.windows.append(id);
    }
    state.windows.sort();
    if (WatchListModel *lists = model())
        state.lists = lists->getWatchListNames();
    return state;
}

QWidget *tst_PluginCore::window(const QString &name) const
{
    auto windows = static_cast<IToolWindowManager *>(host->workbench().toolWindows());
    return windows->toolWindowWidget(QStringLiteral("watchlist.") + name);
}

void tst_PluginCore::rightClick(const QString &path)
{
    QTreeWidget *tree = host->workbench().solutionTree()->treeWidget();
    const QPoint center =
        tree->visualItemRect(host->workbench().solutionTree()->item(path)).center();
    QContextMenuEvent event(
        QContextMenuEvent::Mouse, center, tree->viewport()->mapToGlobal(center));
    QApplication::sendEvent(tree->viewport(), &event);
}

void tst_PluginCore::doubleClick(const QString &path)
{
    QTreeWidget *tree = host->workbench().solutionTree()->treeWidget();
    const QPoint center =
        tree->visualItemRect(host->workbench().solutionTree()->item(path)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, center);
}

void tst_PluginCore::select(const QString &name)
{
    const QString project = host->workbench().currentProject();
    emit view()->nodeEvent(
        project + QStringLiteral(".Watch List.") + name, Solution::NodeSelected, QVariant());
}

QString tst_PluginCore::windowFault() const
{
    ToolWindowManager *windows = host->workbench().toolWindows();
    const QStringList ids = windows->toolWindowIds();
    for (const QString &id : ids) {
        if (!id.startsWith(QLatin1String("watchlist.")))
            continue;
        QWidget *widget = windows->toolWindowWidget(id);
        const QString name = widget->property("watchListName").toString();
        const QString project = widget->property("projectName").toString();
        const QString title = windows->dockWidget(id)->windowTitle();
        WatchListObject *list = HostFixture::watchList(project, name);
        if (id != QStringLiteral("watchlist.") + name || title != QStringLiteral("Watch List_") + name)
            return QStringLiteral("%1 (%2) shows %3 of %4").arg(id, title, name, project);
        if (!list)
            return QStringLiteral("%1 shows %2, missing in %3").arg(id, name, project);
        auto tree = widget->findChild<VarTreeWidget *>();
        if (tree->projectName() != project)
            return QStringLiteral("%1 of %2 reads the values of %3").arg(id, project, tree->projectName());
        QStringList rows;
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            rows.append(tree->getItemData(tree->topLevelItem(row), 0));
        const QStringList entries = list->variables();
        if (rows.size() > entries.size() + 1 || rows != entries.mid(0, rows.size() - 1) + QStringList{QString()})
            return QStringLiteral("%1 of %2 shows [%3], the list holds [%4]")
                .arg(id, project, rows.join(QLatin1Char(',')), entries.join(QLatin1Char(',')));
    }
    return QString();
}

void tst_PluginCore::invoke(const char *slot)
{
    QVERIFY(QMetaObject::invokeMethod(plugin, slot));
}

void tst_PluginCore::typicalRoad()
{
    const int steps = undoStack()->count();
    driver->onNext("QMenu", choose(QStringLiteral("Add Watch List")));
    driver->onNext("NewWatchListDlg", enterName(QStringLiteral("Conveyor")));
    rightClick(folder);
    QVERIFY(driver->allHandled());

    QCOMPARE(state().nodes, names("Motor,Pump,Valve,Conveyor"));
    QCOMPARE(undoStack()->count(), steps + 1);
    auto widget = window(QStringLiteral("Conveyor"));
    QVERIFY(widget);
    QTRY_VERIFY(widget->isVisible());
    QCOMPARE(host->workbench()
                 .toolWindows()
                 ->dockWidget(QStringLiteral("watchlist.Conveyor"))
                 ->windowTitle(),
             QStringLiteral("Watch List_Conveyor"));

    // The new window shows one empty row; typing into it stores an entry.
    auto tree = widget->findChild<VarTreeWidget *>();
    QCOMPARE(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    QTest::keyClick(tree, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = tree->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    QTest::keyClicks(editor, QStringLiteral("D100"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!editor);
    QCOMPARE(model()->getObject(QStringLiteral("Conveyor"))->variables(), names("D100"));

    // Opening it again shows the same window.
    doubleClick(folder + QStringLiteral(".Conveyor"));
    QCOMPARE(window(QStringLiteral("Conveyor")), widget);
}

void tst_PluginCore::renameKeepsPlaceAndWindow()
{
    doubleClick(folder + QStringLiteral(".Pump"));
    QWidget *pump = window(QStringLiteral("Pump"));
    QVERIFY(pump);

    driver->onNext("QMenu", choose(QStringLiteral("Rename Watch List")));
    driver->onNext("RenameWatchListDlg", enterName(QStringLiteral("Fan")));
    rightClick(folder + QStringLiteral(".Pump"));

    const State after = state();
    QCOMPARE(after.nodes, names("Motor,Fan,Valve"));
    QCOMPARE(after.windows, QStringList{QStringLiteral("watchlist.Fan")});
    QCOMPARE(window(QStringLiteral("Fan")), pump);
    QCOMPARE(
        host->workbench().toolWindows()->dockWidget(QStringLiteral("watchlist.Fan"))->windowTitle(),
        QStringLiteral("Watch List_Fan"));
    // The window reads the renamed list.
    auto tree = pump->findChild<VarTreeWidget *>();
    QCOMPARE(tree->getItemData(tree->topLevelItem(2), 0), QStringLiteral("D100"));
}

void tst_PluginCore::removeAnsweredNo()
{
    doubleClick(folder + QStringLiteral(".Valve"));
    const State before = state();
    const int steps = undoStack()->count();
    driver->onNext("QMenu", choose(QStringLiteral("Remove Watch List")));
    driver->onNext("QMessageBox", click(QStringLiteral("No")));
    rightClick(folder + QStringLiteral(".Valve"));
    QCOMPARE(state(), before);
    QCOMPARE(undoStack()->count(), steps);
}

void tst_PluginCore::undoRedoRestores_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("add") << QStringLiteral("add");
    QTest::newRow("rename") << QStringLiteral("rename");
    QTest::newRow("remove") << QStringLiteral("remove");
}

void tst_PluginCore::undoRedoRestores()
{
    QFETCH(QString, command);
    doubleClick(folder + QStringLiteral(".Pump"));
    const State before = state();
    const QStringList pumpEntries = model()->getObject(QStringLiteral("Pump"))->variables();

    if (command == QLatin1String("add")) {
        driver->onNext("NewWatchListDlg", enterName(QStringLiteral("Extra")));
        invoke("onActionInsert");
    } else if (command == QLatin1String("rename")) {
        select(QStringLiteral("Pump"));
        driver->onNext("RenameWatchListDlg", enterName(QStringLiteral("Fan")));
        invoke("onActionRename");
    } else {
        select(QStringLiteral("Pump"));
        driver->onNext("QMessageBox", click(QStringLiteral("Yes")));
        invoke("onActionRemove");
    }
    const State after = unordered(state());
    QVERIFY(!(after == unordered(before)));

    undoStack()->undo();
    State undone = unordered(state());
    // An undone add or remove does not reopen or keep a window: only the
    // windows of lists that exist remain.
    if (command == QLatin1String("remove"))
        undone.windows.append(QStringLiteral("watchlist.Pump"));
    undone.windows.sort();
    QCOMPARE(undone, unordered(before));
    if (command != QLatin1String("add"))
        QCOMPARE(model()->getObject(QStringLiteral("Pump"))->variables(), pumpEntries);

    // Redo brings the node back, not the window that the action opened.
    State redone = after;
    if (command == QLatin1String("add"))
        redone.windows.removeOne(QStringLiteral("watchlist.Extra"));
    undoStack()->redo();
    QCOMPARE(unordered(state()), redone);
    undoStack()->undo();
    undoStack()->redo();
    QCOMPARE(unordered(state()), redone);
}

void tst_PluginCore::nodeEvents_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("event");
    QTest::addColumn<QStringList>("menu");
    QTest::addColumn<QStringList>("windows");

    const QStringList none;
    QTest::newRow("menu on the folder")
        << folder << 2 << QStringList{QStringLiteral("Add Watch List")} << none;
    QTest::newRow("menu on a watch list")
        << folder + QStringLiteral(".Pump") << 2
        << names("Edit Watch List,Rename Watch List,Remove Watch List") << none;
    QTest::newRow("open a watch list") << folder + QStringLiteral(".Pump") << 1 << none
                                       << QStringList{QStringLiteral("watchlist.Pump")};
    QTest::newRow("menu on the project") << QStringLiteral("Demo") << 2 << none << none;
    QTest::newRow("unknown node") << QStringLiteral("Demo.Programs.MAIN") << 2 << none << none;
    QTest::newRow("selection") << folder + QStringLiteral(".Pump") << 3 << none << none;
}

void tst_PluginCore::nodeEvents()
{
    QFETCH(QString, path);
    QFETCH(int, event);
    QFETCH(QStringList, menu);
    QFETCH(QStringList, windows);

    QStringList shown;
    if (!menu.isEmpty()) {
        driver->onNext("QMenu", [&shown](QWidget *widget) {
            for (const QAction *action : widget->actions())
                shown.append(action->text());
            static_cast<QMenu *>(widget)->close();
        });
    }
    emit view()->nodeEvent(path, Solution::NodeEvent(event), QVariant());
    QCOMPARE(shown, menu);
    QCOMPARE(state().windows, windows);
}

void tst_PluginCore::undoSteps_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("subModel");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("param");
    QTest::addColumn<QStringList>("nodes");

    const QString insert = QStringLiteral("PROJECT_MODEL_STACK_INSERT");
    const QString remove = QStringLiteral("PROJECT_MODEL_STACK_REMOVE");
    const QString rename = QStringLiteral("PROJECT_MODEL_STACK_RENAME");
    const QString watchLists = QStringLiteral("WatchListModel");
    const QStringList unchanged = names("Motor,Pump,Valve");

    // The model holds a fourth list, Extra, that has no node yet.
    QTest::newRow("insert adds the node of that index")
        << insert << watchLists << QStringLiteral("3") << QString()
        << names("Motor,Pump,Valve,Extra");
    QTest::newRow("insert, index out of range")
        << insert << watchLists << QStringLiteral("4") << QString() << unchanged;
    QTest::newRow("insert, not a number reads index 0, whose node exists")
        << insert << watchLists << QStringLiteral("x") << QString() << unchanged;
    QTest::newRow("insert for another sub-model") << insert << QStringLiteral("SoftComponentModel")
                                                  << QStringLiteral("3") << QString() << unchanged;
    QTest::newRow("remove") << remove << watchLists << QString()
                            << QStringLiteral("{\"NAME\":\"Pump\"}") << names("Motor,Valve");
    QTest::newRow("remove, not JSON")
        << remove << watchLists << QString() << QStringLiteral("NAME=Pump") << unchanged;
    QTest::newRow("remove, truncated JSON")
        << remove << watchLists << QString() << QStringLiteral("{\"NAME\":\"Pump\"") << unchanged;
    QTest::newRow("rename") << rename << watchLists << QString()
                            << QStringLiteral("Pump[*PROJECT_MODEL_STACK*]Fan")
                            << names("Motor,Fan,Valve");
    QTest::newRow("rename, no separator")
        << rename << watchLists << QString() << QStringLiteral("Pump Fan") << unchanged;
    QTest::newRow("rename, empty new name")
        << rename << watchLists << QString() << QStringLiteral("Pump[*PROJECT_MODEL_STACK*]")
        << unchanged;
    QTest::newRow("rename, empty old name")
        << rename << watchLists << QString() << QStringLiteral("[*PROJECT_MODEL_STACK*]Pump")
        << unchanged;
    QTest::newRow("rename, same name")
        << rename << watchLists << QString() << QStringLiteral("Pump[*PROJECT_MODEL_STACK*]Pump")
        << unchanged;
    QTest::newRow("rename, two separators")
        << rename << watchLists << QString()
        << QStringLiteral("Pump[*PROJECT_MODEL_STACK*]Fan[*PROJECT_MODEL_STACK*]Gas") << unchanged;
    QTest::newRow("unknown type") << QStringLiteral("PROJECT_MODEL_STACK_MOVE") << watchLists
                                  << QStringLiteral("1") << QString() << unchanged;
}

void tst_PluginCore::undoSteps()
{
    QFETCH(QString, type);
    QFETCH(QString, subModel);
    QFETCH(QString, path);
    QFETCH(QString, param);
    QFETCH(QStringList, nodes);

    QVERIFY(model()->appendWatchList(QStringLiteral("Extra")));
    Solution::ViewHelper *helper = host->workbench().undoStacks();
    emit helper->commandExecuted(type, subModel, path, param);
    QCOMPARE(view()->childNodes(folder), nodes);
}

// The host may close the project while a question or a name dialog waits
// for the user; the answer must then touch nothing, in no project.
void tst_PluginCore::projectClosedWhileAsking_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QByteArray>("dialog");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");

    for (bool closes : {true, false}) {
        const char *how = closes ? "closed" : "made current";
        QTest::addRow("remove, %s", how) << QStringLiteral("onActionRemove")
                                        << QByteArray("QMessageBox") << QStringLiteral("Yes")
                                        << closes;
        QTest::addRow("rename, %s", how) << QStringLiteral("onActionRename")
                                        << QByteArray("RenameWatchListDlg")
                                        << QStringLiteral("Gas") << closes;
        QTest::addRow("add, %s", how) << QStringLiteral("onActionInsert")
                                     << QByteArray("NewWatchListDlg") << QStringLiteral("Pump2")
                                     << closes;
    }
}

void tst_PluginCore::projectClosedWhileAsking()
{
    QFETCH(QString, action);
    QFETCH(QByteArray, dialog);
    QFETCH(QString, answer);
    QFETCH(bool, closes);

    // A second project with a list of the same name becomes current when Demo closes.
    QVERIFY(host->openProject(QStringLiteral("Other"), {QStringLiteral("Pump:Y0")}));
    host->workbench().setCurrentProject(QStringLiteral("Demo"));
    doubleClick(folder + QStringLiteral(".Pump"));
    select(QStringLiteral("Pump"));

    driver->onNext(dialog.constData(), [this, answer, closes](QWidget *widget) {
        if (closes)
            host->workbench().closeProject(QStringLiteral("Demo"));
        else
            host->workbench().setCurrentProject(QStringLiteral("Other"));
        if (qobject_cast<QMessageBox *>(widget))
            click(answer)(widget);
        else
            enterName(answer)(widget);
    });
    invoke(action.toLatin1().constData());

    if (!closes) {
        // Demo is as it was: no list without a node or an undo step.
        QCOMPARE(model()->getWatchListNames(), names("Motor,Pump,Valve"));
        QCOMPARE(view()->childNodes(folder), names("Motor,Pump,Valve"));
        QCOMPARE(undoStack()->count(), 0);
        QCOMPARE(state().windows, QStringList{QStringLiteral("watchlist.Pump")});
        host->workbench().closeProject(QStringLiteral("Demo"));
    }
    QCOMPARE(host->workbench().projectNames(), names("Other"));
    QCOMPARE(model(QStringLiteral("Other"))->getWatchListNames(), names("Pump"));
    QCOMPARE(model(QStringLiteral("Other"))->getObject(QStringLiteral("Pump"))->variables(),
             names("Y0"));
    QCOMPARE(view()->childNodes(QStringLiteral("Other.Watch List")), names("Pump"));
    QCOMPARE(host->workbench().undoStack(QStringLiteral("Other"))->count(), 0);
    QCOMPARE(state().windows, QStringList());
}

void tst_PluginCore::savedListsSurviveReopen()
{
    QVERIFY(!host->workbench().isModified(QStringLiteral("Demo")));
    driver->onNext("NewWatchListDlg", enterName(QStringLiteral("Conveyor")));
    invoke("onActionInsert");
    model()->getObject(QStringLiteral("Conveyor"))->appendVariable(QStringLiteral("D100"));
    select(QStringLiteral("Motor"));
    driver->onNext("RenameWatchListDlg", enterName(QStringLiteral("Drive")));
    invoke("onActionRename");
    QVERIFY(host->workbench().isModified(QStringLiteral("Demo")));

    SafeProjectModel project(ProjectModelManager::instance()->projectModel("Demo", false));
    const QString file = static_cast<ProjectModel *>(project.get())->filePath();
    project = SafeProjectModel(nullptr);
    QString error;
    QVERIFY2(host->workbench().saveProject(QStringLiteral("Demo"), &error), qPrintable(error));
    QVERIFY(!host->workbench().isModified(QStringLiteral("Demo")));
    host->workbench().closeProject(QStringLiteral("Demo"));
    QCOMPARE(state(), State());

    QVERIFY2(host->workbench().openProject(file, &error), qPrintable(error));
    QCOMPARE(state().nodes, names("Drive,Pump,Valve,Conveyor"));
    QCOMPARE(model()->getObject(QStringLiteral("Conveyor"))->variables(), names("D100"));
    QCOMPARE(model()->getObject(QStringLiteral("Drive"))->variables(), names("D0,D1"));
}

// Another project's window holds the id of the new name.
void tst_PluginCore::renameOntoAnotherProjectsWindow_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("fromWindowOpen");

    QTest::newRow("renamed list's window open") << QStringLiteral("Pump") << true;
    QTest::newRow("renamed list's window closed") << QStringLiteral("Pump") << false;
    QTest::newRow("another list, window open") << QStringLiteral("Fan") << true;
}

void tst_PluginCore::renameOntoAnotherProjectsWindow()
{
    QFETCH(QString, from);
    QFETCH(bool, fromWindowOpen);

    QVERIFY(host->openProject(QStringLiteral("Beta"),
                              {QStringLiteral("Pump:Y0,Y1"), QStringLiteral("Fan:X0")}));
    host->workbench().setCurrentProject(QStringLiteral("Demo"));
    QVERIFY(QMetaObject::invokeMethod(plugin, "onShowVariable", Q_ARG(QString, QStringLiteral("Motor")), Q_ARG(int, 0)));
    QVERIFY(QMetaObject::invokeMethod(plugin, "onShowVariable", Q_ARG(QString, QStringLiteral("Valve")), Q_ARG(int, 0)));
    host->workbench().setCurrentProject(QStringLiteral("Beta"));
    if (fromWindowOpen)
        QVERIFY(QMetaObject::invokeMethod(plugin, "onShowVariable", Q_ARG(QString, from), Q_ARG(int, 0)));

    const QString to = from == QLatin1String("Pump") ? QStringLiteral("Motor") : QStringLiteral("Valve");
    select(from);
    driver->onNext("RenameWatchListDlg", enterName(to));
    invoke("onActionRename");
    QCOMPARE(model(QStringLiteral("Beta"))->getObject(to)->variables().size(), from == QLatin1String("Pump") ? 2 : 1);
    QVERIFY2(windowFault().isEmpty(), qPrintable(windowFault()));

    // Opening the renamed list shows Beta's entries, and closing Beta leaves
    // no window of it behind.
    QVERIFY(QMetaObject::invokeMethod(plugin, "onShowVariable", Q_ARG(QString, to), Q_ARG(int, 0)));
    QWidget *shown = window(to);
    QVERIFY(shown);
    QCOMPARE(shown->property("projectName").toString(), QStringLiteral("Beta"));
    QVERIFY2(windowFault().isEmpty(), qPrintable(windowFault()));
    host->workbench().closeProject(QStringLiteral("Beta"));
    for (const QString &id : state().windows)
        QCOMPARE(window(id.mid(int(qstrlen("watchlist."))))->property("projectName").toString(), QStringLiteral("Demo"));
}

void tst_PluginCore::backgroundSubProjectKeepsFolder()
{
    NodeInfo sub;
    sub.name = sub.text = QStringLiteral("sub");
    view()->addNode(QStringLiteral("Demo"), sub, 0);
    Solution::ProjectInfo background;
    background.isCurrent = false;
    emit view()->projectOpened(QStringLiteral("Demo.sub"), background, Solution::SubProjectLevel);

    QStringList shown;
    driver->onNext("QMenu", [&shown](QWidget *widget) {
        for (const QAction *action : widget->actions())
            shown.append(action->text());
        static_cast<QMenu *>(widget)->close();
    });
    emit view()->nodeEvent(folder, Solution::NodeContextMenu, QVariant());
    QCOMPARE(shown, QStringList{QStringLiteral("Add Watch List")});

    driver->onNext("NewWatchListDlg", enterName(QStringLiteral("Extra")));
    invoke("onActionInsert");
    QVERIFY(view()->childNodes(folder).contains(QStringLiteral("Extra")));
    select(QStringLiteral("Extra"));
    driver->onNext("QMessageBox", click(QStringLiteral("Yes")));
    invoke("onActionRemove");
    QCOMPARE(view()->childNodes(folder), names("Motor,Pump,Valve"));
}

void tst_PluginCore::shutdownLeavesHostSignalsAlone()
{
    plugin->shutdown();
    // The host may still send node events before it deletes the plug-in.
    emit view()->nodeEvent(folder, Solution::NodeContextMenu, QVariant());
    emit view()->nodeEvent(folder + QStringLiteral(".Pump"), Solution::NodeContextMenu, QVariant());
    emit host->workbench().undoStacks()->commandExecuted(QStringLiteral("PROJECT_MODEL_STACK_RENAME"), QStringLiteral("WatchListModel"), QString(), QStringLiteral("Pump[*PROJECT_MODEL_STACK*]Fan"));
    QCOMPARE(state().nodes, names("Motor,Pump,Valve"));
}

// Many steps of every kind in random order, checking after each that the
// tree and the windows still match the models. With two projects sharing
// list names, windows of one name must never show the other project's list.
void tst_PluginCore::randomWalk_data()
{
    QTest::addColumn<bool>("twoProjects");
    QTest::addColumn<int>("steps");
    QTest::newRow("one project") << false << 5000;
    QTest::newRow("two projects sharing names") << true << 3000;
}

void tst_PluginCore::randomWalk()
{
    QFETCH(bool, twoProjects);
    QFETCH(int, steps);
    const quint32 seed = twoProjects ? 20261207 : 20261206;
    qInfo("random walk seed %u", seed);
    QRandomGenerator random(seed);
    const QStringList pool = names("A,B,C_1,Motor,Pump,Valve,监视,Z9");
    const auto pick = [&random](const QStringList &names) {
        return names.at(int(random.bounded(quint32(names.size()))));
    };
    const QString other = QStringLiteral("Other");
    const QString otherFile =
        host->writeProject(other, {QStringLiteral("Pump:Y0,Y1"), QStringLiteral("Motor")});
    if (twoProjects) {
        QString error;
        QVERIFY2(host->workbench().openProject(otherFile, &error), qPrintable(error));
        host->workbench().setCurrentProject(QStringLiteral("Demo"));
    }

    for (int step = 0; step < steps; ++step) {
        const QString current = host->workbench().currentProject();
        const QStringList lists = model(current)->getWatchListNames();
        const QString name = pick(pool);
        switch (random.bounded(twoProjects ? 9 : 7)) {
        case 0:
            driver->onNext("NewWatchListDlg", enterName(name));
            if (lists.contains(name)) {
                driver->onNext("QMessageBox", click(QStringLiteral("OK")));
                driver->onNext("NewWatchListDlg", click(QStringLiteral("Cancel")));
            }
            invoke("onActionInsert");
            break;
        case 1:
            if (lists.isEmpty())
                continue;
            select(pick(lists));
            driver->onNext("RenameWatchListDlg", enterName(name));
            if (lists.contains(name)) {
                driver->onNext("QMessageBox", click(QStringLiteral("OK")));
                driver->onNext("RenameWatchListDlg", click(QStringLiteral("Cancel")));
            }
            invoke("onActionRename");
            break;
        case 2:
            if (lists.isEmpty())
                continue;
            select(pick(lists));
            driver->onNext("QMessageBox",
                           click(random.bounded(4) ? QStringLiteral("Yes") : QStringLiteral("No")));
            invoke("onActionRemove");
            break;
        case 3:
            host->workbench().undoStack(current)->undo();
            break;
        case 4:
            host->workbench().undoStack(current)->redo();
            break;
        case 5:
            if (lists.isEmpty())
                continue;
            select(pick(lists));
            invoke("onActionEdit");
            break;
        case 6:
            if (!lists.isEmpty())
                model(current)->getObject(pick(lists))->appendVariable(name);
            break;
        case 7:
            host->workbench().setCurrentProject(pick(host->workbench().projectNames()));
            break;
        case 8:
            if (host->workbench().projectNames().contains(other)) {
                host->workbench().closeProject(other);
            } else {
                QString error;
                QVERIFY2(host->workbench().openProject(otherFile, &error), qPrintable(error));
            }
            break;
        }
        const QString where = QStringLiteral("step %1").arg(step);
        QVERIFY2(driver->allHandled(), qPrintable(where));

        for (const QString &project : host->workbench().projectNames()) {
            QStringList nodes = view()->childNodes(project + QStringLiteral(".Watch List"));
            QStringList modelNames = model(project)->getWatchListNames();
            nodes.sort();
            modelNames.sort();
            QVERIFY2(nodes == modelNames,
                     qPrintable(QStringLiteral("%1: %2 nodes [%3], lists [%4]")
                                    .arg(where, project, nodes.join(QLatin1Char(',')),
                                         modelNames.join(QLatin1Char(',')))));
        }
        const QString fault = windowFault();
        QVERIFY2(fault.isEmpty(), qPrintable(where + QStringLiteral(": ") + fault));
    }
}

QTEST_MAIN(tst_PluginCore)
#include "tst_plugincore.moc"
