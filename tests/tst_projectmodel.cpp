#include "modelcommands.h"
#include "names.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <memory>

enum class Command { Insert, Remove, Rename };
Q_DECLARE_METATYPE(Command)
enum class Interference { ListRemoved, ListRenamed, NameTaken, ProjectDeleted };
Q_DECLARE_METATYPE(Interference)
enum class Guard { ReleasedBeforeClose, Destroyed, Moved, Reassigned, ReopenedWhileHeld };
Q_DECLARE_METATYPE(Guard)

namespace {

// Each commandExecuted as "type|subModel|path|param".
QStringList announcementTexts(const QSignalSpy &spy)
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

} // namespace

class TestProjectModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void refusals_data();
    void refusals();
    void listDataIsInjective_data();
    void listDataIsInjective();

    void commandSteps_data();
    void commandSteps();
    void staleStepDoesNothing_data();
    void staleStepDoesNothing();

    void guardDefersDeletion_data();
    void guardDefersDeletion();

private:
    QString pushChange(Command command);

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

void TestProjectModel::refusals_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("names");

    const QStringList unchanged = names("Pump,Fan,Valve");
    const QString noName = QStringLiteral("A watch list needs a name.");
    // clang-format off
    QTest::newRow("append empty") << "append" << "" << "" << noName << unchanged;
    QTest::newRow("append differs in case") << "append" << "pump" << ""
        << "" << names("Pump,Fan,Valve,pump");
    QTest::newRow("rename unknown") << "rename" << "Mixer" << "Motor"
        << "There is no watch list named \"Mixer\"." << unchanged;
    QTest::newRow("rename to dotted") << "rename" << "Pump" << "P.1"
        << "The watch list name \"P.1\" must not contain \".\"." << unchanged;
    QTest::newRow("rename to duplicate") << "rename" << "Valve" << "Pump"
        << "A watch list named \"Pump\" already exists." << unchanged;
    QTest::newRow("rename") << "rename" << "Fan" << "Mixer" << "" << names("Pump,Mixer,Valve");
    QTest::newRow("remove unknown") << "remove" << "Mixer" << ""
        << "There is no watch list named \"Mixer\"." << unchanged;
    // clang-format on
}

void TestProjectModel::refusals()
{
    QFETCH(QString, operation);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, error);

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
    QTEST(m_lists->getWatchListNames(), "names");
}

void TestProjectModel::listDataIsInjective_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("equal");

    const QString loneSurrogate(QChar(0xD800));
    const QStringList oneEmpty{QString()};
    QTest::newRow("same") << names("D100,M0") << names("D100,M0") << true;
    QTest::newRow("order") << names("D100,M0") << names("M0,D100") << false;
    QTest::newRow("split text") << names("a,b") << QStringList{QStringLiteral("a\",\"b")} << false;
    QTest::newRow("empty entries") << oneEmpty << oneEmpty + oneEmpty << false;
    QTest::newRow("no entries") << QStringList{} << oneEmpty << false;
    QTest::newRow("lone surrogate") << QStringList{loneSurrogate} << names("?") << false;
    QTest::newRow("replacement char")
        << QStringList{loneSurrogate} << QStringList{QString(QChar(0xFFFD))} << false;
}

void TestProjectModel::listDataIsInjective()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, equal);

    const auto listData = [](const QStringList &entries) {
        WatchListObject list(QStringLiteral("L"));
        list.setVariables(entries);
        return list.getListData();
    };
    QCOMPARE(listData(first) == listData(second), equal);
}

// Changes the model around the push in the order the plug-in does; returns the
// name the changed list has now.
QString TestProjectModel::pushChange(Command command)
{
    const QString fan = QStringLiteral("Fan");
    switch (command) {
    case Command::Insert:
        m_lists->appendWatchList(QStringLiteral("Mixer"));
        m_stack->push(new ModelInsertCommand(m_lists->getObject(QStringLiteral("Mixer")), m_lists));
        return QStringLiteral("Mixer");
    case Command::Remove:
        m_stack->push(new ModelRemoveCommand(m_lists->getObject(fan), m_lists));
        m_lists->removeWatchList(fan);
        return fan;
    case Command::Rename:
        m_stack->push(
            new ModelRenameCommand(m_lists->getObject(fan), m_lists, fan, QStringLiteral("Motor")));
        m_lists->renameWatchList(fan, QStringLiteral("Motor"));
        return QStringLiteral("Motor");
    }
    return QString();
}

