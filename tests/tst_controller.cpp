// The workbench online with a Modbus TCP device: a pymodbus server with known
// tables stands in for the controller, and every check of what the device
// holds asks the server, not our client.

// The tables read better with plain literals; nothing here is user text.
#undef QT_NO_CAST_FROM_ASCII
#include "controllersettings.h"
#include "controllertransfer.h"
#include "hostfixture.h"
#include "livewatch.h"
#include "modaldriver.h"
#include "modbuslink.h"
#include "projectmodel.h"
#include "trendbuffer.h"
#include "trendwindow.h"
#include "vartreewidget.h"
#include "workbench.h"
#include "workbenchmenus.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTcpServer>
#include <QtTest>

namespace {

const QString project = QStringLiteral("Line");
const int ValueColumn = VarTreeWidget::ValueColumn;

// The test server: tests/modbus/modbus_server.py on a free loopback port.
class ModbusServer
{
public:
    bool start(int port = 0)
    {
        m_process.setProgram(QStringLiteral(WATCHLIST_PYTHON));
        m_process.setArguments(
            {QStringLiteral(WATCHLIST_SOURCE_DIR "/tests/modbus/modbus_server.py"),
             QStringLiteral("--port"),
             QString::number(port)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        const QByteArray ready = answer();
        m_port = ready.startsWith("READY ") ? ready.mid(6).toInt() : 0;
        return m_port > 0;
    }
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        command("quit");
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    ~ModbusServer() { stop(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

    int port() const { return m_port; }
    QByteArray command(const QByteArray &line)
    {
        m_process.write(line + '\n');
        return answer();
    }
    // "hr 300 4660" -> "4660"
    QByteArray get(const QByteArray &what)
    {
        return command("get " + what).split(' ').mid(2).join(' ');
    }

private:
    QByteArray answer()
    {
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        return m_process.readLine().trimmed();
    }

    QProcess m_process;
    int m_port = 0;
};

ControllerSettings device(int port, int timeout = 1000, int interval = 50)
{
    ControllerSettings settings;
    settings.backend = ControllerSettings::ModbusTcp;
    settings.port = port;
    settings.pollInterval = interval;
    settings.responseTimeout = timeout;
    return settings;
}

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

class tst_Controller : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { m_server.reset(); }
    void cleanup();

    void blockReads_data();
    void blockReads();
    void settingsFromUrl_data();
    void settingsFromUrl();
    void settingsKeptInProjectFile();
    void values();
    void writes_data();
    void writes();
    void simulatedControllerTakesWrites();
    void connectionFaults();
    void valuesAge();
    void statusShowsConnection();
    void slowServerBuildsNoBacklog();
    void deviceFaults_data();
    void deviceFaults();

private:
    bool goOnline(const ControllerSettings &settings);
    void watch(const QStringList &variables);
    QString valueOf(int row) const { return m_tree->topLevelItem(row)->text(ValueColumn); }
    // Greyed, with a tooltip telling when the device last confirmed it.
    bool isStale(int row) const
    {
        return m_tree->topLevelItem(row)
            ->data(ValueColumn, Qt::ToolTipRole)
            .toString()
            .startsWith("Not current: the device last confirmed this value at ");
    }
    QString typeValue(int row, const QString &text, QString *message);

    std::unique_ptr<HostFixture> m_host;
    std::unique_ptr<ModbusServer> m_server;
    std::unique_ptr<VarTreeWidget> m_tree;
    std::unique_ptr<ModalDriver> m_driver;
};

void tst_Controller::initTestCase()
{
    if (!QFile::exists(QStringLiteral(WATCHLIST_PYTHON)))
        QSKIP("No Python with pymodbus for the test server");
    m_server = std::make_unique<ModbusServer>();
    QVERIFY(m_server->start());
}

void tst_Controller::init()
{
    m_host = std::make_unique<HostFixture>();
    QVERIFY(m_host->openProject(project, {QStringLiteral("Main")}));
    if (!m_server->isRunning())
        QVERIFY(m_server->start(m_server->port()));
    // One server for all tests (starting Python is what takes time): what
    // tests write goes back to the known contents.
    for (const char *line : {"set hr 100 1234 65535",
                             "set hr 120 8",
                             "set co 3 0",
                             "delay 0",
                             "set hr 300 300 301 302 303 304 305 306 307",
                             "fault none",
                             "set co 8193 1"})
        QCOMPARE(m_server->command(line), QByteArray("ok"));
    m_driver = std::make_unique<ModalDriver>();
}

void tst_Controller::cleanup()
{
    m_driver.reset();
    m_tree.reset();
    m_host.reset();
}

bool tst_Controller::goOnline(const ControllerSettings &settings)
{
    m_host->workbench().setControllerSettings(project, settings);
    m_host->workbench().transfer()->setOnline(true);
    return QTest::qWaitFor([this] { return m_host->workbench().transfer()->isOnline(); }, 5000);
}

void tst_Controller::watch(const QStringList &variables)
{
    m_tree = std::make_unique<VarTreeWidget>();
    m_tree->setProperty("projectName", project);
    m_tree->setRowCount(variables.size());
    for (int row = 0; row < variables.size(); ++row)
        m_tree->setVariable(row, variables.at(row), QString());
    m_tree->resize(600, 600);
    m_tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
}

// As a user edits the cell: type, Enter. A message box that follows, now or
// once the device has answered, is noted in message.
QString tst_Controller::typeValue(int row, const QString &text, QString *message)
{
    m_driver->onNext("QMessageBox", ModalDriver::noteMessage(message));
    QTreeWidgetItem *item = m_tree->topLevelItem(row);
    m_tree->setCurrentItem(item, ValueColumn);
    m_tree->editItem(item, ValueColumn);
    auto editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!editor)
        return QStringLiteral("no editor");
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    return QString();
}

void tst_Controller::blockReads_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QStringList>("addresses");
    QTest::addColumn<QStringList>("blocks"); // table:start:count, 0 coils .. 3 input registers

    QStringList contiguous;
    for (int i = 0; i < 169; ++i)
        contiguous << QStringLiteral("D%1").arg(i);
    QTest::newRow("169 words: two requests")
        << "DEMO-FX" << contiguous << QStringList{"2:0:125", "2:125:44"};
    // name|device|addresses|blocks
    for (const char *row : {
             "typed values and bits share a block|DEMO-FX|D100.D D103.F D110.3 D120 D100|2:100:21",
             "words 64 apart bridged, 65 not|DEMO-FX|D0 D65 D131 D500|2:0:66 2:131:1 2:500:1",
             "coils of two areas, inputs, words|DEMO-FX|Y3 M1 X17 W1f R2|"
             "0:3:1 0:8193:1 1:15:1 2:8031:1 2:10002:1",
             "past the table's end: not read|DEMO-WIDE|M65535 M65536|0:65535:1",
         }) {
        const QStringList f = QString(row).split('|');
        QTest::newRow(qPrintable(f[0])) << f[1] << f[2].split(' ') << f[3].split(' ');
    }
}

void tst_Controller::blockReads()
{
    QFETCH(QString, device);
    QFETCH(QStringList, addresses);
    QFETCH(QStringList, blocks);
    QString error;
    const auto memory = DeviceCatalog::create(device, &error);
    DeviceCatalog::ModbusMap map;
    QVERIFY2(memory && DeviceCatalog::modbusMap(device, &map, &error), qPrintable(error));
    const ModbusLayout layout(*memory, map);
    std::vector<ac::HeapAddress> parsed(size_t(addresses.size()));
    for (int i = 0; i < addresses.size(); ++i)
        QVERIFY(memory->string2IecAddress(addresses.at(i).toStdString(), &parsed[size_t(i)], true));
    QStringList planned;
    for (const ModbusBlock &block : layout.plan(parsed))
        planned << QStringLiteral("%1:%2:%3").arg(block.table).arg(block.start).arg(block.count);
    QCOMPARE(planned, blocks);
}

void tst_Controller::settingsFromUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("parsed"); // host:port unit interval timeout, or the error's tail

