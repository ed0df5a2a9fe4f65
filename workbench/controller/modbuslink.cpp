#include "modbuslink.h"

#include "modbuschannel.h"
#include "projectmodel.h"

#include <QDateTime>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

using Table = DeviceCatalog::ModbusArea::Table;

int connectTimeout(const ControllerSettings &settings)
{
    return std::max(3000, settings.responseTimeout);
}

quint8 readFunction(Table table)
{
    switch (table) {
    case DeviceCatalog::ModbusArea::Coils:
        return 1;
    case DeviceCatalog::ModbusArea::DiscreteInputs:
        return 2;
    case DeviceCatalog::ModbusArea::HoldingRegisters:
        return 3;
    case DeviceCatalog::ModbusArea::InputRegisters:
        break;
    }
    return 4;
}

// The request that writes the values (0 or 1 for coils) from the block's start.
std::pair<quint8, QByteArray> writeRequest(const ModbusBlock &block,
                                           const std::vector<quint16> &values)
{
    const bool bits = block.table == DeviceCatalog::ModbusArea::Coils;
    const auto word = [](quint16 value) {
        QByteArray bytes(2, Qt::Uninitialized);
        qToBigEndian(value, bytes.data());
        return bytes;
    };
    QByteArray data = word(quint16(block.start));
    if (values.size() == 1) {
        data += word(bits ? (values[0] ? 0xFF00 : 0x0000) : values[0]);
        return {bits ? 5 : 6, data};
    }
    data += word(quint16(values.size()));
    if (bits) {
        QByteArray packed(int(values.size() + 7) / 8, 0);
        for (size_t i = 0; i < values.size(); ++i)
            if (values[i])
                packed[int(i / 8)] = char(packed[int(i / 8)] | (1 << (i % 8)));
        data += char(packed.size());
        return {15, data + packed};
    }
    data += char(values.size() * 2);
    for (quint16 value : values)
        data += word(value);
    return {16, data};
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

} // namespace

ModbusTcpLink::ModbusTcpLink(const ControllerSettings &settings,
                             const QString &project,
                             QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_project(project)
    , m_projectKey(project.toStdString())
    , m_channel(new ModbusChannel(this))
{
    m_channel->setUnitId(settings.unitId);
    m_channel->setTimeout(settings.responseTimeout);
    connect(m_channel, &ModbusChannel::opened, this, &ModbusTcpLink::opened);
    connect(m_channel, &ModbusChannel::closed, this, &ModbusTcpLink::closed);
    m_pollTimer.setSingleShot(true);
    m_pollTimer.setInterval(settings.pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &ModbusTcpLink::refresh);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] {
        m_channel->open(m_settings.host, quint16(m_settings.port), connectTimeout(m_settings));
    });
    m_staleTimer.setSingleShot(true);
    m_staleTimer.setInterval(staleAfter() + 10);
    connect(&m_staleTimer, &QTimer::timeout, this, [this] {
        emit ac::LiveWatch::instance()->valuesArrived(m_project);
    });
}

ModbusTcpLink::~ModbusTcpLink()
{
    if (ac::LiveWatch::instance()->source() == this)
        ac::LiveWatch::instance()->setSource(nullptr);
    m_state = Unconnected;
    m_channel->close();
}

