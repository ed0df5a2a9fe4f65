#include "modelcommands.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "softcomponentmodel.h"
#include "symbolsynchrinizer.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <memory>

namespace {

QStringList list(std::initializer_list<const char *> texts)
{
    QStringList result;
    for (const char *text : texts)
        result.append(QString::fromUtf8(text));
    return result;
}

} // namespace

class TestProjectModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void entryAccess();
    void listDataIsInjective_data();
    void listDataIsInjective();
    void softComponentCommentSignals();
    void symbolSyncReachesQueuedReceivers();

    void commandSteps_data();
    void commandSteps();
    void undoneRemovalRestoresSameListWithEntries();
    void redoPutsListBackWhereItWasTaken();
    void staleStepDoesNothing_data();
    void staleStepDoesNothing();

    void guardKeepsClosedProjectUntilReleased();
    void closeWithoutGuardDeletesAtOnce();
    void moveAssignReleasesHeldProject();
    void addProjectRefusesOpenName();
    void projectDeletedElsewhereLeavesManager();

private:
    static QStringList announcementTexts(const QSignalSpy &spy);

    ProjectModel *m_project = nullptr;
    WatchListModel *m_lists = nullptr;
    QUndoStack *m_stack = nullptr;
    QSignalSpy *m_announced = nullptr;
};

void TestProjectModel::init()
{
    auto project = std::make_unique<ProjectModel>("Demo");
    m_project = project.get();
    QVERIFY(ProjectModelManager::instance()->addProject(project.release()));
    m_lists = m_project->watchListModel();
    for (const char *name : {"Pump", "Fan", "Valve"})
        QVERIFY(m_lists->appendWatchList(QLatin1String(name)));
    m_stack = new QUndoStack;
    m_announced =
        new QSignalSpy(ProjectModelManager::instance(), &ProjectModelManager::commandExecuted);
}

void TestProjectModel::cleanup()
{
    delete m_announced;
    delete m_stack;
    for (const std::string &name : ProjectModelManager::instance()->projectNames())
        ProjectModelManager::instance()->closeProject(name);
    QVERIFY(ProjectModelManager::instance()->projectNames().empty());
}

QStringList TestProjectModel::announcementTexts(const QSignalSpy &spy)
{
    QStringList texts;
    for (const QList<QVariant> &args : spy) {
        QStringList parts;
        for (const QVariant &arg : args)
            parts.append(arg.toString());
        texts.append(parts.join(QLatin1Char('|')));
    }
    return texts;
}

void TestProjectModel::refusals_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("names");

    const QStringList unchanged = list({"Pump", "Fan", "Valve"});
    const QString noName = QStringLiteral("A watch list needs a name.");
    // clang-format off
    QTest::newRow("append empty") << "append" << "" << "" << noName << unchanged;
    QTest::newRow("append dotted") << "append" << "A.B" << ""
        << "The watch list name \"A.B\" must not contain \".\"." << unchanged;
    QTest::newRow("append duplicate") << "append" << "Pump" << ""
        << "A watch list named \"Pump\" already exists." << unchanged;
    QTest::newRow("append differs in case") << "append" << "pump" << ""
        << "" << list({"Pump", "Fan", "Valve", "pump"});
    QTest::newRow("rename unknown") << "rename" << "Mixer" << "Motor"
        << "There is no watch list named \"Mixer\"." << unchanged;
    QTest::newRow("rename to empty") << "rename" << "Pump" << "" << noName << unchanged;
    QTest::newRow("rename to dotted") << "rename" << "Pump" << "P.1"
        << "The watch list name \"P.1\" must not contain \".\"." << unchanged;
    QTest::newRow("rename to duplicate") << "rename" << "Pump" << "Fan"
        << "A watch list named \"Fan\" already exists." << unchanged;
    QTest::newRow("rename") << "rename" << "Fan" << "Motor"
        << "" << list({"Pump", "Motor", "Valve"});
    QTest::newRow("remove unknown") << "remove" << "Mixer" << ""
        << "There is no watch list named \"Mixer\"." << unchanged;
    QTest::newRow("remove") << "remove" << "Fan" << "" << "" << list({"Pump", "Valve"});
    // clang-format on
}

