#pragma once

// The workbench online with a Modbus TCP device: a pymodbus server with known
// tables stands in for the controller, and every check of what the device
// holds asks the server, not our client. The suite's cases are in two files:
// tst_controller.cpp (settings, values, writes) and tst_controllerfaults.cpp
// (a device that misbehaves, connections lost and regained, stale values).

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

namespace ControllerTest {

inline const QString project = QStringLiteral("Line");
constexpr int ValueColumn = VarTreeWidget::ValueColumn;

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

inline ControllerSettings device(int port, int timeout = 1000, int interval = 50)
{
    ControllerSettings settings;
    settings.backend = ControllerSettings::ModbusTcp;
    settings.port = port;
    settings.pollInterval = interval;
    settings.responseTimeout = timeout;
    return settings;
}

inline int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace ControllerTest

using namespace ControllerTest;

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
            .startsWith(QLatin1String("Not current: the device last confirmed this value at "));
    }
    QString typeValue(int row, const QString &text, QString *message);

    std::unique_ptr<HostFixture> m_host;
    std::unique_ptr<ModbusServer> m_server;
    std::unique_ptr<VarTreeWidget> m_tree;
    std::unique_ptr<ModalDriver> m_driver;
};