void TestProjectModel::commandSteps_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<bool>("shuffled"); // Pump removed and Zed added after the push
    QTest::addColumn<QString>("text");
    // After push, undo, redo, undo: the announcement ("" for none) and the names.
    QTest::addColumn<QStringList>("announcements");
    QTest::addColumn<QStringList>("listNames");

    const QString remove = QStringLiteral("PROJECT_MODEL_STACK_REMOVE|WatchListModel||");
    const QString insert = QStringLiteral("PROJECT_MODEL_STACK_INSERT|WatchListModel|");
    const QString rename = QStringLiteral("PROJECT_MODEL_STACK_RENAME|WatchListModel||");
    const QString mixer = remove + QStringLiteral("{\"NAME\":\"Mixer\"}");
    const QString fanToMotor = rename + QStringLiteral("Fan[*PROJECT_MODEL_STACK*]Motor");
    const QString motorToFan = rename + QStringLiteral("Motor[*PROJECT_MODEL_STACK*]Fan");

    QTest::newRow("insert")
        << Command::Insert << false << "Add watch list Mixer"
        << QStringList{QString(), mixer, insert + QStringLiteral("3|"), mixer}
        << names("Pump Fan Valve Mixer,Pump Fan Valve,Pump Fan Valve Mixer,Pump Fan Valve");
    // Redo puts the list back where undo took it from, not where it was first added.
    QTest::newRow("insert, lists shuffled")
        << Command::Insert << true << "Add watch list Mixer"
        << QStringList{QString(), mixer, insert + QStringLiteral("2|"), mixer}
        << names("Fan Valve Mixer Zed,Fan Valve Zed,Fan Valve Mixer Zed,Fan Valve Zed");
    QTest::newRow("remove") << Command::Remove << false << "Remove watch list Fan"
                            << QStringList{QString(),
                                           insert + QStringLiteral("1|"),
                                           remove + QStringLiteral("{\"NAME\":\"Fan\"}"),
                                           insert + QStringLiteral("1|")}
                            << names("Pump Valve,Pump Fan Valve,Pump Valve,Pump Fan Valve");
    QTest::newRow("rename")
        << Command::Rename << false << "Rename watch list Fan to Motor"
        << QStringList{QString(), motorToFan, fanToMotor, motorToFan}
        << names("Pump Motor Valve,Pump Fan Valve,Pump Motor Valve,Pump Fan Valve");
}

void TestProjectModel::commandSteps()
{
    QFETCH(Command, command);
    QFETCH(bool, shuffled);
    QFETCH(QStringList, announcements);
    QFETCH(QStringList, listNames);

    WatchListObject *fan = m_lists->getObject(QStringLiteral("Fan"));
    fan->setVariables({QStringLiteral("D100"), QString(), QStringLiteral("M0")});
    fan->setPropertys(QStringLiteral("radix=16"));
    pushChange(command);
    QTEST(m_stack->undoText(), "text");
    if (shuffled) {
        QVERIFY(m_lists->removeWatchList(QStringLiteral("Pump")));
        QVERIFY(m_lists->appendWatchList(QStringLiteral("Zed")));
    }

    for (int step = 0; step < announcements.size(); ++step) {
        if (step == 1 || step == 3)
            m_stack->undo();
        else if (step == 2)
            m_stack->redo();
        QCOMPARE(announcementTexts(*m_announced).join(QLatin1Char('\n')), announcements.at(step));
        QCOMPARE(m_lists->getWatchListNames().join(QLatin1Char(' ')), listNames.at(step));
        m_announced->clear();
    }
    // Undo brings back the very list, entries and all.
    QCOMPARE(m_lists->getObject(QStringLiteral("Fan")), fan);
    QCOMPARE(fan->variables(),
             (QStringList{QStringLiteral("D100"), QString(), QStringLiteral("M0")}));
    QCOMPARE(fan->getPropertys(), QStringLiteral("radix=16"));
}

