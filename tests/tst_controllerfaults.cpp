// The tables read better with plain literals; nothing here is user text.
#undef QT_NO_CAST_FROM_ASCII
#include "tst_controller.h"

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
    const auto requests = [this] {
        return m_server->command("count").mid(6).toInt();
    };
    QCOMPARE(m_server->command("fault " + fault), QByteArray("ok"));
    const int before = requests();
    if (shown.isEmpty()) {
        // The stream is out of step: dropped at once, the values stale meanwhile.
        QTRY_VERIFY_WITH_TIMEOUT(isStale(0), bound);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(valueOf(0).startsWith(shown), bound);
    }
    // Polling goes on, over a new connection where the old one went.
    QTRY_VERIFY_WITH_TIMEOUT(requests() >= before + 3, bound);
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