void ModbusTcpLink::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void ModbusTcpLink::connectToDevice()
{
    if (m_state != Unconnected)
        return;
    QString problem;
    {
        const OpenProject model(m_project);
        SafeAccore core(m_projectKey, false);
        DeviceCatalog::ModbusMap map;
        if (!model || !core || !core->deviceMemory()) {
            problem = tr("the project %1 is not open.").arg(m_project);
        } else if (DeviceCatalog::modbusMap(model->deviceName(), &map, &problem)) {
            m_layout = ModbusLayout(*core->deviceMemory(), map);
            for (std::vector<uint8_t> &state : m_unitState)
                state.assign(size_t(modbusLastAddress) + 1, NotRead);
            for (std::vector<qint64> &readAt : m_readAt)
                readAt.assign(size_t(modbusLastAddress) + 1, 0);
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
    m_backoff = 0;
    setState(Connecting);
    m_channel->open(m_settings.host, quint16(m_settings.port), connectTimeout(m_settings));
}

void ModbusTcpLink::disconnectFromDevice()
{
    stop();
    m_channel->close();
}

void ModbusTcpLink::fail(const QString &message)
{
    stop();
    emit failed(message);
}

void ModbusTcpLink::stop()
{
    m_pollTimer.stop();
    m_retryTimer.stop();
    m_staleTimer.stop();
    if (ac::LiveWatch::instance()->source() == this)
        ac::LiveWatch::instance()->setSource(nullptr);
    setState(Unconnected);
}

void ModbusTcpLink::opened()
{
    const bool first = m_state == Connecting;
    m_reason.clear();
    setState(Connected);
    if (first)
        emit connected();
    refresh();
}

void ModbusTcpLink::closed(const QString &why)
{
    switch (m_state) {
    case Unconnected:
        return;
    case Connecting:
        // A first connection that fails is most likely a wrong address: say
        // so at once rather than trying it for ever.
        fail(tr("Cannot connect to %1: %2").arg(m_settings.describe(), why));
        return;
    case Connected:
        m_reason = tr("The connection to %1 was lost: %2").arg(m_settings.describe(), why);
        break;
    case Reconnecting:
        m_reason = tr("Cannot connect to %1: %2").arg(m_settings.describe(), why);
        break;
    }
    m_pollTimer.stop();
    m_staleTimer.stop();
    // 1 s, 2 s, 4 s ... 30 s: a device that is rebooting is back soon, one
    // that is gone is not hammered.
    m_backoff = m_backoff == 0 ? 1000 : std::min(30000, m_backoff * 2);
    m_retryTimer.start(m_backoff);
    if (m_state == Reconnecting) {
        emit stateChanged(m_state); // a new reason
    } else {
        setState(Reconnecting);
        // What the trees show goes stale now, not once it has aged.
        emit ac::LiveWatch::instance()->valuesArrived(m_project);
    }
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

int ModbusTcpLink::staleAfter() const
{
    return std::max(3 * m_settings.pollInterval, m_settings.responseTimeout);
}

void ModbusTcpLink::refresh()
{
    if (m_state != Connected || m_pending > 0)
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
    if (m_state != Connected)
        return;
    if (m_sent > 0) {
        emit ac::LiveWatch::instance()->valuesArrived(m_project);
        m_staleTimer.start();
    }
    emit refreshed();
    // Counted from the end of this refresh: a device slower than the interval
    // is asked again only once it has answered.
    m_pollTimer.start();
}

void ModbusTcpLink::send(const ModbusBlock &block, std::function<void()> finished)
{
    QByteArray request(4, Qt::Uninitialized);
    auto *data = reinterpret_cast<uchar *>(request.data());
    qToBigEndian<quint16>(quint16(block.start), data);
    qToBigEndian<quint16>(quint16(block.count), data + 2);
    m_channel->send(
        readFunction(block.table), request, [this, block, finished](const ModbusAnswer &answer) {
            take(block, answer);
            finished();
        });
}

void ModbusTcpLink::take(const ModbusBlock &block, const ModbusAnswer &answer)
{
    switch (answer.outcome) {
    case ModbusAnswer::Lost:
        // The values read so far stay, stale until the connection is back.
        return;
    case ModbusAnswer::Exception:
        mark(block, problem(answer.error));
        if (block.bridged)
            m_unbridged.push_back(block);
        return;
    case ModbusAnswer::Mismatch:
    case ModbusAnswer::Timeout:
        mark(block, problem(answer.error));
        return;
    case ModbusAnswer::Answered:
        break;
    }
    m_backoff = 0;
    SafeAccore core(m_projectKey, false);
    ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    if (!memory)
        return;
    const QByteArray &data = answer.data; // the byte count, then the values
    const auto valueAt = [&](int i) -> quint16 {
        if (isModbusBitTable(block.table))
            return (quint8(data.at(1 + i / 8)) >> (i % 8)) & 1;
        return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(data.constData()) + 1 +
                                       2 * i);
    };
    const int first = block.start;
    const int last = first + block.count - 1;
    // Several areas may share a table (Y and M in the coils): each takes its part.
    for (uint32_t area = 0; area < m_layout.areaCount(); ++area) {
        const DeviceCatalog::ModbusArea *at = m_layout.place(area);
        if (!at || at->table != block.table)
            continue;
        const int from = std::max(first, int(at->offset));
        const int to = int(std::min<uint64_t>(last, at->offset + m_layout.units(area) - 1));
        for (int unit = from; unit <= to; ++unit) {
            const quint16 value = valueAt(unit - first);
            const uint64_t index = uint64_t(unit - at->offset);
            if (isModbusBitTable(block.table)) {
                memory->write(bitAt(area, index), {uint8_t(value)});
            } else {
                memory->write(registerAt(area, index), {uint8_t(value), uint8_t(value >> 8)});
            }
        }
    }
    mark(block, Read);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::vector<qint64> &readAt = m_readAt[block.table];
    std::fill(readAt.begin() + block.start, readAt.begin() + block.start + block.count, now);
}

void ModbusTcpLink::mark(const ModbusBlock &block, uint8_t state)
{
    std::vector<uint8_t> &states = m_unitState[block.table];
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

ac::Reading ModbusTcpLink::reading(const std::string &project, const ac::HeapAddress &address) const
{
    ac::Reading reading;
    reading.status = ac::Reading::Missing;
    ModbusBlock block{};
    if (m_state == Unconnected || m_state == Connecting || project != m_projectKey ||
        !m_layout.range(address, &block))
        return reading;
    const std::vector<uint8_t> &states = m_unitState[block.table];
    const std::vector<qint64> &readAt = m_readAt[block.table];
    qint64 oldest = std::numeric_limits<qint64>::max();
    for (int unit = block.start; unit < block.start + block.count; ++unit) {
        const uint8_t state = states[size_t(unit)];
        if (state >= FirstProblem)
            reading.shown = m_problems.value(state - FirstProblem);
        if (state != Read)
            return reading;
        oldest = std::min(oldest, readAt[size_t(unit)]);
    }
    reading.readAt = oldest;
    const bool recent = QDateTime::currentMSecsSinceEpoch() - oldest <= staleAfter();
    reading.status = m_state == Connected && recent ? ac::Reading::Current : ac::Reading::Stale;
    return reading;
}

void ModbusTcpLink::write(const std::string &project,
                          const ac::HeapAddress &address,
                          const std::vector<uint8_t> &bytes,
                          std::function<void(const QString &error)> done)
{
    ModbusBlock block{};
    std::vector<quint16> values;
    if (const QString refusal = unitsToWrite(project, address, bytes, &block, &values);
        !refusal.isEmpty()) {
        done(refusal);
        return;
    }
    const auto [function, request] = writeRequest(block, values);
    m_channel->send(function, request, [this, block, done](const ModbusAnswer &answer) {
        const QString error = answer.outcome == ModbusAnswer::Answered ? QString() : answer.error;
        if (m_state != Connected) {
            done(error.isEmpty() ? tr("the connection was lost.") : error);
            return;
        }
        // What the device holds now, whether it took the value or not.
        send(block, [this, error, done] {
            emit ac::LiveWatch::instance()->valuesArrived(m_project);
            done(error);
        });
    });
}

QString ModbusTcpLink::unitsToWrite(const std::string &project,
                                    const ac::HeapAddress &address,
                                    const std::vector<uint8_t> &bytes,
                                    ModbusBlock *block,
                                    std::vector<quint16> *values) const
{
    if (m_state == Reconnecting && project == m_projectKey)
        return tr("the connection to %1 is being restored.").arg(m_settings.describe());
    if (m_state != Connected || project != m_projectKey)
        return tr("%1 is not online.").arg(m_settings.describe());
    if (!m_layout.range(address, block))
        return tr("the address lies in no Modbus table of the device.");
    if (block->table == DeviceCatalog::ModbusArea::DiscreteInputs ||
        block->table == DeviceCatalog::ModbusArea::InputRegisters)
        return tr("the device's inputs cannot be written.");
    SafeAccore core(project, false);
    ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    const DeviceCatalog::ModbusArea *at = m_layout.place(address.area);
    if (!memory || !at)
        return tr("the project %1 is not open.").arg(m_project);

    // The words or bits the value spans, as the device will hold them: the
    // memory lays the value out (word order included) and is put back as it
    // was, since only the device's answer counts.
    const bool bits = block->table == DeviceCatalog::ModbusArea::Coils;
    const auto unitAt = [&](int unit) {
        return bits ? bitAt(address.area, uint64_t(unit - at->offset))
                    : registerAt(address.area, uint64_t(unit - at->offset));
    };
    std::vector<std::vector<uint8_t>> before(size_t(block->count));
    for (int i = 0; i < block->count; ++i)
        memory->read(unitAt(block->start + i), &before[size_t(i)]);
    if (!memory->write(address, bytes))
        return tr("the value does not fit the address.");
    std::vector<uint8_t> now;
    for (int i = 0; i < block->count; ++i) {
        memory->read(unitAt(block->start + i), &now);
        values->push_back(bits ? quint16(now.at(0)) : quint16(now.at(0) | (now.at(1) << 8)));
        memory->write(unitAt(block->start + i), before[size_t(i)]);
    }
    return QString();
}
