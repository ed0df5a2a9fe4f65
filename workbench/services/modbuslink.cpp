#include "modbuslink.h"

#include "projectmodel.h"

#include <QModbusReply>
#include <QModbusTcpClient>

#include <algorithm>
#include <memory>

namespace {

using Table = DeviceCatalog::ModbusArea::Table;

constexpr uint64_t lastTableAddress = 65535;

bool isBitTable(Table table)
{
    return table == DeviceCatalog::ModbusArea::Coils ||
           table == DeviceCatalog::ModbusArea::DiscreteInputs;
}

} // namespace

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

ac::HeapAddress registerAt(uint32_t area, uint64_t index)
{
    ac::HeapAddress address;
    address.area = area;
    address.byteOffset = uint32_t(index * 2);
    address.dataType = ac::TYPE_WORD;
    address.byteLength = 2;
    return address;
}

ac::HeapAddress bitAt(uint32_t area, uint64_t index)
{
    ac::HeapAddress address;
    address.area = area;
    address.byteOffset = uint32_t(index / 8);
    address.bitOffset = uint32_t(index % 8);
    address.dataType = ac::TYPE_BIT;
    address.byteLength = 1;
    return address;
}

QString exceptionName(int code)
{
    switch (code) {
    case 1:
        return ModbusTcpLink::tr("illegal function");
    case 2:
        return ModbusTcpLink::tr("illegal data address");
    case 3:
        return ModbusTcpLink::tr("illegal data value");
    case 4:
        return ModbusTcpLink::tr("server device failure");
    case 6:
        return ModbusTcpLink::tr("server device busy");
    case 10:
        return ModbusTcpLink::tr("gateway path unavailable");
    case 11:
        return ModbusTcpLink::tr("gateway target failed to respond");
    default:
        return ModbusTcpLink::tr("code %1").arg(code);
    }
}

ModbusLayout::ModbusLayout(const ac::DeviceMemory &memory, const DeviceCatalog::ModbusMap &map)
    : m_areas(memory.japanMemLayout())
    , m_places(m_areas.size())
    , m_mapped(m_areas.size(), false)
{
    for (size_t i = 0; i < m_areas.size(); ++i) {
        const auto found = map.constFind(QString::fromStdString(m_areas[i].name));
        if (found != map.constEnd()) {
            m_places[i] = *found;
            m_mapped[i] = true;
        }
    }
}

const DeviceCatalog::ModbusArea *ModbusLayout::place(uint32_t area) const
{
    return area < m_areas.size() && m_mapped[area] ? &m_places[area] : nullptr;
}

uint64_t ModbusLayout::units(uint32_t area) const
{
    if (area >= m_areas.size())
        return 0;
    const ac::JapanMemLayout &layout = m_areas[area];
    return layout.elementSize == 0 ? uint64_t(layout.byteSize) * 8 : layout.byteSize / 2;
}

bool ModbusLayout::range(const ac::HeapAddress &address, ModbusBlock *range) const
{
    const DeviceCatalog::ModbusArea *at = place(address.area);
    if (!at || address.byteLength == 0 || address.byteOffset == ~0u)
        return false;
    uint64_t first = 0;
    uint64_t last = 0;
    const uint64_t byte = address.byteOffset;
    if (m_areas[address.area].elementSize == 0) {
        const bool isBit = address.bitOffset != ~0u;
        first = byte * 8 + (isBit ? address.bitOffset : 0);
        last = isBit ? first : (byte + address.byteLength) * 8 - 1;
    } else {
        first = byte / 2;
        last = (byte + address.byteLength - 1) / 2;
    }
    first += at->offset;
    last += at->offset;
    if (last > lastTableAddress)
        return false;
    *range = ModbusBlock{at->table, int(first), int(last - first + 1)};
    return true;
}