void TestProjectModel::refusals()
{
    QFETCH(QString, operation);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, error);
    QFETCH(QStringList, names);

    QSignalSpy changed(m_lists, &SubModel::changed);
    bool done = false;
    if (operation == QLatin1String("append"))
        done = m_lists->appendWatchList(first);
    else if (operation == QLatin1String("rename"))
        done = m_lists->renameWatchList(first, second);
    else
        done = m_lists->removeWatchList(first);

    QCOMPARE(done, error.isEmpty());
    if (!done)
        QCOMPARE(m_lists->getLastError(), error);
    QCOMPARE(changed.count(), done ? 1 : 0);
    QCOMPARE(m_lists->getWatchListNames(), names);
}

void TestProjectModel::entryAccess()
{
    QCOMPARE(m_lists->getObject(2u)->getName(), QStringLiteral("Valve"));
    QVERIFY(!m_lists->getObject(3u));
    QVERIFY(!m_lists->getObject(QStringLiteral("pump")));

    WatchListObject *pump = m_lists->getObject(QStringLiteral("Pump"));
    QVERIFY(pump->appendVariable(QStringLiteral("D100")));
    QVERIFY(pump->appendVariable(QStringLiteral("M0")));
    for (int outside : {-1, 2}) {
        QCOMPARE(pump->getVariableName(outside), QString());
        QVERIFY(!pump->setVariableName(outside, QStringLiteral("X0")));
        QVERIFY(!pump->removeVariable(outside));
    }
    QVERIFY(!pump->insertVariable(3, QStringLiteral("X0")));
    QVERIFY(pump->insertVariable(2, QStringLiteral("X0")));
    QVERIFY(pump->removeVariable(0));
    QCOMPARE(pump->variables(), list({"M0", "X0"}));
}

void TestProjectModel::listDataIsInjective_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("equal");

    const QString loneSurrogate(QChar(0xD800));
    QTest::newRow("same") << list({"D100", "M0"}) << list({"D100", "M0"}) << true;
    QTest::newRow("order") << list({"D100", "M0"}) << list({"M0", "D100"}) << false;
    QTest::newRow("split text") << list({"a", "b"}) << list({"a\",\"b"}) << false;
    QTest::newRow("empty entries") << list({""}) << list({"", ""}) << false;
    QTest::newRow("no entries") << QStringList{} << list({""}) << false;
    QTest::newRow("lone surrogate") << QStringList{loneSurrogate} << list({"?"}) << false;
    QTest::newRow("replacement char")
        << QStringList{loneSurrogate} << QStringList{QString(QChar(0xFFFD))} << false;
}

void TestProjectModel::listDataIsInjective()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, equal);

    WatchListObject a(QStringLiteral("A"));
    WatchListObject b(QStringLiteral("B"));
    a.setVariables(first);
    b.setVariables(second);
    QCOMPARE(a.getListData() == b.getListData(), equal);
}

void TestProjectModel::softComponentCommentSignals()
{
    SoftComponentModel *components = m_project->softComponentModel();
    QCOMPARE(m_project->subModel("SoftComponentModel"), components);
    QSignalSpy dataChanged(components, &SoftComponentModel::dataChanged);

    components->setComment(QStringLiteral("D100"), QStringLiteral("Line pressure"));
    components->setComment(QStringLiteral("D100"), QStringLiteral("Line pressure"));
    components->setComment(QStringLiteral("D101"), QString());
    QCOMPARE(dataChanged.count(), 1);
    components->setComment(QStringLiteral("D100"), QString());
    QCOMPARE(dataChanged.count(), 2);
    QVERIFY(components->comments().isEmpty());
}

void TestProjectModel::symbolSyncReachesQueuedReceivers()
{
    SymbolSynchrinizer *sync = SymbolSynchrinizer::instance();
    QObject receiver;
    std::string received;
    SymbolSynchrinizer::SyncType receivedType = SymbolSynchrinizer::SyncAll;
    connect(
        sync,
        &SymbolSynchrinizer::syncComplied,
        &receiver,
        [&](SymbolSynchrinizer::SyncType type, const std::string &param) {
            receivedType = type;
            received = param;
        },
        Qt::QueuedConnection);

    sync->synchronize(SymbolSynchrinizer::SyncChanged, "Demo");
    QVERIFY(received.empty());
    QTRY_COMPARE(QString::fromStdString(received), QStringLiteral("Demo"));
    QCOMPARE(receivedType, SymbolSynchrinizer::SyncChanged);
}

