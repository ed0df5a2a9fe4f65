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
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QMainWindow>
#include <QRandomGenerator>
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
    void undoSteps_data();
    void undoSteps();
    void projectClosedWhileAsking_data();
    void projectClosedWhileAsking();
    void savedListsSurviveReopen();
    void renameOntoAnotherProjectsWindow_data();
    void renameOntoAnotherProjectsWindow();
    void backgroundSubProjectKeepsFolder();
    void randomWalk();

private:
    // What a user sees of a project's watch lists: its folder's children, the
    // open watch-list windows (of any project) and what the project holds.
    QStringList state(const QString &project = demo, bool sortNodes = false) const;
    WatchListModel *model(const QString &project = demo) const
    {
        return HostFixture::watchLists(project);
    }
    QStringList entries(const QString &list, const QString &project = demo) const;
    QUndoStack *undoStack(const QString &project = demo) const
    {
        return host->workbench().undoStack(project);
    }
    Solution::View *view() const { return host->workbench().solutionTree(); }
    QWidget *window(const QString &name) const
    {
        return host->workbench().toolWindows()->toolWindowWidget(QStringLiteral("watchlist.") + name);
    }
    // A right-click, else a double-click, on the node.
    void clickNode(const QString &path, bool rightButton);
    QStringList menuOn(const QString &path, Solution::NodeEvent event);
    void invoke(const QString &slot) { QVERIFY(QMetaObject::invokeMethod(plugin, qPrintable(slot))); }
    void show(const QString &list)
    {
        QVERIFY(QMetaObject::invokeMethod(
            plugin, "onShowVariable", Q_ARG(QString, list), Q_ARG(int, 0)));
    }
    // Runs Insert, Rename or Remove on `list` of the current project (named
    // without a menu) and answers its dialog; `meanwhile` runs while it waits.
    // A name in use is warned about and the dialog cancelled.
    void act(const QString &action, const QString &list, const QString &answer,
             const std::function<void()> &meanwhile = {});
    // Empty when every project's folder holds its lists, and every watch-list
    // window shows, under its list's id and title, the entries of a list of
    // its own open project; else what is wrong.
    QString fault() const;

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
    QVERIFY(host->openProject(demo, {QStringLiteral("Motor:D0,D1"), QStringLiteral("Pump:M0,X10,D100"),
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

QStringList tst_PluginCore::state(const QString &project, bool sortNodes) const
{
    QStringList nodes = view()->childNodes(project + QStringLiteral(".Watch List"));
    if (sortNodes)
        nodes.sort();
    QStringList windows = host->workbench().toolWindows()->toolWindowIds().filter(
        QStringLiteral("watchlist."));
    windows.sort();
    const QStringList lists = model(project) ? model(project)->getWatchListNames() : QStringList();
    return {nodes.join(QLatin1Char(',')), windows.join(QLatin1Char(',')), lists.join(QLatin1Char(','))};
}

QStringList tst_PluginCore::entries(const QString &list, const QString &project) const
{
    WatchListObject *object = HostFixture::watchList(project, list);
    return object ? object->variables() : QStringList{QStringLiteral("(no list)")};
}

void tst_PluginCore::clickNode(const QString &path, bool rightButton)
{
    QTreeWidget *tree = host->workbench().solutionTree()->treeWidget();
    QWidget *viewport = tree->viewport();
    const QPoint center = tree->visualItemRect(host->workbench().solutionTree()->item(path)).center();
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

void tst_PluginCore::act(const QString &action, const QString &list, const QString &answer,
                         const std::function<void()> &meanwhile)
{
    const QString project = host->workbench().currentProject();
    if (!list.isEmpty()) {
        emit view()->nodeEvent(project + QStringLiteral(".Watch List.") + list,
                               Solution::NodeSelected, QVariant());
    }
    const bool asks = action == QLatin1String("Remove");
    const char *dialog = asks ? "QMessageBox"
                              : action == QLatin1String("Insert") ? "NewWatchListDlg"
                                                                  : "RenameWatchListDlg";
    const ModalDriver::Action reply = asks ? click(answer) : enterName(answer);
    driver->onNext(dialog, [meanwhile, reply](QWidget *widget) {
        if (meanwhile)
            meanwhile();
        reply(widget);
    });
    if (!asks && model(project)->getWatchListNames().contains(answer)) {
        driver->onNext("QMessageBox", click(QStringLiteral("OK")));
        driver->onNext(dialog, click(QStringLiteral("Cancel")));
    }
    invoke(QStringLiteral("onAction") + action);
}

QString tst_PluginCore::fault() const
{
    for (const QString &project : host->workbench().projectNames()) {
        QStringList nodes = view()->childNodes(project + QStringLiteral(".Watch List"));
        QStringList lists = model(project)->getWatchListNames();
        nodes.sort();
        lists.sort();
        if (nodes != lists)
            return QStringLiteral("%1 nodes [%2], lists [%3]")
                .arg(project, nodes.join(QLatin1Char(',')), lists.join(QLatin1Char(',')));
    }
    ToolWindowManager *windows = host->workbench().toolWindows();
    for (const QString &id : windows->toolWindowIds().filter(QStringLiteral("watchlist."))) {
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

// Through the tree's own menus and double-clicks, as a user works.
void tst_PluginCore::userRoad()
{
    driver->onNext("QMenu", ModalDriver::choose(QStringLiteral("Add Watch List")));
    driver->onNext("NewWatchListDlg", enterName(QStringLiteral("Conveyor")));
    clickNode(folder, true);
    QVERIFY(driver->allHandled());
    QCOMPARE(undoStack()->count(), 1);
    QWidget *conveyor = window(QStringLiteral("Conveyor"));
    QVERIFY(conveyor);
    QTRY_VERIFY(conveyor->isVisible());
    clickNode(folder + QStringLiteral(".Pump"), false);
    QWidget *pump = window(QStringLiteral("Pump"));
    QVERIFY(pump);
    QCOMPARE(fault(), QString());

    // A renamed list keeps its place among the nodes, and its window.
    driver->onNext("QMenu", ModalDriver::choose(QStringLiteral("Rename Watch List")));
    driver->onNext("RenameWatchListDlg", enterName(QStringLiteral("Fan")));
    clickNode(folder + QStringLiteral(".Pump"), true);
    QCOMPARE(state(), QStringList({QStringLiteral("Motor,Fan,Valve,Conveyor"),
                                   QStringLiteral("watchlist.Conveyor,watchlist.Fan"),
                                   QStringLiteral("Motor,Fan,Valve,Conveyor")}));
    QCOMPARE(window(QStringLiteral("Fan")), pump);
    QCOMPARE(fault(), QString());
    auto tree = pump->findChild<VarTreeWidget *>();
    QCOMPARE(tree->getItemData(tree->topLevelItem(2), 0), QStringLiteral("D100"));

    const QStringList before = state();
    driver->onNext("QMenu", ModalDriver::choose(QStringLiteral("Remove Watch List")));
    driver->onNext("QMessageBox", click(QStringLiteral("No")));
    clickNode(folder + QStringLiteral(".Fan"), true);
    QCOMPARE(state(), before);
    QCOMPARE(undoStack()->count(), 2);

    clickNode(folder + QStringLiteral(".Conveyor"), false);
    QCOMPARE(window(QStringLiteral("Conveyor")), conveyor);

    // Nodes not the plug-in's, and a selection, show or open nothing.
    for (const QString &path : {demo, QStringLiteral("Demo.Programs.MAIN")})
        QCOMPARE(menuOn(path, Solution::NodeContextMenu), QStringList());
    QCOMPARE(menuOn(folder + QStringLiteral(".Motor"), Solution::NodeSelected), QStringList());
    QCOMPARE(state(), before);
}

// The windows after undo and redo: an undone add or remove does not reopen
// or keep a window, redo brings the node back but not the window.
void tst_PluginCore::undoRedoRestores_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("undoneWindows");
    QTest::addColumn<QString>("redoneWindows");
    QTest::newRow("add") << "Insert" << "Extra" << "watchlist.Pump" << "watchlist.Pump";
    QTest::newRow("rename") << "Rename" << "Fan" << "watchlist.Pump" << "watchlist.Fan";
    QTest::newRow("remove") << "Remove" << "Yes" << "" << "";
}

void tst_PluginCore::undoRedoRestores()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    clickNode(folder + QStringLiteral(".Pump"), false);
    QStringList before = state(demo, true);
    const QStringList pumpEntries = entries(QStringLiteral("Pump"));

    act(action, QStringLiteral("Pump"), answer);
    QStringList after = state(demo, true);
    QVERIFY(after != before);

    undoStack()->undo();
    QFETCH(QString, undoneWindows);
    before[1] = undoneWindows;
    QCOMPARE(state(demo, true), before);
    QCOMPARE(entries(QStringLiteral("Pump")), pumpEntries);

    QFETCH(QString, redoneWindows);
    after[1] = redoneWindows;
    undoStack()->redo();
    QCOMPARE(state(demo, true), after);
}

// A step of the host's undo stack the plug-in cannot read, or not about its
// lists, changes no node. (Well-formed steps: undoRedoRestores.)
void tst_PluginCore::undoSteps_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("subModel");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("param");

    const auto row = [](const char *type, const char *path, const char *param,
                        const char *subModel = "WatchListModel") {
        QTest::addRow("%s %s%s %s", type, path, param, subModel)
            << QStringLiteral("PROJECT_MODEL_STACK_") + QLatin1String(type)
            << QString::fromLatin1(subModel) << QString::fromLatin1(path)
            << QString::fromLatin1(param);
    };
    // The model holds a fourth list, Extra, that has no node: index 4 is out
    // of range, and "x" reads index 0, whose node exists.
    for (const char *path : {"4", "x"})
        row("INSERT", path, "");
    row("INSERT", "3", "", "SoftComponentModel");
    for (const char *param : {"NAME=Pump", "{\"NAME\":\"Pump\""})
        row("REMOVE", "", param);
    // No separator, an empty name on either side, the same name, two separators.
    for (const char *param : {"Pump Fan", "Pump[*PROJECT_MODEL_STACK*]", "[*PROJECT_MODEL_STACK*]Pump",
                              "Pump[*PROJECT_MODEL_STACK*]Pump",
                              "Pump[*PROJECT_MODEL_STACK*]Fan[*PROJECT_MODEL_STACK*]Gas"})
        row("RENAME", "", param);
    row("MOVE", "1", "");
}

void tst_PluginCore::undoSteps()
{
    QFETCH(QString, type);
    QFETCH(QString, subModel);
    QFETCH(QString, path);
    QFETCH(QString, param);

    QVERIFY(model()->appendWatchList(QStringLiteral("Extra")));
    emit host->workbench().undoStacks()->commandExecuted(type, subModel, path, param);
    QCOMPARE(view()->childNodes(folder), names("Motor,Pump,Valve"));
}

// The host may close the project while a question or a name dialog waits
// for the user; the answer must then touch nothing, in no project.
void tst_PluginCore::projectClosedWhileAsking_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("closes");

    for (bool closes : {true, false}) {
        const char *how = closes ? "closed" : "made current";
        QTest::addRow("remove, %s", how) << "Remove" << "Yes" << closes;
        QTest::addRow("rename, %s", how) << "Rename" << "Gas" << closes;
        QTest::addRow("add, %s", how) << "Insert" << "Pump2" << closes;
    }
}

void tst_PluginCore::projectClosedWhileAsking()
{
    QFETCH(QString, action);
    QFETCH(QString, answer);
    QFETCH(bool, closes);

    // A second project with a list of the same name becomes current when Demo closes.
    const QString other = QStringLiteral("Other");
    QVERIFY(host->openProject(other, {QStringLiteral("Pump:Y0")}));
    host->workbench().setCurrentProject(demo);
    clickNode(folder + QStringLiteral(".Pump"), false);
    act(action, QStringLiteral("Pump"), answer, [this, closes, other] {
        if (closes)
            host->workbench().closeProject(demo);
        else
            host->workbench().setCurrentProject(other);
    });

    if (!closes) {
        // Demo is as it was: no list without a node or an undo step.
        QCOMPARE(state(), QStringList({QStringLiteral("Motor,Pump,Valve"),
                                       QStringLiteral("watchlist.Pump"),
                                       QStringLiteral("Motor,Pump,Valve")}));
        QCOMPARE(undoStack()->count(), 0);
        host->workbench().closeProject(demo);
    }
    QCOMPARE(host->workbench().projectNames(), QStringList{other});
    QCOMPARE(state(other), QStringList({QStringLiteral("Pump"), QString(), QStringLiteral("Pump")}));
    QCOMPARE(entries(QStringLiteral("Pump"), other), names("Y0"));
    QCOMPARE(undoStack(other)->count(), 0);
}

void tst_PluginCore::savedListsSurviveReopen()
{
    QVERIFY(!host->workbench().isModified(demo));
    act(QStringLiteral("Insert"), QString(), QStringLiteral("Conveyor"));
    model()->getObject(QStringLiteral("Conveyor"))->appendVariable(QStringLiteral("D100"));
    act(QStringLiteral("Rename"), QStringLiteral("Motor"), QStringLiteral("Drive"));
    QVERIFY(host->workbench().isModified(demo));

    const QString file = static_cast<ProjectModel *>(
        SafeProjectModel(ProjectModelManager::instance()->projectModel("Demo", false)).get())
                             ->filePath();
    QString error;
    QVERIFY2(host->workbench().saveProject(demo, &error), qPrintable(error));
    QVERIFY(!host->workbench().isModified(demo));
    host->workbench().closeProject(demo);
    QCOMPARE(state(), QStringList({QString(), QString(), QString()}));

    QVERIFY2(host->workbench().openProject(file, &error), qPrintable(error));
    QCOMPARE(state().at(0), QStringLiteral("Drive,Pump,Valve,Conveyor"));
    QCOMPARE(entries(QStringLiteral("Conveyor")), names("D100"));
    QCOMPARE(entries(QStringLiteral("Drive")), names("D0,D1"));
}

// Another project's window holds the id of the new name.
void tst_PluginCore::renameOntoAnotherProjectsWindow_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("fromWindowOpen");

    QTest::newRow("renamed list's window open") << "Pump" << true;
    QTest::newRow("renamed list's window closed") << "Pump" << false;
    QTest::newRow("another list, window open") << "Fan" << true;
}

void tst_PluginCore::renameOntoAnotherProjectsWindow()
{
    QFETCH(QString, from);
    QFETCH(bool, fromWindowOpen);

    const QString beta = QStringLiteral("Beta");
    QVERIFY(host->openProject(beta, {QStringLiteral("Pump:Y0,Y1"), QStringLiteral("Fan:X0")}));
    host->workbench().setCurrentProject(demo);
    show(QStringLiteral("Motor"));
    show(QStringLiteral("Valve"));
    host->workbench().setCurrentProject(beta);
    if (fromWindowOpen)
        show(from);

    const QString to = from == QLatin1String("Pump") ? QStringLiteral("Motor") : QStringLiteral("Valve");
    act(QStringLiteral("Rename"), from, to);
    QCOMPARE(entries(to, beta).size(), from == QLatin1String("Pump") ? 2 : 1);
    QCOMPARE(fault(), QString());

    // Opening the renamed list shows Beta's entries, and closing Beta leaves
    // no window of it behind.
    show(to);
    QVERIFY(window(to));
    QCOMPARE(window(to)->property("projectName").toString(), beta);
    QCOMPARE(fault(), QString());
    host->workbench().closeProject(beta);
    ToolWindowManager *windows = host->workbench().toolWindows();
    for (const QString &id : windows->toolWindowIds().filter(QStringLiteral("watchlist.")))
        QCOMPARE(windows->toolWindowWidget(id)->property("projectName").toString(), demo);
}

void tst_PluginCore::backgroundSubProjectKeepsFolder()
{
    NodeInfo sub;
    sub.name = sub.text = QStringLiteral("sub");
    view()->addNode(demo, sub, 0);
    Solution::ProjectInfo background;
    background.isCurrent = false;
    emit view()->projectOpened(QStringLiteral("Demo.sub"), background, Solution::SubProjectLevel);

    QCOMPARE(menuOn(folder, Solution::NodeContextMenu), names("Add Watch List"));
    act(QStringLiteral("Insert"), QString(), QStringLiteral("Extra"));
    QVERIFY(view()->childNodes(folder).contains(QStringLiteral("Extra")));
    act(QStringLiteral("Remove"), QStringLiteral("Extra"), QStringLiteral("Yes"));
    QCOMPARE(view()->childNodes(folder), names("Motor,Pump,Valve"));
}

// Many steps of every kind in random order, checking after each that the
// tree and the windows still match the models. With a second project that
// opens and closes and shares list names, windows of one name must never
// show the other project's list.
void tst_PluginCore::randomWalk()
{
    const quint32 seed = 20261207;
    qInfo("random walk seed %u", seed);
    QRandomGenerator random(seed);
    const QStringList pool = names("A,B,C_1,Motor,Pump,Valve,监视,Z9");
    const auto pick = [&random](const QStringList &names) {
        return names.at(int(random.bounded(quint32(names.size()))));
    };
    const QString other = QStringLiteral("Other");
    const QString otherFile =
        host->writeProject(other, {QStringLiteral("Pump:Y0,Y1"), QStringLiteral("Motor")});
    QString error;
    const auto toggleOther = [&] {
        if (host->workbench().projectNames().contains(other))
            host->workbench().closeProject(other);
        else
            QVERIFY2(host->workbench().openProject(otherFile, &error), qPrintable(error));
    };
    toggleOther();
    host->workbench().setCurrentProject(demo);

    for (int step = 0; step < 4000; ++step) {
        const QString current = host->workbench().currentProject();
        const QStringList lists = model(current)->getWatchListNames();
        const QString name = pick(pool);
        const int kind = int(random.bounded(9));
        const bool onAList = kind == 1 || kind == 2 || kind == 5 || kind == 6;
        if (lists.isEmpty() && onAList && kind != 6)
            continue;
        const QString list = onAList && !lists.isEmpty() ? pick(lists) : QString();
        if (kind <= 2) {
            const char *actions[] = {"Insert", "Rename", "Remove"};
            const QString answer = kind < 2 ? name
                                 : random.bounded(4) ? QStringLiteral("Yes") : QStringLiteral("No");
            act(QLatin1String(actions[kind]), list, answer);
        } else if (kind <= 4) {
            kind == 3 ? undoStack(current)->undo() : undoStack(current)->redo();
        } else if (kind == 5) {
            emit view()->nodeEvent(current + QStringLiteral(".Watch List.") + list,
                                   Solution::NodeSelected, QVariant());
            invoke(QStringLiteral("onActionEdit"));
        } else if (kind == 6) {
            if (!list.isEmpty())
                model(current)->getObject(list)->appendVariable(name);
        } else if (kind == 7) {
            host->workbench().setCurrentProject(pick(host->workbench().projectNames()));
        } else {
            toggleOther();
        }
        QVERIFY2(driver->allHandled(), qPrintable(QStringLiteral("step %1").arg(step)));
        const QString wrong = fault();
        QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("step %1: ").arg(step) + wrong));
    }
}

QTEST_MAIN(tst_PluginCore)
#include "tst_plugincore.moc"