void TestProjectModel::staleStepDoesNothing_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<Interference>("interference");

    QTest::newRow("insert, list removed") << Command::Insert << Interference::ListRemoved;
    QTest::newRow("insert, project gone") << Command::Insert << Interference::ProjectDeleted;
    QTest::newRow("remove, name taken") << Command::Remove << Interference::NameTaken;
    QTest::newRow("remove, project gone") << Command::Remove << Interference::ProjectDeleted;
    QTest::newRow("rename, renamed elsewhere") << Command::Rename << Interference::ListRenamed;
    QTest::newRow("rename, old name taken") << Command::Rename << Interference::NameTaken;
    QTest::newRow("rename, project gone") << Command::Rename << Interference::ProjectDeleted;
}

void TestProjectModel::staleStepDoesNothing()
{
    QFETCH(Command, command);
    QFETCH(Interference, interference);

    const QString current = pushChange(command);
    QPointer<ProjectModel> project(m_project);
    if (interference == Interference::ListRemoved)
        QVERIFY(m_lists->removeWatchList(current));
    else if (interference == Interference::ListRenamed)
        QVERIFY(m_lists->renameWatchList(current, QStringLiteral("Other")));
    else if (interference == Interference::NameTaken)
        QVERIFY(m_lists->appendWatchList(QStringLiteral("Fan")));
    else
        ProjectModelManager::instance()->closeProject("Demo");
    QCOMPARE(!project, interference == Interference::ProjectDeleted);

    const QStringList before = project ? m_lists->getWatchListNames() : QStringList();
    m_stack->undo();
    QCOMPARE(m_announced->count(), 0);
    if (project)
        QCOMPARE(m_lists->getWatchListNames(), before);
}

void TestProjectModel::guardDefersDeletion_data()
{
    QTest::addColumn<Guard>("guard");
    QTest::newRow("released before close") << Guard::ReleasedBeforeClose;
    QTest::newRow("destroyed") << Guard::Destroyed;
    QTest::newRow("moved") << Guard::Moved;
    QTest::newRow("reassigned") << Guard::Reassigned;
    QTest::newRow("project reopened while held") << Guard::ReopenedWhileHeld;
}

void TestProjectModel::guardDefersDeletion()
{
    QFETCH(Guard, guard);
    ProjectModelManager *manager = ProjectModelManager::instance();
    QVERIFY(manager->addProject(new ProjectModel("Other")));
    QPointer<ProjectModel> project(m_project);
    auto held = std::make_unique<SafeProjectModel>(manager->projectModel("Demo", false));
    QCOMPARE(m_project->pinCount(), 1);
    if (guard == Guard::ReleasedBeforeClose)
        held.reset();
    QSignalSpy removed(manager, &ProjectModelManager::projectRemoved);

    manager->closeProject("Demo");
    QCOMPARE(removed.count(), 1);
    QVERIFY(!manager->projectModel("Demo", false));
    QCOMPARE(manager->projectModel("Demo", true), project.data());
    if (!held) {
        QVERIFY(!project);
        return;
    }
    QVERIFY(project && project->isClosing());
    auto *lists = qobject_cast<WatchListModel *>((*held)->subModel("WatchListModel"));
    QVERIFY(lists && lists->getObject(QStringLiteral("Pump")));

    ProjectModel *reopened = nullptr;
    if (guard == Guard::Moved) {
        SafeProjectModel moved(std::move(*held));
        held.reset();
        QVERIFY(project && moved);
    } else if (guard == Guard::Reassigned) {
        AbstractProjectModel *other = manager->projectModel("Other", false);
        *held = SafeProjectModel(other);
        QCOMPARE(held->get(), other);
        QCOMPARE(other->pinCount(), 1);
        QVERIFY(!project);
    } else if (guard == Guard::ReopenedWhileHeld) {
        QVERIFY(manager->addProject(reopened = new ProjectModel("Demo")));
        QCOMPARE(manager->projectModel("Demo", true), reopened);
        QVERIFY(project);
    }
    held.reset();
    QVERIFY(!project);
    QCOMPARE(manager->projectModel("Demo", true), reopened);
}

QTEST_MAIN(TestProjectModel)
#include "tst_projectmodel.moc"
