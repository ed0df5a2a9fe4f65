#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "plugininterface.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "safeprojectmodel.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMainWindow>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace {
const QString folder = QStringLiteral("Demo.Watch List");
const QString demo = QStringLiteral("Demo");
const auto click = ModalDriver::click;
const auto enterName = ModalDriver::enterName;
const QLatin1Char comma(','), bar('|');
QString s(const char *text)
{
    return QString::fromUtf8(text);
}
} // namespace

class tst_PluginCore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userRoad();
    void undoRedoRestores_data();
    void undoRedoRestores();
    void unreadableUndoSteps();
    void projectClosedWhileAsking_data();
    void projectClosedWhileAsking();
    void savedListsSurviveReopen();
    void renameOntoAnotherProjectsWindow();

private:
    // What a user sees of a project's watch lists: its folder's children, the
    // open watch-list windows (of any project) and what the project holds.
    QStringList state(const QString &project = demo) const;
    QStringList entries(const QString &list, const QString &project = demo) const
    {
        WatchListObject *object = HostFixture::watchList(project, list);
        return object ? object->variables() : names("(no list)");
    }
    QUndoStack *undoStack(const QString &project = demo) const
    {
        return host->workbench().undoStack(project);
    }
    SolutionTree *view() const { return host->workbench().solutionTree(); }
    QWidget *window(const QString &name) const
    {
        return host->workbench().toolWindows()->toolWindowWidget(s("watchlist.") + name);
    }
    // A right-click, else a double-click, on the node.
    void clickNode(const QString &path, bool rightButton);
    QStringList menuOn(const QString &path, Solution::NodeEvent event);
    // Runs Insert, Rename or Remove on `list` of the current project (named
    // without a menu) and answers its dialog; `meanwhile` runs while it waits.
    void act(const QString &action,
             const QString &list,
             const QString &answer,
             const std::function<void()> &meanwhile = {});
    // A list's window as a user sees it: whose list it is (to the window and
    // to its tree), under which title, with which rows loaded.
    QString shown(const QString &list) const;

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
    QVERIFY(host->openProject(demo, {s("Motor:D0,D1"), s("Pump:M0,X10,D100"), s("Valve")}));
    host->workbench().mainWindow()->show();
    QVERIFY(QTest::qWaitForWindowExposed(host->workbench().mainWindow()));
    view()->treeWidget()->expandAll();
}

void tst_PluginCore::cleanup()
{
    QVERIFY2(driver->allHandled(), "a queued dialog step never ran");
    QVERIFY2(driver->unexpected().isEmpty(), driver->unexpected().constData());
    driver.reset();
    host.reset();
}

QStringList tst_PluginCore::state(const QString &project) const
{
    const QStringList nodes = view()->childNodes(project + s(".Watch List"));
    QStringList windows = host->workbench().toolWindows()->toolWindowIds().filter(s("watchlist."));
    windows.sort();
    WatchListModel *model = HostFixture::watchLists(project);
    const QStringList lists = model ? model->getWatchListNames() : QStringList();
    return {nodes.join(comma), windows.join(comma), lists.join(comma)};
}

void tst_PluginCore::clickNode(const QString &path, bool rightButton)
{
    QWidget *viewport = view()->treeWidget()->viewport();
    const QPoint center = view()->treeWidget()->visualItemRect(view()->item(path)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, center, viewport->mapToGlobal(center));
    if (rightButton) {
        QApplication::sendEvent(viewport, &event);
        return;
    }
    QTest::mouseClick(viewport, Qt::LeftButton, {}, center);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, center);
}

QStringList tst_PluginCore::menuOn(const QString &path, Solution::NodeEvent event)
{
    QStringList shown;
    ModalDriver menus;
    menus.onNext("QMenu", [&shown](QWidget *menu) {
        for (const QAction *action : menu->actions())
            shown.append(action->text());
        menu->close();
    });
    emit view()->nodeEvent(path, event, QVariant());
    return shown;
}

void tst_PluginCore::act(const QString &action,
                         const QString &list,
                         const QString &answer,
                         const std::function<void()> &meanwhile)
{
    const QString project = host->workbench().currentProject();
    if (!list.isEmpty())
        emit view()->nodeEvent(project + s(".Watch List.") + list, Solution::NodeSelected, {});
    const bool asks = action == QLatin1String("Remove");
    const char *dialog = asks ? "QMessageBox" : "RenameWatchListDlg";
    if (action == QLatin1String("Insert"))
        dialog = "NewWatchListDlg";
    const ModalDriver::Action reply = asks ? click(answer) : enterName(answer);
    driver->onNext(dialog, [meanwhile, reply](QWidget *widget) {
        if (meanwhile)
            meanwhile();
        reply(widget);
    });
    QVERIFY(QMetaObject::invokeMethod(plugin, qPrintable(s("onAction") + action)));
}