    for (const char *row : {"modbus-tcp://plc.local|plc.local:502 1 200 1000",
                            "modbus-tcp://10.0.0.5:5020?unit=7&interval=50&timeout=300|"
                            "10.0.0.5:5020 7 50 300",
                            "simulated|simulated",
                            "http://plc:502|expected modbus-tcp://HOST:PORT?unit=N or simulated.",
                            "modbus-tcp://plc?unit=256|unit must be a number from 0 to 255.",
                            "modbus-tcp://plc?speed=9|unknown option \"speed\".",
                            "modbus-tcp://plc:0|the port must be from 1 to 65535."}) {
        const QStringList fields = QString(row).split('|');
        QTest::newRow(row) << fields.at(0) << fields.at(1);
    }
}

void tst_Controller::settingsFromUrl()
{
    QFETCH(QString, url);
    QFETCH(QString, parsed);
    ControllerSettings settings;
    QString error;
    if (ControllerSettings::fromUrl(url, &settings, &error)) {
        QCOMPARE(settings.backend == ControllerSettings::Simulated
                     ? QStringLiteral("simulated")
                     : QStringLiteral("%1:%2 %3 %4 %5")
                           .arg(settings.host)
                           .arg(settings.port)
                           .arg(settings.unitId)
                           .arg(settings.pollInterval)
                           .arg(settings.responseTimeout),
                 parsed);
    } else {
        QCOMPARE(error, QStringLiteral("Cannot connect to \"%1\": %2").arg(url, parsed));
    }
}

void tst_Controller::settingsKeptInProjectFile()
{
    // The project was written without a controller member, as older files are.
    Workbench &workbench = m_host->workbench();
    QVERIFY(workbench.controllerSettings(project) == ControllerSettings());
    const ControllerSettings settings = device(1502, 700, 120);
    workbench.setControllerSettings(project, settings);
    QVERIFY(workbench.isModified(project));
    const QString path = OpenProject(project)->filePath();
    QString error;
    QVERIFY2(workbench.saveProject(project, &error), qPrintable(error));
    workbench.closeProject(project);
    QVERIFY2(workbench.openProject(path, &error), qPrintable(error));
    QVERIFY(workbench.controllerSettings(project) == settings);
    QCOMPARE(workbench.transfer()->settings().port, 1502);
}

void tst_Controller::values()
{
    // R19990 and R20000 share a block the server refuses (its table ends at
    // 29999): read apart from then on, R19990 shows its value.
    watch(QString("D100 D100.D D110.F D120.3 X1 X17 Y5 M1 M0 D200 R20000 R19990").split(' '));
    m_tree->setIntegerShowMode(9, 16);
    QVERIFY(goOnline(device(m_server->port())));
    const QString expected = "1234|-64302|1.5|1|1|1|1|1|0|1|"
                             "Modbus exception 2 (illegal data address)|0";
    const auto shown = [this] {
        QStringList values;
        for (int row = 0; row < m_tree->topLevelItemCount(); ++row)
            values << valueOf(row);
        return values.join('|');
    };
    QTRY_COMPARE_WITH_TIMEOUT(shown(), expected, 5000);
    // The device's values, not a snapshot: a change in the server shows.
    m_server->command("set hr 100 4321");
    QTRY_COMPARE(valueOf(0), QStringLiteral("4321"));
}

void tst_Controller::writes_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("showMode");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("where"); // as the server's get command takes it
    QTest::addColumn<QByteArray>("held");  // there afterwards
    QTest::addColumn<QString>("message");  // the refusal, or none
    QTest::addColumn<QByteArray>("fault"); // of the server's next write, or none