std::vector<ModbusBlock> ModbusLayout::plan(const std::vector<ac::HeapAddress> &addresses,
                                            const std::vector<ModbusBlock> &unbridged) const
{
    const auto mayBridge = [&unbridged](size_t table, int first, int last) {
        return std::none_of(unbridged.begin(), unbridged.end(), [&](const ModbusBlock &block) {
            return size_t(block.table) == table && first < block.start + block.count &&
                   block.start <= last;
        });
    };
    std::array<std::vector<std::pair<int, int>>, 4> spans;
    for (const ac::HeapAddress &address : addresses) {
        ModbusBlock block{};
        if (range(address, &block))
            spans[block.table].emplace_back(block.start, block.start + block.count - 1);
    }
    std::vector<ModbusBlock> blocks;
    for (size_t table = 0; table < spans.size(); ++table) {
        const bool bits = isBitTable(Table(table));
        // A request costs a round trip; a few addresses more in an answer cost
        // next to nothing.
        const int bridge = bits ? 1024 : 64;
        const int limit = bits ? 2000 : 125;
        std::sort(spans[table].begin(), spans[table].end());
        const size_t tableStart = blocks.size();
        for (const auto &[first, last] : spans[table]) {
            if (blocks.size() > tableStart) {
                ModbusBlock &current = blocks.back();
                const int end = current.start + current.count - 1;
                const bool fits = last - current.start + 1 <= limit;
                if (first <= end + 1 && fits) {
                    current.count = std::max(current.count, last - current.start + 1);
                    continue;
                }
                if (first > end + 1 && first <= end + 1 + bridge && fits &&
                    mayBridge(table, current.start, last)) {
                    current.count = last - current.start + 1;
                    current.bridged = true;
                    continue;
                }
            }
            blocks.push_back(ModbusBlock{Table(table), first, last - first + 1, false});
        }
    }
    return blocks;
}

ModbusTcpLink::ModbusTcpLink(const ControllerSettings &settings,
                             const QString &project,
                             QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_project(project)
    , m_projectKey(project.toStdString())
    , m_client(new QModbusTcpClient(this))
{
    m_pollTimer.setSingleShot(true);
    m_pollTimer.setInterval(settings.pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ModbusTcpLink::refresh);
    m_connectTimer.setSingleShot(true);
    m_connectTimer.setInterval(std::max(3000, settings.responseTimeout));
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        m_lastError = tr("no answer within %1 ms").arg(m_connectTimer.interval());
        m_client->disconnectDevice();
    });
    connect(m_client, &QModbusDevice::errorOccurred, this, [this](QModbusDevice::Error error) {
        if (error == QModbusDevice::ConnectionError || m_lastError.isEmpty())
            m_lastError = m_client->errorString();
    });
    connect(m_client, &QModbusDevice::stateChanged, this, [this](QModbusDevice::State state) {
        if (m_closing)
            return;
        if (state == QModbusDevice::ConnectedState) {
            m_connectTimer.stop();
            m_connected = true;
            m_lastError.clear();
            emit connected();
            refresh();
        } else if (state == QModbusDevice::UnconnectedState) {
            const bool wasConnected = m_connected;
            m_connected = false;
            // Qt reports the socket's error just after this state change.
            QTimer::singleShot(0, this, [this, wasConnected] {
                if (m_closing)
                    return;
                const QString why = m_lastError.isEmpty() ? m_client->errorString() : m_lastError;
                fail(wasConnected
                         ? tr("The connection to %1 was lost: %2").arg(m_settings.describe(), why)
                         : tr("Cannot connect to %1: %2").arg(m_settings.describe(), why));
            });
        }
    });
}

ModbusTcpLink::~ModbusTcpLink()
{
    if (ac::LiveWatch::instance()->source() == this)
        ac::LiveWatch::instance()->setSource(nullptr);
    m_closing = true;
    m_client->disconnectDevice();
}

