#include "hostfixture.h"
#include "names.h"

#include "comparatormanager.h"
#include "iapplication.h"
#include "icomparator.h"
#include "objectregistry.h"
#include "plugininterface.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "vartreewidget.h"
#include "watchlistclient.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QString::number(i));
    return names;
}

// A comparator of the host's own, registered before the plug-in starts.
class HostComparator : public IComparator
{
public:
    QString typeKey() const override { return QStringLiteral("TYPE.WATCHLIST"); }
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
    void comparator_data();
    void comparator();
    void comparatorManagerChoices_data();
    void comparatorManagerChoices();
    void compareProjects();

private:
    QObject *service() const;
    VarTreeWidget *windowTree(const QString &name) const;

    std::unique_ptr<HostFixture> host;
    PluginInterface *plugin = nullptr;
};

QObject *tst_Services::service() const
{
    // The plug-in's own service object, whatever the registry holds.
    return plugin ? plugin->findChild<QObject *>(QStringLiteral("orvane.watchlist")) : nullptr;
}

VarTreeWidget *tst_Services::windowTree(const QString &name) const
{
    QWidget *window =
        host->workbench().toolWindows()->toolWindowWidget(QStringLiteral("watchlist.") + name);
    return window ? window->findChild<VarTreeWidget *>() : nullptr;
}

void tst_Services::registration_data()
{
    QTest::addColumn<bool>("earlierObject");
    QTest::newRow("name free") << false;
    QTest::newRow("name taken") << true;
}

void tst_Services::registration()
{
    QFETCH(bool, earlierObject);

    QObject earlier;
    earlier.setObjectName(QStringLiteral("orvane.watchlist"));
    ObjectRegistry *registry = host->workbench().application()->objectRegistry();
    if (earlierObject)
        registry->insert(&earlier);
    plugin = host->loadPlugin();
    QVERIFY(plugin);
    QVERIFY(service());

    QObject *registered = registry->value(QStringLiteral("orvane.watchlist"));
    QCOMPARE(registered == &earlier, earlierObject);
    if (!earlierObject) {
        QCOMPARE(registered, service());
        QVERIFY(registered->qt_metacast("IWatchList"));
        QVERIFY(registered->qt_metacast("WatchListInstance"));
        QVERIFY(!registered->qt_metacast("IComparator"));
    }

    // The plug-in's own service still reaches the plug-in.
    QVERIFY(host->openProject(QStringLiteral("Demo"), {QStringLiteral("Pump:D0")}));
    QVERIFY(WatchListClient::addVariable(service(), QStringLiteral("Pump"), QStringLiteral("M5")));
    QVERIFY(windowTree(QStringLiteral("Pump")));
    registry->remove(QStringLiteral("orvane.watchlist"));
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

    const QString main = QStringLiteral("Main");
    QTest::newRow("three entries, window open") << main << true << 3 << true << "D100" << true;
    QTest::newRow("window never opened, past the first page")
        << main << true << 600 << false << "Motor_Speed" << true;
    QTest::newRow("unknown watch list") << "Nowhere" << true << 1 << false << "D1" << false;
    QTest::newRow("name differs in case") << "main" << true << 1 << false << "D1" << false;
    QTest::newRow("no current project") << main << false << 1 << false << "D1" << false;
}

void tst_Services::addVariable()
{
    QFETCH(QString, watchList);
    QFETCH(int, entries);
    QFETCH(bool, windowOpen);
    QFETCH(QString, variable);
    QFETCH(bool, added);

    plugin = host->loadPlugin();
    QVERIFY(host->openProject(QStringLiteral("Demo"),
                              {QStringLiteral("Other"), QStringLiteral("Main")}));
    WatchListObject *list = HostFixture::watchList(QStringLiteral("Demo"), QStringLiteral("Main"));
    list->setVariables(numbered(QStringLiteral("D"), entries));
    if (windowOpen)
        host->workbench().solutionTree()->activate(QStringLiteral("Demo.Watch List.Main"));
    QCOMPARE(windowTree(QStringLiteral("Main")) != nullptr, windowOpen);
    QFETCH(bool, projectOpen);
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
}