    // name|variable|show mode|typed|server range|held there afterwards|refusal
    for (const char *row : {
             "INT|D300|10|-2|hr 300 1|65534|",
             "INT in hex|D300|16|1a2b|hr 300 1|6699|",
             "INT in binary|D300|2|101|hr 300 1|5|",
             "DINT, low word first|D302.D|10|-70000|hr 302 2|61072 65534|",
             "REAL|D304.F|10|2.5|hr 304 2|0 16416|",
             "LREAL|D306.DF|10|-1|hr 306 4|0 0 0 49136|",
             "bit of a word|D120.0|10|1|hr 120 1|9|",
             "Y coil|Y3|10|1|co 3 1|1|",
             "M coil at its offset|M1|10|0|co 8193 1|0|",
             "too large for INT|D300|10|40000|hr 300 1|300|Nothing was written to D300: "
             "40000 does not fit a INT value (-32768 to 32767).",
             "not a number|D300|16|12x|hr 300 1|300|Nothing was written to D300: "
             "\"12x\" is not a INT value in radix 16.",
             "REAL out of range|D304.F|10|1e39|hr 304 2|304 305|Nothing was written to D304.F: "
             "1e39 does not fit a REAL value.",
             "BOOL other than 0 or 1|Y3|10|2|co 3 1|0|Nothing was written to Y3: "
             "\"2\" is not a BOOL value (0 or 1).",
             "an input|X1|10|0|di 1 1|1|The value of X1 was not written: "
             "the device's inputs cannot be written.",
             "device refuses the address|R20000|10|1|hr 29999 1|0|The value of R20000 was not "
             "written: Modbus exception 2 (illegal data address)",
             "write never answered|D300|10|5|hr 300 1|300|The value of D300 was not written: "
             "no answer within 1000 ms|silent 1",
             "write refused|D300|10|5|hr 300 1|300|The value of D300 was not written: "
             "Modbus exception 4 (server device failure)|refuse 1",
             "confirmed for another address|D300|10|5|hr 300 1|5|The value of D300 was not "
             "written: the device confirmed a write to address 301 where 300 was written|echo 1",
         }) {
        const QStringList f = QString(row).split('|');
        QTest::newRow(qPrintable(f[0])) << f[1] << f[2].toInt() << f[3] << f[4].toLatin1()
                                        << f[5].toLatin1() << f[6] << f.value(7).toLatin1();
    }
}