void ModbusTcpLink::connectToDevice()
{
    if (m_client->state() != QModbusDevice::UnconnectedState)
        return;
    m_closing = false;
    m_lastError.clear();
    QString problem;
    {
        const OpenProject model(m_project);
        SafeAccore core(m_projectKey, false);
        DeviceCatalog::ModbusMap map;
        if (!model || !core || !core->deviceMemory()) {
            problem = tr("the project %1 is not open.").arg(m_project);
        } else if (DeviceCatalog::modbusMap(model->deviceName(), &map, &problem)) {
            m_layout = ModbusLayout(*core->deviceMemory(), map);
            for (std::vector<uint8_t> &state : m_state)
                state.assign(size_t(lastTableAddress) + 1, NotRead);
            m_problems.clear();
        }
    }
    if (!problem.isEmpty()) {
        // Asynchronous like every other outcome, so callers see one order of events.
        QTimer::singleShot(0, this, [this, problem] {
            fail(tr("Cannot connect to %1: %2").arg(m_settings.describe(), problem));
        });
        return;
    }
    m_client->setConnectionParameter(QModbusDevice::NetworkAddressParameter, m_settings.host);
    m_client->setConnectionParameter(QModbusDevice::NetworkPortParameter, m_settings.port);
    m_client->setTimeout(m_settings.responseTimeout);
    m_client->setNumberOfRetries(0);
    if (!m_client->connectDevice()) {
        const QString why = m_client->errorString();
        QTimer::singleShot(0, this, [this, why] {
            fail(tr("Cannot connect to %1: %2").arg(m_settings.describe(), why));
        });
        return;
    }
    m_connectTimer.start();
}

void ModbusTcpLink::disconnectFromDevice()
{
    m_closing = true;
    m_connected = false;
    m_pollTimer.stop();
    m_connectTimer.stop();
    if (ac::LiveWatch::instance()->source() == this)
        ac::LiveWatch::instance()->setSource(nullptr);
    m_client->disconnectDevice();
}

void ModbusTcpLink::fail(const QString &message)
{
    m_connected = false;
    m_connectTimer.stop();
    m_pollTimer.stop();
    if (ac::LiveWatch::instance()->source() == this)
        ac::LiveWatch::instance()->setSource(nullptr);
    emit failed(message);
}

bool ModbusTcpLink::isConnected() const
{
    return m_connected;
}

QString ModbusTcpLink::project() const
{
    return m_project;
}

int ModbusTcpLink::lastRefreshRequests() const
{
    return m_lastRequests;
}

int ModbusTcpLink::refreshCount() const
{
    return m_refreshes;
}

void ModbusTcpLink::refresh()
{
    if (!m_connected || m_pending > 0)
        return;
    m_pollTimer.stop();
    const std::vector<ModbusBlock> blocks =
        m_layout.plan(ac::LiveWatch::instance()->watched(m_projectKey), m_unbridged);
    m_sent = int(blocks.size());
    if (blocks.empty()) {
        refreshDone();
        return;
    }
    m_pending = m_sent;
    for (const ModbusBlock &block : blocks) {
        send(block, [this] {
            if (--m_pending == 0)
                refreshDone();
        });
    }
}

void ModbusTcpLink::refreshDone()
{
    m_lastRequests = m_sent;
    ++m_refreshes;
    if (!m_connected)
        return;
    if (m_sent > 0)
        emit ac::LiveWatch::instance()->valuesArrived(m_project);
    emit refreshed();
    // Counted from the end of this refresh: a device slower than the interval
    // is asked again only once it has answered.
    m_pollTimer.start();
}

void ModbusTcpLink::send(const ModbusBlock &block, std::function<void()> finished)
{
    const QModbusDataUnit unit(modbusRegisterType(block.table), block.start, quint16(block.count));
    QModbusReply *reply = m_client->sendReadRequest(unit, m_settings.unitId);
    if (!reply) {
        mark(block, problem(m_client->errorString()));
        finished();
        return;
    }
    if (reply->isFinished()) {
        take(block, reply);
        delete reply;
        finished();
        return;
    }
    // Qt's client stops a reply's timer once the frame's header has come; when
    // the rest never does, it waits for ever and reads the frames after it out
    // of step. The link keeps a deadline of its own past Qt's, and a request
    // still open then means the stream can no longer be trusted.
    const auto open = std::make_shared<bool>(true);
    auto deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(reply, &QModbusReply::finished, this, [this, block, reply, finished, open] {
        if (!*open)
            return;
        *open = false;
        take(block, reply);
        reply->deleteLater();
        finished();
    });
    connect(deadline, &QTimer::timeout, this, [this, block, reply, finished, open] {
        if (!*open)
            return;
        *open = false;
        reply->deleteLater();
        mark(block, problem(tr("no answer within %1 ms").arg(m_settings.responseTimeout)));
        finished();
        if (!m_connected)
            return;
        m_lastError = tr("an answer stopped part way, so the answers after it could not be "
                         "told apart");
        m_client->disconnectDevice();
    });
    deadline->start(m_settings.responseTimeout + std::max(250, m_settings.responseTimeout / 4));
}