void tst_Services::comparator_data()
{
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("firstProject");
    QTest::addColumn<QString>("typeKey");
    QTest::addColumn<bool>("same");

    const QStringList entries = names("D0,M1");
    const QString watchList = QStringLiteral("TYPE.WATCHLIST");
    QTest::newRow("same entries") << entries << entries << QStringLiteral("A") << watchList << true;
    QTest::newRow("one entry more")
        << entries << names("D0,M1,X0") << QStringLiteral("A") << watchList << false;
    QTest::newRow("same count, other entry")
        << entries << names("D0,M2") << QStringLiteral("A") << watchList << false;
    QTest::newRow("other node type")
        << entries << entries << QStringLiteral("A") << QStringLiteral("TYPE.PROGRAM") << false;
    QTest::newRow("empty project name") << entries << entries << QString() << watchList << false;
    QTest::newRow("both projects without a model")
        << entries << entries << QStringLiteral("Gone") << watchList << true;
}

void tst_Services::comparator()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QString, firstProject);
    QFETCH(QString, typeKey);
    QFETCH(bool, same);

    QVERIFY(host->loadPlugin());
    QVERIFY(host->openProject(QStringLiteral("A"), {QStringLiteral("L")}));
    QVERIFY(host->openProject(QStringLiteral("B"), {QStringLiteral("L")}));
    HostFixture::watchList(QStringLiteral("A"), QStringLiteral("L"))->setVariables(first);
    HostFixture::watchList(QStringLiteral("B"), QStringLiteral("L"))->setVariables(second);
    QString secondProject = QStringLiteral("B");
    if (firstProject == QLatin1String("Gone")) {
        secondProject = QStringLiteral("AlsoGone");
        host->workbench().closeProject(QStringLiteral("A"));
        host->workbench().closeProject(QStringLiteral("B"));
    }

    IComparator *comparator =
        host->workbench().comparators()->comparator(QStringLiteral("TYPE.WATCHLIST"));
    QVERIFY(comparator);
    const ComparisonItem a{
        QStringLiteral("L"), firstProject, QStringLiteral("A.Watch List.L"), typeKey};
    const ComparisonItem b{QStringLiteral("L"),
                           secondProject,
                           QStringLiteral("B.Watch List.L"),
                           QStringLiteral("TYPE.WATCHLIST")};
    QCOMPARE(comparator->isSame(a, b), same);
    QCOMPARE(comparator->isSame(b, a), same);
}

void tst_Services::comparatorManagerChoices_data()
{
    QTest::addColumn<QString>("manager");
    QTest::newRow("no manager") << QStringLiteral("none");
    QTest::newRow("an object of another class") << QStringLiteral("other");
    QTest::newRow("manager refuses") << QStringLiteral("refusing");
}

void tst_Services::comparatorManagerChoices()
{
    QFETCH(QString, manager);

    ObjectRegistry *registry = host->workbench().application()->objectRegistry();
    QObject impostor;
    auto hostComparator = new HostComparator;
    if (manager == QLatin1String("refusing")) {
        QVERIFY(host->workbench().comparators()->registerComparator(hostComparator));
    } else {
        delete hostComparator;
        hostComparator = nullptr;
        registry->remove(QStringLiteral("COMPARATORMAN"));
        if (manager == QLatin1String("other")) {
            impostor.setObjectName(QStringLiteral("COMPARATORMAN"));
            registry->insert(&impostor);
        }
    }

    QVERIFY(host->loadPlugin());
    QCOMPARE(host->workbench().comparators()->comparator(QStringLiteral("TYPE.WATCHLIST")),
             hostComparator);
}

// File → Compare Projects: watch lists paired by name, judged by the plug-in's comparator.
void tst_Services::compareProjects()
{
    QVERIFY(host->loadPlugin());
    QVERIFY(host->openProject(QStringLiteral("A"), names("Motor:D0,Pump:M0,OnlyA")));
    QVERIFY(host->openProject(QStringLiteral("B"), names("Pump:M1,Motor:D0,OnlyB")));
    QStringList results;
    for (const auto &comparison :
         host->workbench().compareWatchLists(QStringLiteral("A"), QStringLiteral("B")))
        results.append(comparison.name + QString::number(comparison.result));
    using Comparison = Workbench::WatchListComparison;
    QCOMPARE(results,
             QStringList({QStringLiteral("Motor%1").arg(Comparison::Same),
                          QStringLiteral("Pump%1").arg(Comparison::Different),
                          QStringLiteral("OnlyA%1").arg(Comparison::OnlyInFirst),
                          QStringLiteral("OnlyB%1").arg(Comparison::OnlyInSecond)}));
}

QTEST_MAIN(tst_Services)
#include "tst_services.moc"
