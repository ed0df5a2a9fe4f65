// Refreshing watched rows from the Modbus test server.

#include "harness.h"

#include "accore.h"
#include "controllertransfer.h"
#include "devicecatalog.h"
#include "livewatch.h"
#include "modbuslink.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QModbusReply>
#include <QModbusTcpClient>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

// The Modbus test server, steered through its stdin: each command is
// answered by one line.
class ModbusServer
{
public:
    ~ModbusServer() { stop(); }

    bool start(QString *error)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system interpreter: the server needs the distribution's pymodbus.
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QString::fromUtf8(WATCHLIST_SOURCE_DIR) +
                         QStringLiteral("/tests/modbus/modbus_server.py")});
        if (!m_process.waitForStarted(5000)) {
            *error = m_process.errorString();
            return false;
        }
        const QString ready = readLine(10000);
        if (!ready.startsWith(QLatin1String("READY "))) {
            *error = QStringLiteral("no READY line, got \"%1\"").arg(ready);
            return false;
        }
        m_port = ready.mid(6).toInt();
        return m_port > 0;
    }

    int port() const { return m_port; }

    // Blocks without running the event loop, so no refresh starts meanwhile.
    QString command(const QString &line)
    {
        m_process.write((line + QLatin1Char('\n')).toUtf8());
        return readLine(5000);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

private:
    QString readLine(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (!m_process.canReadLine()) {
            const qint64 left = timeoutMs - waited.elapsed();
            if (left <= 0 || !m_process.waitForReadyRead(int(left)))
                return QString();
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

    QProcess m_process;
    int m_port = 0;
};

QModbusDataUnit::RegisterType modbusRegisterType(DeviceCatalog::ModbusArea::Table table)
{
    switch (table) {
    case DeviceCatalog::ModbusArea::Coils:
        return QModbusDataUnit::Coils;
    case DeviceCatalog::ModbusArea::DiscreteInputs:
        return QModbusDataUnit::DiscreteInputs;
    case DeviceCatalog::ModbusArea::InputRegisters:
        return QModbusDataUnit::InputRegisters;
    case DeviceCatalog::ModbusArea::HoldingRegisters:
        break;
    }
    return QModbusDataUnit::HoldingRegisters;
}

// Runs the event loop until the link's next refresh has finished.
bool waitForRefresh(ModbusTcpLink *link)
{
    QEventLoop loop;
    bool refreshed = false;
    QObject::connect(link, &ModbusTcpLink::refreshed, &loop, [&] {
        refreshed = true;
        loop.quit();
    });
    QObject::connect(link, &ModbusTcpLink::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return refreshed;
}

// ms per refresh of the link, each refresh started the moment the one before
// has finished; negative when the link failed or stalled.
double linkRounds(ModbusTcpLink *link, int warmUp, int rounds)
{
    QEventLoop loop;
    QElapsedTimer timer;
    int done = 0;
    double ms = -1;
    QObject::connect(link, &ModbusTcpLink::refreshed, &loop, [&] {
        ++done;
        if (done == warmUp)
            timer.start();
        if (done == warmUp + rounds) {
            ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
            loop.quit();
            return;
        }
        link->refresh();
    });
    QObject::connect(link, &ModbusTcpLink::failed, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    // A refresh may be running already; then this one waits for it.
    link->refresh();
    loop.exec();
    return ms;
}

bool connectBare(QModbusTcpClient &client, int port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                  QStringLiteral("127.0.0.1"));
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    client.setTimeout(1000);
    client.setNumberOfRetries(0);
    if (!client.connectDevice())
        return false;
    QEventLoop loop;
    QObject::connect(&client, &QModbusDevice::stateChanged, &loop, [&](QModbusDevice::State state) {
        if (state == QModbusDevice::ConnectedState || state == QModbusDevice::UnconnectedState)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    if (client.state() != QModbusDevice::ConnectedState)
        loop.exec();
    return client.state() == QModbusDevice::ConnectedState;
}

// ms per round of a bare client: the reads of a round one after another, as
// the link sends them (one request open at a time, so that no answer can be
// taken for another's), the next round once the last has answered; negative
// on the first failed read.
double bareRounds(QModbusTcpClient &client,
                  const std::vector<ModbusBlock> &reads,
                  int warmUp,
                  int rounds,
                  QString *error)
{
    QEventLoop loop;
    QElapsedTimer timer;
    int done = 0;
    size_t next = 0;
    double ms = -1;
    const auto failed = [&](const QString &why) {
        if (error->isEmpty())
            *error = why;
        loop.quit();
    };
    std::function<void()> send;
    const auto answered = [&] {
        if (!error->isEmpty())
            return;
        if (next < reads.size()) {
            send();
            return;
        }
        ++done;
        if (done == warmUp)
            timer.start();
        if (done == warmUp + rounds) {
            ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
            loop.quit();
            return;
        }
        next = 0;
        send();
    };
    send = [&] {
        const ModbusBlock &read = reads[next++];
        QModbusReply *reply = client.sendReadRequest(
            QModbusDataUnit(modbusRegisterType(read.table), read.start, quint16(read.count)), 1);
        if (!reply) {
            failed(client.errorString());
            return;
        }
        // Replies belong to the client; the loop as context cuts them off once it is gone.
        QObject::connect(reply, &QModbusReply::finished, &loop, [&, reply] {
            if (reply->error() != QModbusDevice::NoError)
                failed(reply->errorString());
            reply->deleteLater();
            answered();
        });
    };
    QTimer::singleShot(60000, &loop, [&] { failed(QStringLiteral("stalled")); });
    if (!reads.empty())
        send();
    loop.exec();
    return error->isEmpty() ? ms : -1;
}

// Goes online with a device through the transfer service, as the workbench does.
ModbusTcpLink *goOnline(ControllerTransfer *transfer, int port, QString *error)
{
    ControllerSettings settings;
    settings.backend = ControllerSettings::ModbusTcp;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = port;
    settings.pollInterval = 10;
    transfer->setSettings(settings, projectName);
    QEventLoop loop;
    QObject::connect(transfer, &Transfer::onlineState, &loop, &QEventLoop::quit);
    QObject::connect(
        transfer, &ControllerTransfer::connectionFailed, &loop, [&](const QString &message) {
            *error = message;
            loop.quit();
        });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    transfer->setOnline(true);
    if (!transfer->isOnline() && error->isEmpty())
        loop.exec();
    return transfer->isOnline() ? transfer->modbusLink() : nullptr;
}

// Refreshing what the variable trees watch from a Modbus TCP device: the
// link against a bare client sending the same block reads one at a time (the floor) and
// against one read per row, for a contiguous and a scattered screen of rows.
// The machine is shared, so the three take turns in slices, the link and the
// floor alternating which goes first; each figure is the median slice, and
// link / floor the median of the slices' ratios.
void benchModbus(Workbench &workbench)
{
    constexpr int rows = 169;
    constexpr int slices = 5;
    constexpr int perSlice = 60;
    constexpr int warmUp = 5;
    std::printf("\nRefreshing %d watched D rows from the Modbus test server, poll interval 10 ms,"
                " refreshes back to back (median of %d slices of %d, each after %d unmeasured)\n",
                rows,
                slices,
                perSlice,
                warmUp);
    ModbusServer server;
    QString error;
    if (!server.start(&error)) {
        std::printf("the Modbus test server does not start: %s\n", qPrintable(error));
        return;
    }
    DeviceCatalog::ModbusMap map;
    if (!DeviceCatalog::modbusMap(QStringLiteral("DEMO-FX"), &map, &error)) {
        std::printf("no Modbus map for DEMO-FX: %s\n", qPrintable(error));
        return;
    }

    const std::string project = projectName.toStdString();
    ControllerTransfer *transfer = workbench.transfer();
    const ControllerSettings before = transfer->settings();
    const int token = 0;
    std::printf("%-12s %9s %8s %8s %10s %10s %10s %11s %11s %9s\n",
                "rows",
                "requests",
                "target",
                "server",
                "link ms",
                "floor ms",
                "row ms",
                "link/floor",
                "row/link",
                "rows read");
    struct Set
    {
        const char *title;
        int stride; // words from one row to the next
    };
    for (const Set &set : {Set{"contiguous", 1}, Set{"scattered", 47}}) {
        std::vector<ac::HeapAddress> addresses;
        ModbusLayout layout;
        {
            SafeAccore core(project, false);
            ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
            if (!memory) {
                std::printf("the bench project has no device memory\n");
                return;
            }
            for (int row = 0; row < rows; ++row) {
                ac::HeapAddress address;
                if (memory->string2IecAddress(
                        "D" + std::to_string(row * set.stride), &address, true))
                    addresses.push_back(address);
            }
            layout = ModbusLayout(*memory, map);
        }
        const std::vector<ModbusBlock> blocks = layout.plan(addresses);
        std::vector<ModbusBlock> perRow;
        for (const ac::HeapAddress &address : addresses) {
            ModbusBlock block{};
            if (layout.range(address, &block))
                perRow.push_back(block);
        }
        const int first = perRow.empty() ? 0 : perRow.front().start;
        const int span = perRow.empty() ? 0 : perRow.back().start + perRow.back().count - first;
        const int target = (span + 124) / 125;
        // The span read whole in the largest blocks a request may ask for, to
        // see what bridging every gap would cost.
        std::vector<ModbusBlock> whole;
        for (int start = first; start < first + span; start += 125)
            whole.push_back(ModbusBlock{DeviceCatalog::ModbusArea::HoldingRegisters,
                                        start,
                                        std::min(125, first + span - start)});

        ac::LiveWatch::instance()->setWatched(&token, project, addresses);
        error.clear();
        QPointer<ModbusTcpLink> link = goOnline(transfer, server.port(), &error);
        if (!link) {
            std::printf("%-12s the link does not go online: %s\n", set.title, qPrintable(error));
            transfer->setOnline(false);
            break;
        }
        int serverCount = -1;
        // Counted by the server over exactly one refresh: the poll timer cannot
        // fire while the commands block.
        if (waitForRefresh(link) &&
            server.command(QStringLiteral("reset")) == QLatin1String("ok")) {
            link->refresh();
            const QString count =
                waitForRefresh(link) ? server.command(QStringLiteral("count")) : QString();
            if (count.startsWith(QLatin1String("count ")))
                serverCount = count.mid(6).toInt();
        }
        const int requests = link ? link->lastRefreshRequests() : -1;

        // The bare client on its own connection; the link stays online
        // meanwhile with nothing watched, so its polls send no request.
        QModbusTcpClient client;
        QString bareError;
        if (!connectBare(client, server.port()))
            bareError = client.errorString();
        std::vector<double> linkMs, floorMs, rowMs, wholeMs, ratios;
        bool linkFailed = false;
        const auto linkSlice = [&] {
            ac::LiveWatch::instance()->setWatched(&token, project, addresses);
            const double ms = link ? linkRounds(link, warmUp, perSlice) : -1;
            linkFailed = ms < 0;
            ac::LiveWatch::instance()->forget(&token);
            return ms;
        };
        const auto floorSlice = [&] {
            return bareRounds(client, blocks, warmUp, perSlice, &bareError);
        };
        for (int slice = 0; slice < slices && bareError.isEmpty() && !linkFailed; ++slice) {
            double linkAt = 0;
            double floorAt = 0;
            if (slice % 2 == 0) {
                linkAt = linkSlice();
                floorAt = floorSlice();
            } else {
                floorAt = floorSlice();
                linkAt = linkSlice();
            }
            linkMs.push_back(linkAt);
            floorMs.push_back(floorAt);
            if (!linkFailed && bareError.isEmpty())
                ratios.push_back(linkAt / floorAt);
            rowMs.push_back(bareRounds(client, perRow, warmUp, perSlice, &bareError));
            if (set.stride > 1)
                wholeMs.push_back(bareRounds(client, whole, warmUp, perSlice / 3, &bareError));
        }
        client.disconnectDevice();
        // What the link's last refresh left, before going offline forgets it.
        int read = 0;
        for (const ac::HeapAddress &address : addresses)
            read +=
                ac::LiveWatch::instance()->reading(project, address).status != ac::Reading::Missing
                    ? 1
                    : 0;
        transfer->setOnline(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // A slice that failed leaves the figures short: no verdict over fewer.
        if (linkFailed || !bareError.isEmpty())
            ratios.clear();
        const double linkAt = median(linkMs);
        const double floorAt = median(floorMs);
        const double rowAt = median(rowMs);
        std::printf("%-12s %9d %8d %8d %10.3f %10.3f %10.3f %10.2fx %10.2fx %5d/%d\n",
                    set.title,
                    requests,
                    target,
                    serverCount,
                    linkAt,
                    floorAt,
                    rowAt,
                    median(ratios),
                    rowAt / linkAt,
                    read,
                    int(addresses.size()));
        if (set.stride == 1) {
            std::printf("%-12s requests per refresh <= ceil(span %d / 125) = %d, the server "
                        "counting as many: %s\n",
                        "",
                        span,
                        target,
                        verdict(requests <= target && serverCount == requests));
        } else {
            std::printf("%-12s %zu planned blocks over a span of %d words; the span read whole "
                        "in %zu blocks of <= 125 (bare client, %d rounds): %.3f ms\n",
                        "",
                        blocks.size(),
                        span,
                        whole.size(),
                        slices * (perSlice / 3),
                        median(wholeMs));
        }
        std::printf("%-12s ", "");
        reportRatio("link / floor", ratios, 1.5);
        if (!bareError.isEmpty())
            std::printf("%-12s the bare client failed: %s\n", "", qPrintable(bareError));
        if (linkFailed)
            std::printf("%-12s the link failed or stalled\n", "");
    }
    ac::LiveWatch::instance()->forget(&token);
    transfer->setSettings(before, projectName);
    server.stop();
}

} // namespace bench
