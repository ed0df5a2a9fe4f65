#include "controllertransfer.h"

#include "hostnames.h"
#include "livewatch.h"
#include "modbuslink.h"
#include "simulatedcontroller.h"

ControllerTransfer::ControllerTransfer(QObject *parent)
    : Transfer(parent)
    , m_simulation(new SimulatedController(this))
{
    setObjectName(HostNames::transfer());
    m_announced = stateText();
    connect(
        m_simulation, &SimulatedController::memoryChanged, this, &ControllerTransfer::refreshed);
}

ControllerTransfer::~ControllerTransfer()
{
    dropLink();
}

bool ControllerTransfer::isOnline() const
{
    return m_online;
}

bool ControllerTransfer::isConnecting() const
{
    return m_link && !m_online;
}

void ControllerTransfer::setState(bool online)
{
    if (online == m_online)
        return;
    m_online = online;
    emit onlineState(online);
    announce();
}

void ControllerTransfer::announce()
{
    const QString text = stateText();
    if (text == m_announced)
        return;
    m_announced = text;
    emit stateTextChanged(text);
}

QString ControllerTransfer::stateText() const
{
    const QString device = m_settings.describe();
    if (!m_link)
        return m_online ? tr("Online with %1").arg(device) : tr("Offline");
    switch (m_link->state()) {
    case ModbusTcpLink::Connected:
        return tr("Online with %1").arg(device);
    case ModbusTcpLink::Reconnecting:
        return tr("Reconnecting… %1").arg(m_link->reason());
    case ModbusTcpLink::Connecting:
    case ModbusTcpLink::Unconnected:
        break;
    }
    return tr("Connecting to %1…").arg(device);
}

bool ControllerTransfer::setOnline(bool online)
{
    if (!online) {
        m_simulation->stop();
        dropLink();
        setState(false);
        announce();
        return true;
    }
    if (m_online || m_link)
        return true;
    if (m_settings.backend == ControllerSettings::Simulated) {
        m_simulation->start();
        setState(true);
        return true;
    }
    m_link = new ModbusTcpLink(m_settings, m_project, this);
    connect(m_link, &ModbusTcpLink::connected, this, [this] {
        ac::LiveWatch::instance()->setSource(m_link);
        setState(true);
    });
    connect(m_link, &ModbusTcpLink::refreshed, this, &ControllerTransfer::refreshed);
    connect(m_link, &ModbusTcpLink::stateChanged, this, &ControllerTransfer::announce);
    connect(m_link, &ModbusTcpLink::failed, this, [this](const QString &message) {
        dropLink();
        setState(false);
        announce();
        emit connectionFailed(message);
    });
    m_link->connectToDevice();
    announce();
    return true;
}

void ControllerTransfer::dropLink()
{
    if (!m_link)
        return;
    ModbusTcpLink *link = m_link;
    m_link = nullptr;
    link->disconnect(this);
    link->disconnectFromDevice();
    // Not at once: this may run inside one of the link's own signals.
    link->deleteLater();
}

void ControllerTransfer::setSettings(const ControllerSettings &settings, const QString &project)
{
    const bool device = settings.backend != ControllerSettings::Simulated;
    if (settings == m_settings && (!device || project == m_project)) {
        m_project = project;
        return;
    }
    if (m_online || m_link)
        setOnline(false);
    m_settings = settings;
    m_project = project;
}

ControllerSettings ControllerTransfer::settings() const
{
    return m_settings;
}

QString ControllerTransfer::project() const
{
    return m_project;
}

SimulatedController *ControllerTransfer::simulation() const
{
    return m_simulation;
}

ModbusTcpLink *ControllerTransfer::modbusLink() const
{
    return m_link;
}
