#include "names.h"
#include "projectfile.h"
#include "projectmodel.h"
#include "softcomponentmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList numbered(int count)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(QLatin1Char('D') + QString::number(i));
    return entries;
}

} // namespace

// What stands at the path instead of a file written with the content.
enum class Special { None, Pipe, Oversized };
Q_DECLARE_METATYPE(Special)

class TestProjectFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void roundTrip();
    void loadsHandWrittenProject();
    void corruptInputIsRefused_data();
    void corruptInputIsRefused();
    void failedSaveKeepsOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProjectFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

// Non-ASCII names, empty entries and a long list: everything comes back.
void TestProjectFile::roundTrip()
{
    const QString projectName = QString::fromUtf8("Wärme");
    const QStringList lists = names("Motor,监视_1");
    const QStringList entries =
        QStringList{QString(), QString::fromUtf8("温度"), QString()} + numbered(100000);

    ProjectModel project(projectName.toStdString());
    project.setDeviceName(QStringLiteral("DEMO-FX"));
    project.setSymbols(
        {{QStringLiteral("Motor_Speed"),
          QStringLiteral("INT"),
          QStringLiteral("D200"),
          QString::fromUtf8("Drehzahl in U/min"),
          names("MAIN: network 3,MAIN: network 7")},
         {QStringLiteral("Ready"), QStringLiteral("BOOL"), QString(), QString(), {}}});
    project.softComponentModel()->setComment(QStringLiteral("D100"),
                                             QString::fromUtf8("Leitungsdruck \"bar\""));
    for (const QString &name : lists) {
        QVERIFY(project.watchListModel()->appendWatchList(name));
        WatchListObject *list = project.watchListModel()->getObject(name);
        list->setVariables(entries);
        list->setPropertys(QLatin1String("{\"radix\":16,\"of\":\"") + name + QLatin1String("\"}"));
    }

    const QString path = m_dir->filePath(QStringLiteral("project.json"));
    QString error;
    QVERIFY2(ProjectFile::save(project, path, &error), qPrintable(error));
    const QByteArray saved = readBytes(path);

    std::unique_ptr<ProjectModel> loaded = ProjectFile::load(path, &error);
    QVERIFY2(loaded, qPrintable(error));
    QCOMPARE(loaded->projectName(), projectName);
    QCOMPARE(loaded->filePath(), path);
    QCOMPARE(loaded->watchListModel()->getWatchListNames(), lists);
    // Everything else the file holds: device, every member of every symbol,
    // comments, and each list's properties and entries.
    QVERIFY(ProjectFile::fingerprint(*loaded) == ProjectFile::fingerprint(project));

    // Saving what was loaded gives the same bytes: nothing is lost or reordered.
    const QString again = m_dir->filePath(QStringLiteral("again.json"));
    QVERIFY2(ProjectFile::save(*loaded, again, &error), qPrintable(error));
    QVERIFY(readBytes(again) == saved);
}

void TestProjectFile::loadsHandWrittenProject()
{
    const QString path = m_dir->filePath(QStringLiteral("demo.json"));
    QVERIFY(writeBytes(path, R"({"format":"watchlist-workbench-project","version":1,
        "name":"Demo","device":"DEMO-FX",
        "symbols":[{"name":"Motor_Speed","dataType":"INT","address":"D200","comment":"rpm",
                    "references":["MAIN: network 3"]}],
        "softComponents":{"D100":"Line pressure"},
        "watchLists":[{"name":"Motor","properties":"","entries":["D100","M0"]},
                      {"name":"Empty"}]})"));

    QString error;
    std::unique_ptr<ProjectModel> project = ProjectFile::load(path, &error);
    QVERIFY2(project, qPrintable(error));
    QCOMPARE(project->projectName(), QStringLiteral("Demo"));
    QCOMPARE(project->symbol(QStringLiteral("Motor_Speed"))->references, names("MAIN: network 3"));
    QCOMPARE(project->softComponentModel()->comment(QStringLiteral("D100")),
             QStringLiteral("Line pressure"));
    QCOMPARE(project->watchListModel()->getWatchListNames(), names("Motor,Empty"));
    QCOMPARE(project->watchListModel()->getObject(QStringLiteral("Motor"))->variables(),
             names("D100,M0"));
    QCOMPARE(project->watchListModel()->getObject(QStringLiteral("Empty"))->getCount(), 0);
}

void TestProjectFile::corruptInputIsRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<Special>("special");

    const auto row = [](const char *tag,
                        const QByteArray &content,
                        const char *reason,
                        Special special = Special::None) {
        QTest::newRow(tag) << content << QString::fromUtf8(reason) << special;
    };
    const QByteArray head = R"({"format":"watchlist-workbench-project","version":)";
    const QByteArray valid =
        head + R"(1,"name":"Demo","watchLists":[{"name":"A","entries":["D1"]}]})";
    row("empty file", "", "is empty");
    row("truncated JSON", valid.left(valid.size() - 6), "not valid JSON");
    row("wrong format", R"({"format":"other","version":1,"name":"Demo"})", "\"format\"");
    row("unsupported version", head + R"(2,"name":"Demo"})", "Version 2 is not supported");
    row("duplicate list names",
        head + R"(1,"name":"Demo","watchLists":[{"name":"A"},{"name":"B"},{"name":"A"}]})",
        "Watch list 3: A watch list named \"A\" already exists");
    row("entry of wrong type",
        head + R"(1,"name":"Demo","watchLists":[{"name":"A","entries":["D1",5]}]})",
        "Entry 2 of watch list \"A\" is not a text");
    row("named pipe", QByteArray(), "not a regular file", Special::Pipe);
    row("over 1 GiB", QByteArray(), "more than the 1 GiB", Special::Oversized);
}

void TestProjectFile::corruptInputIsRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QFETCH(Special, special);

    const QString path = m_dir->filePath(QString::fromUtf8("projekt ä.json"));
    QFile file(path);
    if (special == Special::Pipe) // opening it to read would wait for a writer forever
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (special == Special::Oversized) // sparse: no disk space is used
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(ProjectFile::maxFileSize + 1));
    else
        QVERIFY(writeBytes(path, content));

    QString error;
    QVERIFY(!ProjectFile::load(path, &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    if (special == Special::None)
        QVERIFY(readBytes(path) == content);
}

// A write that fails after the temporary file exists (here: past a file-size
// limit) must leave the old file as it was and no temporary behind.
void TestProjectFile::failedSaveKeepsOldFile()
{
    const QString path = m_dir->filePath(QStringLiteral("project.json"));
    const QByteArray old = "old content";
    QVERIFY(writeBytes(path, old));

    ProjectModel project("Demo");
    QVERIFY(project.watchListModel()->appendWatchList(QStringLiteral("Big")));
    project.watchListModel()->getObject(QStringLiteral("Big"))->setVariables(numbered(20000));

    rlimit original{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit small = original;
    small.rlim_cur = 4096;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = ProjectFile::save(project, path, &error);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!saved);
    QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
    QVERIFY(readBytes(path) == old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             QStringList{QStringLiteral("project.json")});
}

QTEST_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