void tst_Controller::writes()
{
    QFETCH(QString, variable);
    QFETCH(int, showMode);
    QFETCH(QString, typed);
    QFETCH(QByteArray, where);
    QFETCH(QByteArray, held);
    QFETCH(QString, message);
    QFETCH(QByteArray, fault);
    watch({variable, "D301"});
    m_tree->setIntegerShowMode(0, showMode);
    QVERIFY(goOnline(device(m_server->port())));
    QTRY_VERIFY(!valueOf(0).isEmpty());
    const QString before = valueOf(0);
    if (!fault.isEmpty())
        QCOMPARE(m_server->command("fault " + fault), QByteArray("ok"));
    QString seen;
    QCOMPARE(typeValue(0, typed, &seen), QString());
    if (message.isEmpty()) {
        QTRY_COMPARE(m_server->get(where), held);
        // What the device reads back, in the row's radix.
        QTRY_COMPARE(valueOf(0).toLower(), typed);
    } else {
        QTRY_COMPARE(seen, "Write Value|" + message);
        // What the device holds, whatever became of the write.
        QTRY_COMPARE(valueOf(0), fault.startsWith("echo") ? QString(held) : before);
    }
    QCOMPARE(m_server->get(where), held);
    QCOMPARE(seen, message.isEmpty() ? QString() : "Write Value|" + message);
    QCOMPARE(valueOf(1), QStringLiteral("301")); // the neighbour stays as it was
    // Polling goes on.
    m_server->command("set hr 301 999");
    QTRY_COMPARE(valueOf(1), QStringLiteral("999"));
    QVERIFY(m_host->workbench().transfer()->stateText().startsWith("Online with"));
}

void tst_Controller::simulatedControllerTakesWrites()
{
    watch({"D300.D"});
    QVERIFY(goOnline(ControllerSettings()));
    QString message;
    QCOMPARE(typeValue(0, QStringLiteral("123456"), &message), QString());
    SafeAccore core(project.toStdString(), false);
    ac::HeapAddress address;
    QVERIFY(core->deviceMemory()->string2IecAddress("D300.D", &address, true));
    std::vector<uint8_t> bytes;
    QTRY_VERIFY(core->deviceMemory()->read(address, &bytes) &&
                bytes == std::vector<uint8_t>({0x40, 0xE2, 0x01, 0x00}));
    QCOMPARE(valueOf(0), QStringLiteral("123456"));
    QCOMPARE(message, QString());
}