void ModbusTcpLink::take(const ModbusBlock &block, QModbusReply *reply)
{
    if (!m_connected)
        return;
    if (reply->error() != QModbusDevice::NoError) {
        mark(block, problem(replyError(reply)));
        if (block.bridged && reply->error() == QModbusDevice::ProtocolError)
            m_unbridged.push_back(block);
        return;
    }
    // Qt's client takes any well-formed frame as the answer: coils for a read
    // of registers, or more registers than asked, would show as the values.
    if (const QString mismatch = answerMismatch(block, reply); !mismatch.isEmpty()) {
        mark(block, problem(mismatch));
        return;
    }
    SafeAccore core(m_projectKey, false);
    ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    if (!memory)
        return;
    const QModbusDataUnit result = reply->result();
    const int first = result.startAddress();
    const int last = first + int(result.valueCount()) - 1;
    // Several areas may share a table (Y and M in the coils): each takes its part.
    for (uint32_t area = 0; area < m_layout.areaCount(); ++area) {
        const DeviceCatalog::ModbusArea *at = m_layout.place(area);
        if (!at || at->table != block.table)
            continue;
        const int from = std::max(first, int(at->offset));
        const int to = int(std::min<uint64_t>(last, at->offset + m_layout.units(area) - 1));
        for (int unit = from; unit <= to; ++unit) {
            const quint16 value = result.value(unit - first);
            const uint64_t index = uint64_t(unit - at->offset);
            if (isBitTable(block.table)) {
                memory->write(bitAt(area, index), {uint8_t(value ? 1 : 0)});
            } else {
                memory->write(registerAt(area, index), {uint8_t(value), uint8_t(value >> 8)});
            }
        }
    }
    mark(ModbusBlock{block.table, first, last - first + 1}, Read);
}

void ModbusTcpLink::mark(const ModbusBlock &block, uint8_t state)
{
    std::vector<uint8_t> &states = m_state[block.table];
    for (int unit = block.start; unit < block.start + block.count && unit < int(states.size());
         ++unit)
        states[size_t(unit)] = state;
}

uint8_t ModbusTcpLink::problem(const QString &text)
{
    int index = m_problems.indexOf(text);
    if (index < 0) {
        // The states keep a byte an address; texts beyond that share the last.
        if (m_problems.size() >= 250)
            m_problems.last() = text;
        else
            m_problems.append(text);
        index = m_problems.size() - 1;
    }
    return uint8_t(FirstProblem + index);
}

QString ModbusTcpLink::answerMismatch(const ModbusBlock &block, QModbusReply *reply) const
{
    int asked = 0;
    switch (modbusRegisterType(block.table)) {
    case QModbusDataUnit::Coils:
        asked = 1;
        break;
    case QModbusDataUnit::DiscreteInputs:
        asked = 2;
        break;
    case QModbusDataUnit::HoldingRegisters:
        asked = 3;
        break;
    default:
        asked = 4;
        break;
    }
    const QModbusResponse answer = reply->rawResult();
    const int function = int(answer.functionCode());
    if (function != asked)
        return tr("the device answered function %1 to a read of function %2")
            .arg(function)
            .arg(asked);
    const QByteArray data = answer.data();
    const int bytes = isBitTable(block.table) ? (block.count + 7) / 8 : block.count * 2;
    const int answered = data.isEmpty() ? 0 : quint8(data.at(0));
    if (answered != bytes || data.size() != bytes + 1)
        return tr("the device answered %1 bytes where %2 were asked for").arg(answered).arg(bytes);
    return QString();
}