QString tst_PluginCore::shown(const QString &list) const
{
    QWidget *widget = window(list);
    if (!widget)
        return QString();
    auto tree = widget->findChild<VarTreeWidget *>();
    QStringList seen{
        widget->property("projectName").toString(),
        tree->projectName(),
        widget->property("watchListName").toString(),
        host->workbench().toolWindows()->dockWidget(s("watchlist.") + list)->windowTitle()};
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        seen.append(tree->getItemData(tree->topLevelItem(row), 0));
    return seen.join(comma);
}

// Through the tree's own menus and double-clicks, as a user works.
void tst_PluginCore::userRoad()
{
    driver->onNext("QMenu", ModalDriver::choose(s("Add Watch List")));
    driver->onNext("NewWatchListDlg", enterName(s("Conveyor")));
    clickNode(folder, true);
    QCOMPARE(undoStack()->count(), 1);
    QWidget *conveyor = window(s("Conveyor"));
    QTRY_VERIFY(conveyor && conveyor->isVisible());
    clickNode(folder + s(".Pump"), false);
    QWidget *pump = window(s("Pump"));
    QCOMPARE(shown(s("Conveyor")), s("Demo,Demo,Conveyor,Watch List_Conveyor,"));
    QCOMPARE(shown(s("Pump")), s("Demo,Demo,Pump,Watch List_Pump,M0,X10,D100,"));

    // A renamed list keeps its place among the nodes, and its window.
    driver->onNext("QMenu", ModalDriver::choose(s("Rename Watch List")));
    driver->onNext("RenameWatchListDlg", enterName(s("Fan")));
    clickNode(folder + s(".Pump"), true);
    const QStringList before = state();
    QCOMPARE(
        before.join(bar),
        s("Motor,Fan,Valve,Conveyor|watchlist.Conveyor,watchlist.Fan|Motor,Fan,Valve,Conveyor"));
    QCOMPARE(window(s("Fan")), pump);
    QCOMPARE(shown(s("Fan")), s("Demo,Demo,Fan,Watch List_Fan,M0,X10,D100,"));

    driver->onNext("QMenu", ModalDriver::choose(s("Remove Watch List")));
    driver->onNext("QMessageBox", click(s("No")));
    clickNode(folder + s(".Fan"), true);
    QCOMPARE(state(), before);
    QCOMPARE(undoStack()->count(), 2);

    driver->onNext("QMenu", ModalDriver::choose(s("Edit Watch List")));
    clickNode(folder + s(".Conveyor"), true);
    QCOMPARE(window(s("Conveyor")), conveyor);

    // Nodes not the plug-in's, and a selection, show or open nothing.
    for (const QString &path : {demo, s("Demo.Programs.MAIN")})
        QCOMPARE(menuOn(path, Solution::NodeContextMenu), QStringList());
    QCOMPARE(menuOn(folder + s(".Motor"), Solution::NodeSelected), QStringList());
    QCOMPARE(state(), before);

    // A sub-project opened in the background leaves the folder to the current project.
    NodeInfo sub;
    sub.name = sub.text = s("sub");
    view()->addNode(demo, sub, 0);
    Solution::ProjectInfo background;
    background.isCurrent = false;
    emit view()->projectOpened(s("Demo.sub"), background, Solution::SubProjectLevel);
    QCOMPARE(menuOn(folder, Solution::NodeContextMenu), names("Add Watch List"));
    act(s("Insert"), QString(), s("Extra"));
    QVERIFY(view()->childNodes(folder).contains(s("Extra")));
    act(s("Remove"), s("Extra"), s("Yes"));
    QCOMPARE(view()->childNodes(folder), names("Motor,Fan,Valve,Conveyor"));
}

// The windows after undo and redo: an undone add or remove does not reopen
// or keep a window, redo brings the node back but not the window.
void tst_PluginCore::undoRedoRestores_data()
{
    QTest::addColumn<QStringList>("step"); // action, answer, windows when undone, when redone
    QTest::newRow("add") << names("Insert,Extra,watchlist.Pump,watchlist.Pump");
    QTest::newRow("rename") << names("Rename,Fan,watchlist.Pump,watchlist.Fan");
    QTest::newRow("remove") << names("Remove,Yes");
}

void tst_PluginCore::undoRedoRestores()
{
    QFETCH(QStringList, step);
    clickNode(folder + s(".Pump"), false);
    const QStringList before = state(demo);
    const QStringList pumpEntries = entries(s("Pump"));

    act(step[0], s("Pump"), step[1]);
    const QStringList after = state(demo);
    QVERIFY(after != before);
    // Nodes in the order of the model: a list back from its removal stands
    // where it stood.
    undoStack()->undo();
    QCOMPARE(state(demo), QStringList({before[0], step.value(2), before[2]}));
    QCOMPARE(entries(s("Pump")), pumpEntries);
    undoStack()->redo();
    QCOMPARE(state(demo), QStringList({after[0], step.value(3), after[2]}));
}

