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

    void commandSteps_data();
    void commandSteps();
    void staleStepDoesNothing();
    void guardDefersDeletion();
    void entryLimit();
    void listDataTellsListsApart_data();
    void listDataTellsListsApart();
    void listDataFollowsChanges_data();
    void listDataFollowsChanges();

private:
    void pushChange(Command command);

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

// Changes the model around the push in the order the plug-in does.
void TestProjectModel::pushChange(Command command)
{
    const QString fan = QStringLiteral("Fan");
    switch (command) {
    case Command::Insert:
        m_lists->appendWatchList(QStringLiteral("Mixer"));
        m_stack->push(new ModelInsertCommand(m_lists->getObject(QStringLiteral("Mixer")), m_lists));
        return;
    case Command::Remove:
        m_stack->push(new ModelRemoveCommand(m_lists->getObject(fan), m_lists));
        m_lists->removeWatchList(fan);
        return;
    case Command::Rename:
        m_stack->push(
            new ModelRenameCommand(m_lists->getObject(fan), m_lists, fan, QStringLiteral("Motor")));
        m_lists->renameWatchList(fan, QStringLiteral("Motor"));
        return;
    }
}

void TestProjectModel::commandSteps_data()
{
    QTest::addColumn<Command>("command");
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
        << Command::Insert << "Add watch list Mixer"
        << QStringList{QString(), mixer, insert + QStringLiteral("3|"), mixer}
        << names("Pump Fan Valve Mixer,Pump Fan Valve,Pump Fan Valve Mixer,Pump Fan Valve");
    QTest::newRow("remove") << Command::Remove << "Remove watch list Fan"
                            << QStringList{QString(),
                                           insert + QStringLiteral("1|"),
                                           remove + QStringLiteral("{\"NAME\":\"Fan\"}"),
                                           insert + QStringLiteral("1|")}
                            << names("Pump Valve,Pump Fan Valve,Pump Valve,Pump Fan Valve");
    QTest::newRow("rename")
        << Command::Rename << "Rename watch list Fan to Motor"
        << QStringList{QString(), motorToFan, fanToMotor, motorToFan}
        << names("Pump Motor Valve,Pump Fan Valve,Pump Motor Valve,Pump Fan Valve");
}

void TestProjectModel::commandSteps()
{
    QFETCH(Command, command);
    QFETCH(QStringList, announcements);
    QFETCH(QStringList, listNames);

    WatchListObject *fan = m_lists->getObject(QStringLiteral("Fan"));
    fan->setVariables({QStringLiteral("D100"), QString(), QStringLiteral("M0")});
    fan->setPropertys(QStringLiteral("radix=16"));
    pushChange(command);
    QTEST(m_stack->undoText(), "text");

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

// Undoing a removal once another list took the name must not give two lists
// one name.
void TestProjectModel::staleStepDoesNothing()
{
    pushChange(Command::Remove);
    QVERIFY(m_lists->appendWatchList(QStringLiteral("Fan")));
    m_stack->undo();
    QCOMPARE(m_announced->count(), 0);
    QCOMPARE(m_lists->getWatchListNames(), names("Pump,Valve,Fan"));
}

// The plug-in's windows hold their project through a guard: a closed project
// stays readable until the last guard goes.
void TestProjectModel::guardDefersDeletion()
{
    ProjectModelManager *manager = ProjectModelManager::instance();
    QPointer<ProjectModel> project(m_project);
    auto held = std::make_unique<SafeProjectModel>(manager->projectModel("Demo", false));
    manager->closeProject("Demo");
    QVERIFY(!manager->projectModel("Demo", false));
    QVERIFY(project && project->isClosing());
    auto *lists = qobject_cast<WatchListModel *>((*held)->subModel("WatchListModel"));
    QVERIFY(lists && lists->getObject(QStringLiteral("Pump")));
    held.reset();
    QVERIFY(!project);
}

// A full list takes no more entries. The entries are one shared empty
// text: the list's own pointers (80 MB) are the whole cost.
void TestProjectModel::entryLimit()
{
    WatchListObject list(QStringLiteral("Full"));
    QStringList entries;
    entries.reserve(WatchListObject::MaxCount + 1);
    for (int i = 0; i <= WatchListObject::MaxCount; ++i)
        entries.append(QString());

    QVERIFY(!list.setVariables(entries));
    QCOMPARE(list.getCount(), 0);
    entries.removeLast();
    QVERIFY(list.setVariables(entries));
    QCOMPARE(list.getCount(), WatchListObject::MaxCount);
    QVERIFY(!list.appendVariable(QStringLiteral("D0")));
    QCOMPARE(list.getCount(), WatchListObject::MaxCount);
    QCOMPARE(list.getVariableName(WatchListObject::MaxCount - 1), QString());
}

// The comparator of watch lists compares list data only: equal entries give
// equal bytes, and any difference in the entries different bytes.
void TestProjectModel::listDataTellsListsApart_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<bool>("same");

    const QStringList numbered{QStringLiteral("D0"), QStringLiteral("M1.3"), QString()};
    QStringList copied;
    for (const QString &entry : numbered)
        copied.append(QString(entry.constData(), entry.size())); // shares nothing
    QTest::newRow("equal entries") << numbered << copied << true;
    QTest::newRow("the same text split elsewhere")
        << QStringList{QStringLiteral("ab"), QStringLiteral("c")}
        << QStringList{QStringLiteral("a"), QStringLiteral("bc")} << false;
    QTest::newRow("no entry, one empty entry") << QStringList() << QStringList{QString()} << false;
    QTest::newRow("one empty entry, two")
        << QStringList{QString()} << QStringList{QString(), QString()} << false;
    QTest::newRow("a lone surrogate, its replacement")
        << QStringList{QString(QChar(0xD800))} << QStringList{QString(QChar(0xFFFD))} << false;
    QTest::newRow("case") << QStringList{QStringLiteral("D0")} << QStringList{QStringLiteral("d0")}
                          << false;
    // Past 1 GiB of entries a digest stands in for the bytes; one text of
    // 1 Mi characters, shared, keeps the memory small.
    const QString big(1 << 20, QLatin1Char('D'));
    QStringList huge;
    for (int i = 0; i < 520; ++i)
        huge.append(big);
    QStringList hugeChanged = huge;
    hugeChanged.last() = QString(1 << 20, QLatin1Char('M'));
    QTest::newRow("over 1 GiB, the last entry differing") << huge << hugeChanged << false;
}