QString ModbusTcpLink::replyError(QModbusReply *reply) const
{
    switch (reply->error()) {
    case QModbusDevice::ProtocolError: {
        // Not QModbusPdu::exceptionCode(): Qt keeps the answer's function code
        // sign-extended in an enum, which reading as one is undefined.
        const QByteArray answer = reply->rawResult().data();
        const int code = answer.isEmpty() ? 0 : quint8(answer.at(0));
        return tr("Modbus exception %1 (%2)").arg(code).arg(exceptionName(code));
    }
    case QModbusDevice::TimeoutError:
        return tr("no answer within %1 ms").arg(m_settings.responseTimeout);
    default:
        return reply->errorString();
    }
}

bool ModbusTcpLink::isRead(const std::string &project,
                           const ac::HeapAddress &address,
                           QString *shown) const
{
    if (shown)
        shown->clear();
    ModbusBlock block{};
    if (!m_connected || project != m_projectKey || !m_layout.range(address, &block))
        return false;
    const std::vector<uint8_t> &states = m_state[block.table];
    for (int unit = block.start; unit < block.start + block.count; ++unit) {
        const uint8_t state = states[size_t(unit)];
        if (state == Read)
            continue;
        if (state >= FirstProblem && shown)
            *shown = m_problems.value(state - FirstProblem);
        return false;
    }
    return true;
}

void ModbusTcpLink::write(const std::string &project,
                          const ac::HeapAddress &address,
                          const std::vector<uint8_t> &bytes,
                          std::function<void(const QString &error)> done)
{
    ModbusBlock block{};
    if (!m_connected || project != m_projectKey) {
        done(tr("%1 is not online.").arg(m_settings.describe()));
        return;
    }
    if (!m_layout.range(address, &block)) {
        done(tr("the address lies in no Modbus table of the device."));
        return;
    }
    if (block.table == DeviceCatalog::ModbusArea::DiscreteInputs ||
        block.table == DeviceCatalog::ModbusArea::InputRegisters) {
        done(tr("the device's inputs cannot be written."));
        return;
    }
    SafeAccore core(project, false);
    ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    const DeviceCatalog::ModbusArea *at = m_layout.place(address.area);
    if (!memory || !at) {
        done(tr("the project %1 is not open.").arg(m_project));
        return;
    }

    // The words or bits the value spans, as the device will hold them: the
    // memory lays the value out (word order included) and is put back as it
    // was, since only the device's answer counts.
    const bool bits = block.table == DeviceCatalog::ModbusArea::Coils;
    const auto unitAt = [&](int unit) {
        return bits ? bitAt(address.area, uint64_t(unit - at->offset))
                    : registerAt(address.area, uint64_t(unit - at->offset));
    };
    std::vector<std::vector<uint8_t>> before(size_t(block.count));
    for (int i = 0; i < block.count; ++i)
        memory->read(unitAt(block.start + i), &before[size_t(i)]);
    if (!memory->write(address, bytes)) {
        done(tr("the value does not fit the address."));
        return;
    }
    QVector<quint16> values;
    std::vector<uint8_t> now;
    for (int i = 0; i < block.count; ++i) {
        memory->read(unitAt(block.start + i), &now);
        values.append(bits ? quint16(now.at(0)) : quint16(now.at(0) | (now.at(1) << 8)));
        memory->write(unitAt(block.start + i), before[size_t(i)]);
    }

    const QModbusDataUnit unit(modbusRegisterType(block.table), block.start, values);
    QModbusReply *reply = m_client->sendWriteRequest(unit, m_settings.unitId);
    if (!reply) {
        done(m_client->errorString());
        return;
    }
    const auto answered = [this, block, reply, done] {
        const QString error =
            reply->error() == QModbusDevice::NoError ? QString() : replyError(reply);
        reply->deleteLater();
        if (!m_connected) {
            done(error.isEmpty() ? tr("the connection was lost.") : error);
            return;
        }
        // What the device holds now, whether it took the value or not.
        send(block, [this, error, done] {
            emit ac::LiveWatch::instance()->valuesArrived(m_project);
            done(error);
        });
    };
    if (reply->isFinished())
        answered();
    else
        connect(reply, &QModbusReply::finished, this, answered);
}
