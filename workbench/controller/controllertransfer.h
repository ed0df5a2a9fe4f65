#pragma once

#include "controllersettings.h"
#include "transfer.h"

#include <QPointer>

class ModbusTcpLink;
class SimulatedController;

// The host's connection to the controller ("zentrel.Transfer"): the
// simulated controller, or a device over Modbus TCP serving one project.
// Going online with a device is asynchronous: onlineState(true) follows once
// the device has accepted the connection; a refused first connection goes
// offline and says why in connectionFailed(). A connection lost later stays
// online while the link reconnects by itself, with every value shown stale.
class ControllerTransfer : public Transfer
{
    Q_OBJECT
public:
    explicit ControllerTransfer(QObject *parent = nullptr);
    ~ControllerTransfer() override;

    bool isOnline() const override;
    bool setOnline(bool online) override;
    // Between setOnline(true) and the device's answer.
    bool isConnecting() const;
    // Offline, connecting, online with whom, or reconnecting and why: for a
    // status indicator.
    QString stateText() const;

    // Takes effect the next time it goes online; goes offline first when the
    // settings or the project change.
    void setSettings(const ControllerSettings &settings, const QString &project);
    ControllerSettings settings() const;
    QString project() const;

    SimulatedController *simulation() const;
    // The device link while online or connecting with a device, else null.
    ModbusTcpLink *modbusLink() const;

signals:
    void connectionFailed(const QString &message);
    void stateTextChanged(const QString &text);
    // A refresh has brought the device's values (each poll of a device; each
    // cycle of the simulation).
    void refreshed();

private:
    void setState(bool online);
    // Emits stateTextChanged() when the text has changed.
    void announce();
    void dropLink();

    SimulatedController *m_simulation;
    QPointer<ModbusTcpLink> m_link;
    ControllerSettings m_settings;
    QString m_project;
    bool m_online = false;
    QString m_announced;
};
