// The tables read better with plain literals; nothing here is user text.
#undef QT_NO_CAST_FROM_ASCII
#include "tst_controller.h"

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
             "40000 does not fit in INT (-32768 to 32767).",
             "not a number|D300|16|12x|hr 300 1|300|Nothing was written to D300: "
             "\"12x\" is not a INT value in radix 16.",
             "REAL out of range|D304.F|10|1e39|hr 304 2|304 305|Nothing was written to D304.F: "
             "1e39 does not fit in REAL.",
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

QTEST_MAIN(tst_Controller)