enum class Command { Insert, Remove, Rename };
Q_DECLARE_METATYPE(Command)

void TestProjectModel::commandSteps_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("text");
    // After push, undo, redo, undo: the announcement ("" for none) and the names.
    QTest::addColumn<QStringList>("announcements");
    QTest::addColumn<QStringList>("names");

    const QString remove = QStringLiteral("PROJECT_MODEL_STACK_REMOVE|WatchListModel||");
    const QString insert = QStringLiteral("PROJECT_MODEL_STACK_INSERT|WatchListModel|");
    const QString rename = QStringLiteral("PROJECT_MODEL_STACK_RENAME|WatchListModel||");

    QTest::newRow("insert") << Command::Insert << "Add watch list Mixer"
                            << QStringList{QString(),
                                           remove + QStringLiteral("{\"NAME\":\"Mixer\"}"),
                                           insert + QStringLiteral("3|"),
                                           remove + QStringLiteral("{\"NAME\":\"Mixer\"}")}
                            << list({"Pump,Fan,Valve,Mixer",
                                     "Pump,Fan,Valve",
                                     "Pump,Fan,Valve,Mixer",
                                     "Pump,Fan,Valve"});
    QTest::newRow("remove")
        << Command::Remove << "Remove watch list Fan"
        << QStringList{QString(),
                       insert + QStringLiteral("1|"),
                       remove + QStringLiteral("{\"NAME\":\"Fan\"}"),
                       insert + QStringLiteral("1|")}
        << list({"Pump,Valve", "Pump,Fan,Valve", "Pump,Valve", "Pump,Fan,Valve"});
    QTest::newRow("rename")
        << Command::Rename << "Rename watch list Fan to Motor"
        << QStringList{QString(),
                       rename + QStringLiteral("Motor[*PROJECT_MODEL_STACK*]Fan"),
                       rename + QStringLiteral("Fan[*PROJECT_MODEL_STACK*]Motor"),
                       rename + QStringLiteral("Motor[*PROJECT_MODEL_STACK*]Fan")}
        << list({"Pump,Motor,Valve", "Pump,Fan,Valve", "Pump,Motor,Valve", "Pump,Fan,Valve"});
}

void TestProjectModel::commandSteps()
{
    QFETCH(Command, command);
    QFETCH(QString, text);
    QFETCH(QStringList, announcements);
    QFETCH(QStringList, names);

    // The order in which the plug-in changes the model around each push.
    QUndoCommand *pushed = nullptr;
    switch (command) {
    case Command::Insert:
        QVERIFY(m_lists->appendWatchList(QStringLiteral("Mixer")));
        pushed = new ModelInsertCommand(m_lists->getObject(QStringLiteral("Mixer")), m_lists);
        m_stack->push(pushed);
        break;
    case Command::Remove:
        pushed = new ModelRemoveCommand(m_lists->getObject(QStringLiteral("Fan")), m_lists);
        m_stack->push(pushed);
        QVERIFY(m_lists->removeWatchList(QStringLiteral("Fan")));
        break;
    case Command::Rename:
        pushed = new ModelRenameCommand(m_lists->getObject(QStringLiteral("Fan")),
                                        m_lists,
                                        QStringLiteral("Fan"),
                                        QStringLiteral("Motor"));
        m_stack->push(pushed);
        QVERIFY(m_lists->renameWatchList(QStringLiteral("Fan"), QStringLiteral("Motor")));
        break;
    }
    QCOMPARE(pushed->text(), text);

    for (int step = 0; step < announcements.size(); ++step) {
        if (step == 1 || step == 3)
            m_stack->undo();
        else if (step == 2)
            m_stack->redo();
        const QStringList expected =
            announcements.at(step).isEmpty() ? QStringList() : QStringList{announcements.at(step)};
        QCOMPARE(announcementTexts(*m_announced), expected);
        QCOMPARE(m_lists->getWatchListNames().join(QLatin1Char(',')), names.at(step));
        m_announced->clear();
    }
}

