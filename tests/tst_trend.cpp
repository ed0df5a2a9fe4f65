#include "hostfixture.h"
#include "names.h"

#include "controllertransfer.h"
#include "simulatedcontroller.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"
#include "trendtool.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "workbench.h"

#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>

class tst_Trend : public QObject
{
    Q_OBJECT

private slots:
    void ringBuffer_data();
    void ringBuffer();
    void sampling_data();
    void sampling();
};

void tst_Trend::ringBuffer_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<int>("capacity");
    QTest::newRow("simulated controller, 200 ms") << 200 << 3000;
    QTest::newRow("shortest poll interval, 10 ms") << 10 << 60000;
    QTest::newRow("no interval known") << 0 << 60000;
    QTest::newRow("a day between refreshes") << 24 * 3600 * 1000 << 64;
}

// An hour of refreshes: the ring stays at its capacity, keeping the newest in order.
void tst_Trend::ringBuffer()
{
    QFETCH(int, interval);
    QFETCH(int, capacity);
    QCOMPARE(TrendBuffer::capacityFor(interval), capacity);
    TrendBuffer buffer(capacity);
    const qint64 step = std::max(interval, 1);
    const int samples = std::max(int(3600 * 1000 / step), 2 * capacity + 7);
    for (int i = 0; i < samples; ++i)
        buffer.append(i * step, i);
    QCOMPARE(buffer.size(), capacity);
    for (int i = 0; i < capacity; ++i)
        QCOMPARE(buffer.at(i).value, double(samples - capacity + i));
    buffer.setCapacity(capacity / 2);
    QCOMPARE(buffer.size(), capacity / 2);
    QCOMPARE(buffer.at(capacity / 2 - 1).value, double(samples - 1));
}

void tst_Trend::sampling_data()
{
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("script"); // s: a refresh, o: offline and online again, p: pause
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QList<int>>("points"); // per part of the first row's line
    QTest::addColumn<double>("last");
    QTest::addColumn<int>("buffered");
    QTest::addColumn<int>("exported");

    const QStringList d2 = names("D2");
    QTest::newRow("two rows") << "D2,M0"
                              << "sss" << names("D2,M0") << QList<int>{3} << 15.0 << 3 << 3;
    QTest::newRow("bit as steps") << "M0"
                                  << "sss" << names("M0") << QList<int>{5} << 1.0 << 3 << 3;
    QTest::newRow("offline: a gap, not a line to zero")
        << "D2"
        << "ssoss" << d2 << QList<int>{2, 2} << 20.0 << 5 << 5;
    QTest::newRow("paused view, sampling goes on")
        << "D2"
        << "sspsss" << d2 << QList<int>{2} << 10.0 << 5 << 2;
    QTest::newRow("unknown name left out") << "Nowhere,D2"
                                           << "s" << d2 << QList<int>{1} << 5.0 << 1 << 1;
    QTest::newRow("ten rows: the first eight")
        << "D0,D1,D2,D3,D4,D5,D6,D7,D8,D9"
        << "s" << names("D0,D1,D2,D3,D4,D5,D6,D7") << QList<int>{1} << 1.0 << 1 << 1;
}

// Read back from the chart's series, as drawn.
void tst_Trend::sampling()
{
    QFETCH(QString, entries);
    QFETCH(QString, script);
    HostFixture host;
    QVERIFY(host.loadPlugin());
    QVERIFY(host.openProject(QStringLiteral("T"), {QStringLiteral("L:") + entries}));
    Workbench &workbench = host.workbench();
    workbench.mainWindow()->show();
    workbench.solutionTree()->activate(QStringLiteral("T.Watch List.L"));
    auto tree = workbench.toolWindows()
                    ->toolWindowWidget(QStringLiteral("watchlist.L"))
                    ->findChild<VarTreeWidget *>();
    QVERIFY(tree);
    for (int row = 0; row < entries.count(QLatin1Char(',')) + 1; ++row)
        tree->topLevelItem(row)->setSelected(true);
    ControllerTransfer *transfer = workbench.transfer();
    transfer->simulation()->setInterval(24 * 3600 * 1000);
    transfer->setOnline(true);
    TrendTool tool(&workbench);
    tool.showTrend();
    TrendWindow *trend = tool.window();
    QVERIFY(trend);

    for (const QChar action : script) {
        if (action == QLatin1Char('s'))
            transfer->simulation()->step();
        if (action == QLatin1Char('p'))
            trend->setPaused(true);
        if (action == QLatin1Char('o')) {
            transfer->setOnline(false);
            transfer->setOnline(true);
        }
    }
    trend->updateView();

    QFETCH(QStringList, shown);
    QStringList names;
    QList<int> points;
    double last = -1;
    for (QtCharts::QAbstractSeries *series : trend->chart()->series()) {
        auto line = qobject_cast<QtCharts::QLineSeries *>(series);
        if (!names.contains(line->name()))
            names.append(line->name());
        if (line->name() == shown.first() && line->count() > 0) {
            points.append(line->count());
            last = line->at(line->count() - 1).y();
        }
    }
    QCOMPARE(names, shown);
    QTEST(points, "points");
    QTEST(last, "last");
    QTEST(trend->buffer(0).size(), "buffered");
    QCOMPARE(trend->message().isEmpty(), shown.size() == entries.count(QLatin1Char(',')) + 1);

    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trend.csv"));
    QVERIFY(trend->exportCsv(path, nullptr));
    QFile csv(path);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = csv.readAll().split('\n');
    QCOMPARE(lines.first(), "Time," + shown.join(QLatin1Char(',')).toUtf8() + '\r');
    QTEST(lines.size() - 2, "exported");
    transfer->setOnline(false);
}

QTEST_MAIN(tst_Trend)
#include "tst_trend.moc"