void tst_Controller::connectionFaults()
{
    watch({"D100", "Y5"});
    ControllerTransfer *transfer = m_host->workbench().transfer();
    QSignalSpy failed(transfer, &ControllerTransfer::connectionFailed);
    QSignalSpy online(transfer, &Transfer::onlineState);

    // A first connection that fails is refused at once, naming host, port and why.
    const int closed = freePort();
    m_host->workbench().setControllerSettings(project, device(closed));
    transfer->setOnline(true);
    QCOMPARE(transfer->stateText(),
             QStringLiteral("Connecting to 127.0.0.1:%1 (unit 1)…").arg(closed));
    QTRY_COMPARE(failed.count(), 1);
    const QString refused = QStringLiteral("Cannot connect to 127.0.0.1:%1 (unit 1): ").arg(closed);
    const QString message = failed.takeFirst().at(0).toString();
    QVERIFY2(message.startsWith(refused) && message.size() > refused.size(), qPrintable(message));
    QVERIFY(!transfer->isOnline() && !transfer->isConnecting());
    QCOMPARE(online.count(), 0);
    QCOMPARE(transfer->stateText(), QStringLiteral("Offline"));

    // One that is lost later is tried again by itself; meanwhile the values
    // stay on screen as stale, and the device's own come back.
    const int port = m_server->port();
    QVERIFY(goOnline(device(port)));
    QCOMPARE(transfer->stateText(), QStringLiteral("Online with 127.0.0.1:%1 (unit 1)").arg(port));
    QTRY_COMPARE(valueOf(0) + valueOf(1), QStringLiteral("12341"));
    QVERIFY(!isStale(0));
    m_server->stop();
    const QString lost =
        QStringLiteral("Reconnecting… The connection to 127.0.0.1:%1 (unit 1) was lost: ")
            .arg(port);
    QTRY_VERIFY2(transfer->stateText().startsWith(lost), qPrintable(transfer->stateText()));
    QVERIFY(transfer->isOnline());
    QCOMPARE(valueOf(0), QStringLiteral("1234"));
    QVERIFY(isStale(0) && isStale(1));
    // Attempts that fail say so, and keep trying.
    const QString again =
        QStringLiteral("Reconnecting… Cannot connect to 127.0.0.1:%1 (unit 1): ").arg(port);
    QTRY_VERIFY_WITH_TIMEOUT(transfer->stateText().startsWith(again), 5000);
    QVERIFY(m_server->start(port));
    m_server->command("set hr 100 4321");
    QTRY_COMPARE_WITH_TIMEOUT(valueOf(0), QStringLiteral("4321"), 10000);
    QVERIFY(!isStale(0));
    QCOMPARE(transfer->stateText(), QStringLiteral("Online with 127.0.0.1:%1 (unit 1)").arg(port));
    QCOMPARE(failed.count(), 0);
    QCOMPARE(online.count(), 1);

    // The trend draws no line through what is not current.
    TrendWindow trend(transfer);
    m_tree->setCurrentItem(m_tree->topLevelItem(0));
    QCOMPARE(trend.setRows(m_tree.get()), QString());
    trend.sampleAt(QDateTime::currentMSecsSinceEpoch());
    QCOMPARE(trend.buffer(0).at(trend.buffer(0).size() - 1).value, 4321.0);

    // Going offline while reconnecting stops the attempts.
    QCOMPARE(m_server->command("drop"), QByteArray("ok"));
    QTRY_VERIFY(transfer->stateText().startsWith("Reconnecting…"));
    QVERIFY(isStale(0));
    trend.sampleAt(QDateTime::currentMSecsSinceEpoch());
    QVERIFY(TrendBuffer::isGap(trend.buffer(0).at(trend.buffer(0).size() - 1)));
    transfer->setOnline(false);
    QCOMPARE(transfer->stateText(), QStringLiteral("Offline"));
    QCOMPARE(valueOf(0), QString());
    QCOMPARE(m_server->command("reset"), QByteArray("ok"));
    QTest::qWait(1500);
    QCOMPARE(m_server->command("count"), QByteArray("count 0"));
}