void TestProjectModel::undoneRemovalRestoresSameListWithEntries()
{
    WatchListObject *fan = m_lists->getObject(QStringLiteral("Fan"));
    fan->setVariables({QStringLiteral("D100"), QString(), QStringLiteral("M0")});
    fan->setPropertys(QStringLiteral("radix=16"));
    m_stack->push(new ModelRemoveCommand(fan, m_lists));
    QVERIFY(m_lists->removeWatchList(QStringLiteral("Fan")));
    QVERIFY(!m_lists->getObject(QStringLiteral("Fan")));

    m_stack->undo();
    QCOMPARE(m_lists->getObject(QStringLiteral("Fan")), fan);
    QCOMPARE(fan->variables(), list({"D100", "", "M0"}));
    QCOMPARE(fan->getPropertys(), QStringLiteral("radix=16"));
}

void TestProjectModel::redoPutsListBackWhereItWasTaken()
{
    QVERIFY(m_lists->appendWatchList(QStringLiteral("Mixer")));
    m_stack->push(new ModelInsertCommand(m_lists->getObject(QStringLiteral("Mixer")), m_lists));
    QVERIFY(m_lists->removeWatchList(QStringLiteral("Pump")));
    QVERIFY(m_lists->appendWatchList(QStringLiteral("Zed")));

    m_stack->undo();
    m_stack->redo();
    QCOMPARE(m_lists->getWatchListNames(), list({"Fan", "Valve", "Mixer", "Zed"}));
    QCOMPARE(m_announced->last().at(2).toString(), QStringLiteral("2"));
}

enum class Interference { ListRemoved, ListRenamed, NameTaken, ProjectDeleted };
Q_DECLARE_METATYPE(Interference)

void TestProjectModel::staleStepDoesNothing_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<Interference>("interference");

    QTest::newRow("insert, list removed") << Command::Insert << Interference::ListRemoved;
    QTest::newRow("insert, project gone") << Command::Insert << Interference::ProjectDeleted;
    QTest::newRow("remove, name taken") << Command::Remove << Interference::NameTaken;
    QTest::newRow("remove, project gone") << Command::Remove << Interference::ProjectDeleted;
    QTest::newRow("rename, list removed") << Command::Rename << Interference::ListRemoved;
    QTest::newRow("rename, renamed elsewhere") << Command::Rename << Interference::ListRenamed;
    QTest::newRow("rename, old name taken") << Command::Rename << Interference::NameTaken;
    QTest::newRow("rename, project gone") << Command::Rename << Interference::ProjectDeleted;
}

void TestProjectModel::staleStepDoesNothing()
{
    QFETCH(Command, command);
    QFETCH(Interference, interference);

    // Every command leaves the list named Fan out of the model or renamed to Motor.
    WatchListObject *fan = m_lists->getObject(QStringLiteral("Fan"));
    QString current = QStringLiteral("Fan");
    switch (command) {
    case Command::Insert:
        m_stack->push(new ModelInsertCommand(fan, m_lists));
        break;
    case Command::Remove:
        m_stack->push(new ModelRemoveCommand(fan, m_lists));
        QVERIFY(m_lists->removeWatchList(QStringLiteral("Fan")));
        break;
    case Command::Rename:
        m_stack->push(
            new ModelRenameCommand(fan, m_lists, QStringLiteral("Fan"), QStringLiteral("Motor")));
        QVERIFY(m_lists->renameWatchList(QStringLiteral("Fan"), QStringLiteral("Motor")));
        current = QStringLiteral("Motor");
        break;
    }

    switch (interference) {
    case Interference::ListRemoved:
        QVERIFY(m_lists->removeWatchList(current));
        break;
    case Interference::ListRenamed:
        QVERIFY(m_lists->renameWatchList(current, QStringLiteral("Other")));
        break;
    case Interference::NameTaken:
        QVERIFY(m_lists->appendWatchList(QStringLiteral("Fan")));
        break;
    case Interference::ProjectDeleted: {
        QPointer<ProjectModel> project(m_project);
        ProjectModelManager::instance()->closeProject("Demo");
        QVERIFY(!project);
        break;
    }
    }

    const QStringList before =
        interference == Interference::ProjectDeleted ? QStringList() : m_lists->getWatchListNames();
    m_stack->undo();
    QCOMPARE(m_announced->count(), 0);
    if (interference != Interference::ProjectDeleted)
        QCOMPARE(m_lists->getWatchListNames(), before);
}

