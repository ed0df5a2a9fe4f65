#include "accore.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "names.h"
#include "projectmodelmanager.h"
#include "solutiontree.h"
#include "workbench.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QStringList modelNames()
{
    QStringList names;
    for (const std::string &name : ProjectModelManager::instance()->projectNames())
        names.append(QString::fromStdString(name));
    return names;
}

} // namespace

// What the plug-in relies on of the workbench: closing projects and the
// current project.
class TestProjects : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void closeAnnouncesBeforeDropping();
    void textsInTheLanguageChosen_data();
    void textsInTheLanguageChosen();

private:
    bool open(const QString &name);

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

bool TestProjects::open(const QString &name)
{
    const QJsonObject project{
        {QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("name"), name},
        {QStringLiteral("device"), QStringLiteral("DEMO-FX")}};
    QFile file(m_dir.filePath(name + QStringLiteral(".wlproj")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(project).toJson()) < 0)
        return false;
    file.close();
    QString error;
    if (m_workbench->openProject(file.fileName(), &error))
        return true;
    qWarning("%s", qPrintable(error));
    return false;
}

void TestProjects::closeAnnouncesBeforeDropping()
{
    for (const char *name : {"Alpha", "Beta", "Gamma"})
        QVERIFY(open(QLatin1String(name)));
    m_workbench->setCurrentProject(QStringLiteral("Beta"));
    Solution::View *view = m_workbench->solutionTree();
    // At each announcement: the current project, "+" if its node and model are still there.
    QStringList atSignal;
    QObject context;
    connect(view, &Solution::View::projectClosed, &context, [&] {
        const QString name =
            m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString();
        const bool there =
            view->childNodes(QString()).contains(name) && modelNames().contains(name);
        atSignal.append(name + QLatin1String(there ? "+" : "-"));
    });
    QSignalSpy current(m_workbench.get(), &Workbench::currentProjectChanged);

    // A project closed in the background is current while it is announced;
    // the project current before is current again afterwards.
    m_workbench->closeProject(QStringLiteral("Alpha"));
    QCOMPARE(m_workbench->currentProject(), QStringLiteral("Beta"));
    m_workbench->closeProject(QStringLiteral("Beta"));
    QVERIFY(!SafeAccore("Beta", false));
    QCOMPARE(modelNames(), names("Gamma"));
    QCOMPARE(m_workbench->cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Gamma"));

    m_workbench->closeProject(QStringLiteral("Gamma"));
    QCOMPARE(atSignal, names("Alpha+,Beta+,Gamma+"));
    QVERIFY(!m_workbench->cookies()->contains(QStringLiteral("Project.Name")));
    QCOMPARE(current.last().at(0).toString(), QString());
}

// Qt's own buttons speak the language chosen too, from Qt's catalogues beside
// the workbench's.
void TestProjects::textsInTheLanguageChosen_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("English") << QString()
                             << QString::fromUtf8("OK|Cancel|Online with the simulated controller")
                                    .split(QLatin1Char('|'));
    QTest::newRow("Chinese")
        << QStringLiteral("zh_CN")
        << QString::fromUtf8("确定|取消|已与仿真控制器在线").split(QLatin1Char('|'));
}

void TestProjects::textsInTheLanguageChosen()
{
    QFETCH(QString, language);
    QFETCH(QStringList, texts);
    Workbench::setLanguage(language);
    const auto english = qScopeGuard([] { Workbench::setLanguage(QString()); });
    const QMessageBox box(QMessageBox::Information, QString(), QString(), QMessageBox::Ok);
    const QProgressDialog progress;
    const auto cancel = progress.findChild<QPushButton *>();
    QVERIFY(cancel);
    m_workbench->transfer()->setOnline(true);
    const QStringList shown{
        box.button(QMessageBox::Ok)->text(), cancel->text(), m_workbench->transfer()->stateText()};
    m_workbench->transfer()->setOnline(false);
    QCOMPARE(shown, texts);
}

QTEST_MAIN(TestProjects)
#include "tst_workbench.moc"