// A value the link has not read again lately (its rows were off screen) is
// stale, even while the connection stands.
void tst_Controller::valuesAge()
{
    watch({"D100"});
    QVERIFY(goOnline(device(m_server->port(), 300, 50)));
    QTRY_COMPARE(valueOf(0), QStringLiteral("1234"));
    QVERIFY(!isStale(0));
    SafeAccore core(project.toStdString(), false);
    ac::HeapAddress address;
    QVERIFY(core->deviceMemory()->string2IecAddress("D100", &address, true));
    const auto status = [&] {
        return ac::LiveWatch::instance()->reading(project.toStdString(), address).status;
    };
    QCOMPARE(status(), ac::Reading::Current);
    m_tree->hide(); // no longer watched, no longer read
    QTRY_COMPARE(status(), ac::Reading::Stale);
    QCOMPARE(m_host->workbench().transfer()->stateText().left(11), QStringLiteral("Online with"));
    m_server->command("set hr 100 99");
    m_tree->show();
    QTRY_COMPARE(valueOf(0), QStringLiteral("99"));
    QCOMPARE(status(), ac::Reading::Current);
    QVERIFY(!isStale(0));
}

// The connection's state stays in view in the status bar, whatever passing
// message shows beside it; Controller > Online has a shortcut.
void tst_Controller::statusShowsConnection()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
    WorkbenchMenus menus(&m_host->workbench(), &settings);
    menus.setInteractive(false);
    QMainWindow *window = m_host->workbench().mainWindow();
    auto state = window->statusBar()->findChild<QLabel *>("connectionState");
    QVERIFY(state);
    QCOMPARE(state->text(), QStringLiteral("Offline"));
    QAction *online = nullptr;
    for (QAction *action : window->menuBar()->findChildren<QAction *>()) {
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O))
            online = action;
    }
    QVERIFY(online && online->isCheckable());

    watch({"D100"});
    m_host->workbench().setControllerSettings(project, device(m_server->port()));
    online->trigger();
    const QString device = QStringLiteral("127.0.0.1:%1 (unit 1)").arg(m_server->port());
    QCOMPARE(state->text(), "Connecting to " + device + "…");
    QTRY_COMPARE(state->text(), "Online with " + device);
    window->statusBar()->showMessage("Something else");
    QCOMPARE(state->text(), "Online with " + device);
    // Once the server has served the connection, a reset reaches it.
    QTRY_COMPARE(valueOf(0), QStringLiteral("1234"));
    QCOMPARE(m_server->command("drop"), QByteArray("ok"));
    QTRY_VERIFY2(
        state->text().startsWith("Reconnecting… The connection to " + device + " was lost"),
        qPrintable(state->text()));
    QVERIFY(online->isChecked());
    online->trigger(); // switches the reconnecting off
    QCOMPARE(state->text(), QStringLiteral("Offline"));
    QVERIFY(!m_host->workbench().transfer()->isOnline());
}

void tst_Controller::slowServerBuildsNoBacklog()
{
    watch({"D100", "D5000"}); // two block reads a refresh
    ControllerTransfer *transfer = m_host->workbench().transfer();
    QVERIFY(goOnline(device(m_server->port(), 200, 20)));
    QTRY_COMPARE(valueOf(0), QStringLiteral("1234"));
    m_server->command("delay 1");
    m_server->command("reset");
    QElapsedTimer clock;
    clock.start();
    QTRY_COMPARE(valueOf(0), QStringLiteral("no answer within 200 ms"));
    QTest::qWait(1500);
    // Each refresh waits for its answers or their timeout before the next:
    // at most one refresh per 220 ms, of two requests each, give or take the
    // refreshes under way when the clock started and stopped. A backlog would
    // be several times as many.
    const int requests = m_server->command("count").mid(6).toInt();
    QVERIFY2(requests <= 2 * (int(clock.elapsed()) / 220 + 2),
             QByteArray::number(requests).constData());
    QVERIFY(transfer->isOnline());
    m_server->command("delay 0");
    QTRY_COMPARE(valueOf(0), QStringLiteral("1234"));
}

