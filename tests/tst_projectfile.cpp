#include "names.h"
#include "projectfile.h"
#include "projectmodel.h"
#include "softcomponentmodel.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// What a save runs into: the process's file-size limit, or a filesystem with
// only so much room left.
enum class Constraint { FileSizeLimit, FullFilesystem };

constexpr qint64 fileSizeLimit = 4096;

bool writeWhole(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

QString systemError(const char *what)
{
    return QString::fromLatin1(what) + QLatin1String(": ") +
           QString::fromLocal8Bit(strerror(errno));
}

// Mounts a tmpfs of sizeBytes over dir in a mount namespace of this process's
// own (as any user where the system allows user namespaces, else as root), so
// that nothing outside ever sees it.
QString mountPrivateTmpfs(const QString &dir, qint64 sizeBytes)
{
    const auto writeProc = [](const char *path, const QByteArray &text) {
        const int fd = ::open(path, O_WRONLY);
        const bool ok = fd >= 0 && writeWhole(fd, text.constData(), size_t(text.size()));
        if (fd >= 0)
            ::close(fd);
        return ok;
    };
    const QByteArray uid = QByteArray::number(geteuid());
    const QByteArray gid = QByteArray::number(getegid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
        if (!writeProc("/proc/self/setgroups", "deny") ||
            !writeProc("/proc/self/uid_map", "0 " + uid + " 1") ||
            !writeProc("/proc/self/gid_map", "0 " + gid + " 1"))
            return systemError("cannot map the user into a user namespace");
    } else if (unshare(CLONE_NEWNS) != 0) {
        return systemError("no mount namespace of its own");
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return systemError("cannot keep mounts private");
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0700";
    if (mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options.constData()) != 0)
        return systemError("cannot mount a tmpfs");
    return QString();
}

// Run in a child process, since a file-size limit is the whole process's and
// SIGXFSZ, unless ignored, ends it: writes the old file into dir, then saves
// the project over it under the constraint. Reports what came of it, or why
// the machine could not provide the constraint.
QByteArray saveInChild(Constraint constraint,
                       qint64 room,
                       const QString &dir,
                       const QByteArray &old,
                       const ProjectModel &project)
{
    const QString path = QDir(dir).filePath(QStringLiteral("project.json"));
    // The default action, as in any program that does not see to it itself.
    std::signal(SIGXFSZ, SIG_DFL);
    QString setupProblem;
    if (constraint == Constraint::FullFilesystem) // the old file takes one page
        setupProblem = mountPrivateTmpfs(dir, sysconf(_SC_PAGESIZE) + room);
    if (setupProblem.isEmpty() && !writeBytes(path, old))
        setupProblem = QStringLiteral("cannot write the old file");
    if (setupProblem.isEmpty() && constraint == Constraint::FileSizeLimit) {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = fileSizeLimit;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            setupProblem = systemError("cannot limit the file size");
    }
    bool saved = false;
    QString error;
    if (setupProblem.isEmpty())
        saved = ProjectFile::save(project, path, &error);
    QByteArray report;
    QDataStream stream(&report, QIODevice::WriteOnly);
    stream << setupProblem << saved << error << readBytes(path)
           << QDir(dir).entryList(QDir::Files | QDir::Hidden);
    return report;
}

} // namespace

Q_DECLARE_METATYPE(Constraint)

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
    void failedSaveKeepsOldFile_data();
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

void TestProjectFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<Constraint>("constraint");
    QTest::addColumn<qint64>("room"); // on the filesystem, beside the old file
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("reason");

    const QString tooLarge = QStringLiteral("File too large");
    const QString noSpace = QStringLiteral("No space left on device");
    // Some 8 KiB of project fit Qt's write buffer, which once went to disk
    // only on commit and replaced the file even when that write failed.
    QTest::newRow("file-size limit, small project")
        << Constraint::FileSizeLimit << qint64(0) << 600 << tooLarge;
    QTest::newRow("file-size limit, large project, the limit reached part way")
        << Constraint::FileSizeLimit << qint64(0) << 20000 << tooLarge;
    QTest::newRow("full filesystem, small project")
        << Constraint::FullFilesystem << qint64(0) << 600 << noSpace;
    QTest::newRow("full filesystem, large project, the room used up part way")
        << Constraint::FullFilesystem << qint64(16384) << 20000 << noSpace;
}

// A save that runs out of room fails, says why, and leaves the old file as it
// was and no temporary file behind; past a file-size limit the process lives on.
void TestProjectFile::failedSaveKeepsOldFile()
{
    QFETCH(Constraint, constraint);
    QFETCH(qint64, room);
    QFETCH(int, entries);
    QFETCH(QString, reason);

    ProjectModel project("Demo");
    QVERIFY(project.watchListModel()->appendWatchList(QStringLiteral("Big")));
    project.watchListModel()->getObject(QStringLiteral("Big"))->setVariables(numbered(entries));
    QVERIFY(ProjectFile::serialize(project).size() > fileSizeLimit + room);
    const QByteArray old = "old content";

    int pipeEnds[2];
    QCOMPARE(pipe(pipeEnds), 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        const QByteArray report = saveInChild(constraint, room, m_dir->path(), old, project);
        _exit(writeWhole(pipeEnds[1], report.constData(), size_t(report.size())) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QByteArray report;
    char chunk[4096];
    pollfd readable{pipeEnds[0], POLLIN, 0};
    for (;;) {
        if (poll(&readable, 1, 30000) != 1) {
            kill(child, SIGKILL); // silent for 30 s: stuck
            break;
        }
        const ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
        if (got <= 0)
            break;
        report.append(chunk, int(got));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(
        !WIFSIGNALED(status),
        qPrintable(QStringLiteral("the saving process ended by signal %1").arg(WTERMSIG(status))));
    QCOMPARE(WEXITSTATUS(status), 0);

    QString setupProblem;
    bool saved = true;
    QString error;
    QByteArray bytesAfter;
    QStringList filesAfter;
    QDataStream stream(report);
    stream >> setupProblem >> saved >> error >> bytesAfter >> filesAfter;
    QCOMPARE(stream.status(), QDataStream::Ok);
    if (!setupProblem.isEmpty())
        QSKIP(qPrintable(QStringLiteral("This machine cannot provide it: ") + setupProblem));

    QVERIFY(!saved);
    const QString path = m_dir->filePath(QStringLiteral("project.json"));
    QCOMPARE(error,
             QStringLiteral("The project file \"%1\" cannot be written: %2.")
                 .arg(QDir::toNativeSeparators(path), reason));
    QCOMPARE(bytesAfter, old);
    QCOMPARE(filesAfter, QStringList{QStringLiteral("project.json")});
}

QTEST_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