void TestProjectModel::guardKeepsClosedProjectUntilReleased()
{
    ProjectModelManager *manager = ProjectModelManager::instance();
    QSignalSpy removed(manager, &ProjectModelManager::projectRemoved);
    QPointer<ProjectModel> project(m_project);
    auto guard = std::make_unique<SafeProjectModel>(manager->projectModel("Demo", false));
    QCOMPARE(m_project->pinCount(), 1);

    manager->closeProject("Demo");
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.at(0).at(0).toString(), QStringLiteral("Demo"));
    QVERIFY(!manager->projectModel("Demo", false));
    QVERIFY(manager->projectNames().empty());
    QCOMPARE(manager->projectModel("Demo", true), project.data());
    QVERIFY(project);
    QVERIFY(project->isClosing());

    auto *lists = qobject_cast<WatchListModel *>((*guard)->subModel("WatchListModel"));
    QVERIFY(lists);
    QVERIFY(lists->getObject(QStringLiteral("Pump")));

    SafeProjectModel moved(std::move(*guard));
    guard.reset();
    QVERIFY(project);
    QVERIFY(moved);

    moved = SafeProjectModel(nullptr);
    QVERIFY(!project);
    QVERIFY(!manager->projectModel("Demo", true));
}

void TestProjectModel::closeWithoutGuardDeletesAtOnce()
{
    QPointer<ProjectModel> project(m_project);
    {
        SafeProjectModel guard(m_project);
    }
    QVERIFY(project);
    QCOMPARE(ProjectModelManager::instance()->projectModel("Demo", false), project.data());
    ProjectModelManager::instance()->closeProject("Demo");
    QVERIFY(!project);
    QVERIFY(!ProjectModelManager::instance()->projectModel("Demo", true));
}

void TestProjectModel::moveAssignReleasesHeldProject()
{
    ProjectModelManager *manager = ProjectModelManager::instance();
    QVERIFY(manager->addProject(new ProjectModel("Other")));
    QPointer<AbstractProjectModel> demo(m_project);
    QPointer<AbstractProjectModel> other(manager->projectModel("Other", false));

    SafeProjectModel held(demo);
    manager->closeProject("Demo");
    QVERIFY(demo);

    held = SafeProjectModel(other);
    QVERIFY(!demo);
    QCOMPARE(held.get(), other.data());
    QCOMPARE(other->pinCount(), 1);
}

void TestProjectModel::addProjectRefusesOpenName()
{
    ProjectModelManager *manager = ProjectModelManager::instance();
    QSignalSpy added(manager, &ProjectModelManager::projectAdded);
    ProjectModel twin("Demo");
    QVERIFY(!manager->addProject(&twin));
    QVERIFY(!manager->addProject(m_project));
    QVERIFY(!manager->addProject(nullptr));
    QCOMPARE(added.count(), 0);

    // A project may be opened again while its closed predecessor is still held.
    QPointer<ProjectModel> old(m_project);
    SafeProjectModel guard(m_project);
    manager->closeProject("Demo");
    auto reopened = new ProjectModel("Demo");
    QVERIFY(manager->addProject(reopened));
    QCOMPARE(added.count(), 1);
    QCOMPARE(manager->projectModel("Demo", false), reopened);
    QCOMPARE(manager->projectModel("Demo", true), reopened);
    QVERIFY(old);
}

void TestProjectModel::projectDeletedElsewhereLeavesManager()
{
    delete m_project;
    QVERIFY(!ProjectModelManager::instance()->projectModel("Demo", true));
    QVERIFY(ProjectModelManager::instance()->projectNames().empty());
}

QTEST_MAIN(TestProjectModel)
#include "tst_projectmodel.moc"