// A step of the host's undo stack the plug-in cannot read, or not about its
// lists, changes no node. The model holds a fourth list without a node:
// index 4 is one past it.
void tst_PluginCore::unreadableUndoSteps()
{
    QVERIFY(HostFixture::watchLists(demo)->appendWatchList(s("Extra")));
    const char *steps[][4] = {
        {"INSERT", "WatchListModel", "4", ""},
        {"INSERT", "SoftComponentModel", "3", ""},
        {"RENAME", "WatchListModel", "", "Pump Fan"},
        {"RENAME", "WatchListModel", "", "Pump[*PROJECT_MODEL_STACK*]Pump"},
    };
    for (const auto &step : steps) {
        emit host->workbench().undoStacks()->commandExecuted(
            s("PROJECT_MODEL_STACK_") + s(step[0]), s(step[1]), s(step[2]), s(step[3]));
        QVERIFY2(view()->childNodes(folder) == names("Motor,Pump,Valve"), step[0]);
    }
}

// The host may close the project while a question or a name dialog waits
// for the user; the answer must then touch nothing, in no project.
void tst_PluginCore::projectClosedWhileAsking_data()
{
    QTest::addColumn<QStringList>("step"); // action, answer
    QTest::addColumn<bool>("closes");
    for (bool closes : {true, false}) {
        for (const char *step : {"Remove,Yes", "Rename,Gas", "Insert,Pump2"})
            QTest::addRow("%s, %s", step, closes ? "closed" : "made current")
                << names(step) << closes;
    }
}

void tst_PluginCore::projectClosedWhileAsking()
{
    QFETCH(QStringList, step);
    QFETCH(bool, closes);
    // A second project with a list of the same name becomes current when Demo closes.
    const QString other = s("Other");
    QVERIFY(host->openProject(other, {s("Pump:Y0")}));
    host->workbench().setCurrentProject(demo);
    clickNode(folder + s(".Pump"), false);
    act(step[0], s("Pump"), step[1], [this, closes, other] {
        if (closes)
            host->workbench().closeProject(demo);
        else
            host->workbench().setCurrentProject(other);
    });
    if (!closes) {
        // Demo is as it was: no list without a node or an undo step.
        QCOMPARE(state().join(bar), s("Motor,Pump,Valve|watchlist.Pump|Motor,Pump,Valve"));
        QCOMPARE(undoStack()->count(), 0);
        host->workbench().closeProject(demo);
    }
    QCOMPARE(state(other).join(bar), s("Pump||Pump"));
    QCOMPARE(entries(s("Pump"), other), names("Y0"));
    QCOMPARE(undoStack(other)->count(), 0);
}

void tst_PluginCore::savedListsSurviveReopen()
{
    Workbench &workbench = host->workbench();
    act(s("Insert"), QString(), s("Conveyor"));
    HostFixture::watchLists(demo)->getObject(s("Conveyor"))->appendVariable(s("D100"));
    act(s("Rename"), s("Motor"), s("Drive"));
    QVERIFY(workbench.isModified(demo));

    // Held only here: an open handle would keep the project from closing.
    const QString file =
        static_cast<ProjectModel *>(
            SafeProjectModel(ProjectModelManager::instance()->projectModel("Demo", false)).get())
            ->filePath();
    QString error;
    QVERIFY2(workbench.saveProject(demo, &error), qPrintable(error));
    QVERIFY(!workbench.isModified(demo));
    workbench.closeProject(demo);
    QVERIFY2(workbench.openProject(file, &error), qPrintable(error));
    QCOMPARE(state().at(0), s("Drive,Pump,Valve,Conveyor"));
    QCOMPARE(entries(s("Conveyor")), names("D100"));
    QCOMPARE(entries(s("Drive")), names("D0,D1"));
}

// Another project's window holds the id of the new name.
void tst_PluginCore::renameOntoAnotherProjectsWindow()
{
    const QString beta = s("Beta");
    QVERIFY(host->openProject(beta, {s("Pump:Y0,Y1")}));
    host->workbench().setCurrentProject(demo);
    emit view()->nodeEvent(folder + s(".Motor"), Solution::NodeActivated, {});
    host->workbench().setCurrentProject(beta);
    emit view()->nodeEvent(s("Beta.Watch List.Pump"), Solution::NodeActivated, {});

    act(s("Rename"), s("Pump"), s("Motor"));
    QCOMPARE(state(beta).join(bar), s("Motor|watchlist.Motor|Motor"));
    QCOMPARE(shown(s("Motor")), s("Beta,Beta,Motor,Watch List_Motor,Y0,Y1,"));
    // Closing Beta leaves no window of it behind.
    host->workbench().closeProject(beta);
    QCOMPARE(state().at(1), QString());
}

QTEST_MAIN(tst_PluginCore)
#include "tst_plugincore.moc"