void TestProjectModel::listDataTellsListsApart()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(bool, same);
    WatchListObject a(QStringLiteral("A"));
    WatchListObject b(QStringLiteral("B"));
    QVERIFY(a.setVariables(first) && b.setVariables(second));
    QCOMPARE(a.getListData() == b.getListData(), same);
}

// The list data is kept between changes: every change of the entries gives
// the bytes of the entries as they are now, and bytes handed out before stay
// as they were.
void TestProjectModel::listDataFollowsChanges_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<QStringList>("after");
    const QStringList before{QStringLiteral("D0"), QStringLiteral("D1")};
    QTest::newRow("an entry renamed") << 0 << QStringList{QStringLiteral("M5"), before[1]};
    QTest::newRow("an entry appended") << 1 << before + QStringList{QStringLiteral("M5")};
    QTest::newRow("an entry removed") << 2 << QStringList{before[1]};
    QTest::newRow("the entries replaced") << 3 << QStringList{QStringLiteral("M5")};
}

void TestProjectModel::listDataFollowsChanges()
{
    QFETCH(int, change);
    QFETCH(QStringList, after);
    WatchListObject list(QStringLiteral("L"));
    QVERIFY(list.setVariables({QStringLiteral("D0"), QStringLiteral("D1")}));
    const QByteArray held = list.getListData();
    const QByteArray heldCopy(held.constData(), held.size());
    switch (change) {
    case 0:
        QVERIFY(list.setVariableName(0, QStringLiteral("M5")));
        break;
    case 1:
        QVERIFY(list.appendVariable(QStringLiteral("M5")));
        break;
    case 2:
        QVERIFY(list.removeVariable(0));
        break;
    default:
        QVERIFY(list.setVariables({QStringLiteral("M5")}));
    }
    WatchListObject fresh(QStringLiteral("F"));
    QVERIFY(fresh.setVariables(after));
    QCOMPARE(list.getListData(), fresh.getListData());
    QCOMPARE(held, heldCopy);
    // Built again into the buffer no caller holds any more.
    QVERIFY(list.setVariables(after + after));
    QVERIFY(fresh.setVariables(after + after));
    QCOMPARE(list.getListData(), fresh.getListData());
}

QTEST_MAIN(TestProjectModel)
#include "tst_projectmodel.moc"
