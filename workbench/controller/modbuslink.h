#pragma once

#include "controllersettings.h"
#include "livewatch.h"
#include "modbusplan.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <array>
#include <string>
#include <vector>

class ModbusChannel;
struct ModbusAnswer;

// A project's controller reached over Modbus TCP. Each refresh reads what the
// variable trees on screen watch into the project's device memory, and the
// next starts a poll interval after it has finished, so a slow device never
// builds a backlog. A connection that is lost once it stood is tried again,
// after 1 s, 2 s, 4 s ... at most 30 s apart, until the link is told to stop;
// meanwhile every value it read shows as stale. Everything runs on the GUI
// thread without blocking it.
class ModbusTcpLink : public QObject, public ac::LiveSource
{
    Q_OBJECT
public:
    enum State { Unconnected, Connecting, Connected, Reconnecting };
    Q_ENUM(State)

    ModbusTcpLink(const ControllerSettings &settings,
                  const QString &project,
                  QObject *parent = nullptr);
    ~ModbusTcpLink() override;

    // Emits connected() or failed().
    void connectToDevice();
    void disconnectFromDevice();
    State state() const { return m_state; }
    bool isConnected() const { return m_state == Connected; }
    // While reconnecting: why the connection went, or why the last attempt failed.
    QString reason() const { return m_reason; }
    // Starts a refresh now unless one is running (the poll timer does the same).
    void refresh();
    QString project() const;
    // Requests the last finished refresh sent, and how many refreshes finished.
    int lastRefreshRequests() const;
    int refreshCount() const;
    // How long a value counts as current once the device has answered for it.
    int staleAfter() const;

    ac::Reading reading(const std::string &project, const ac::HeapAddress &address) const override;
    void write(const std::string &project,
               const ac::HeapAddress &address,
               const std::vector<uint8_t> &bytes,
               std::function<void(const QString &error)> done) override;

signals:
    void connected();
    // The first connection was refused; the link is unconnected now.
    void failed(const QString &message);
    void stateChanged(ModbusTcpLink::State state);
    void refreshed();

private:
    enum : uint8_t { NotRead = 0, Read = 1, FirstProblem = 2 };

    void setState(State state);
    void fail(const QString &message);
    // No more polls, retries or values from this link: it is unconnected.
    void stop();
    void opened();
    void closed(const QString &why);
    void send(const ModbusBlock &block, std::function<void()> finished);
    void take(const ModbusBlock &block, const ModbusAnswer &answer);
    void mark(const ModbusBlock &block, uint8_t state);
    uint8_t problem(const QString &text);
    void refreshDone();
    // The block a write of the value goes to and the bits or registers it
    // holds there; else why it cannot be written.
    QString unitsToWrite(const std::string &project,
                         const ac::HeapAddress &address,
                         const std::vector<uint8_t> &bytes,
                         ModbusBlock *block,
                         std::vector<quint16> *values) const;

    ControllerSettings m_settings;
    QString m_project;
    // As the controller core and the trees name it; asked for every row on screen.
    std::string m_projectKey;
    ModbusLayout m_layout;
    ModbusChannel *m_channel;
    QTimer m_pollTimer;
    QTimer m_retryTimer;
    // Tells the trees when values age past current without a refresh to say so.
    QTimer m_staleTimer;
    State m_state = Unconnected;
    QString m_reason;
    int m_backoff = 0; // ms before the last attempt to reconnect; 0 once answered
    int m_pending = 0;
    int m_sent = 0;
    int m_lastRequests = 0;
    int m_refreshes = 0;
    // Per table and address: not read yet, read, or the problem the device
    // answered (an index into m_problems, offset by FirstProblem), and when
    // the device last answered for it (ms since the epoch).
    std::array<std::vector<uint8_t>, 4> m_unitState;
    std::array<std::vector<qint64>, 4> m_readAt;
    QStringList m_problems;
    // Bridged blocks the device refused: their addresses are read range by
    // range from then on, so one refused address does not blank its neighbours.
    std::vector<ModbusBlock> m_unbridged;
};