// The test server spoils its answers in one way at a time. Whatever it
// sends, no row shows a number the device does not hold: a wrong answer
// marks the row with the reason, a stream out of step is dropped and
// reconnected with the values stale meanwhile, and once the device answers
// well again its values come back.
void tst_Controller::deviceFaults_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<QString>("shown");   // while it lasts; empty: stale values
    QTest::addColumn<QString>("dropped"); // why the connection went

    const QString repeated = "3 requests in a row went unanswered or were answered wrongly";
    QTest::newRow("a frame cut after its header")
        << QByteArray("cut 1") << QString()
        << "an answer stopped part way, so the answers after it could not be told apart";
    QTest::newRow("length 0")
        << QByteArray("len0 1") << QString()
        << "the device sent a frame header that cannot be right (protocol 0, length 0), so the "
           "answers after it could not be told apart";
    QTest::newRow("length 0xFFFF")
        << QByteArray("lenffff 1") << QString()
        << "the device sent a frame header that cannot be right (protocol 0, length 65535), so "
           "the answers after it could not be told apart";
    QTest::newRow("another function")
        << QByteArray("function") << "the device answered function 1 to a read of function 3"
        << repeated;
    QTest::newRow("another transaction")
        << QByteArray("tid") << "the device answered transaction " << repeated;
    QTest::newRow("another unit") << QByteArray("unit")
                                  << "the device answered as unit 2 where unit 1 was asked"
                                  << repeated;
    QTest::newRow("a register more")
        << QByteArray("extra") << "the device answered 4 bytes where 2 were asked for" << repeated;
    QTest::newRow("a register less")
        << QByteArray("missing") << "the device answered 0 bytes where 2 were asked for"
        << repeated;
}

void tst_Controller::deviceFaults()
{
    QFETCH(QByteArray, fault);
    QFETCH(QString, shown);
    QFETCH(QString, dropped);
    const int timeout = 1000;
    const int interval = 50;
    const int bound = 3 * (timeout + interval);

    watch({"D100"});
    ControllerTransfer *transfer = m_host->workbench().transfer();
    QVERIFY(goOnline(device(m_server->port(), timeout, interval)));
    QTRY_COMPARE(valueOf(0), QStringLiteral("1234"));
    QStringList seen;
    connect(m_tree->model(), &QAbstractItemModel::dataChanged, this, [&] {
        if (!isStale(0))
            seen << valueOf(0);
    });

    QSignalSpy states(transfer, &ControllerTransfer::stateTextChanged);
    QCOMPARE(m_server->command("fault " + fault), QByteArray("ok"));
    if (shown.isEmpty()) {
        // The stream is out of step: dropped at once, the values stale meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(isStale(0), bound);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(valueOf(0).startsWith(shown), bound);
    }
    // Wrong answers again and again, or a stream out of step: the connection
    // is taken for broken.
    QTRY_VERIFY_WITH_TIMEOUT(!states.isEmpty(), bound + 1000);
    QCOMPARE(states.at(0).at(0).toString(),
             QStringLiteral("Reconnecting… The connection to 127.0.0.1:%1 (unit 1) was lost: ")
                     .arg(m_server->port()) +
                 dropped);
    QCOMPARE(m_server->command("fault none"), QByteArray("ok"));
    QVERIFY(transfer->isOnline());
    // Back within a reconnection's backoff at the most.
    QTRY_VERIFY_WITH_TIMEOUT(valueOf(0) == "1234" && !isStale(0), bound + 4000);
    QCOMPARE(transfer->stateText().left(11), QStringLiteral("Online with"));
    seen.removeAll("1234");
    for (const QString &text : seen)
        QVERIFY2(!text.at(0).isDigit() && !text.startsWith('-'), qPrintable(text));
}

QTEST_MAIN(tst_Controller)
#include "tst_controller.moc"
