#include "simulatedcontroller.h"

#include "livewatch.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <tuple>

namespace {

const uint32_t NoBit = ~0u;

ac::HeapAddress bytesAt(uint32_t area, uint32_t offset, uint32_t length)
{
    ac::HeapAddress address;
    address.area = area;
    address.byteOffset = offset;
    address.bitOffset = NoBit;
    address.byteLength = length;
    switch (length) {
    case 1:
        address.dataType = ac::TYPE_BYTE;
        break;
    case 2:
        address.dataType = ac::TYPE_WORD;
        break;
    case 4:
        address.dataType = ac::TYPE_DWORD;
        break;
    default:
        address.dataType = ac::TYPE_LWORD;
        break;
    }
    return address;
}

// Controller memory is little-endian, whatever the host is.
std::optional<quint64>
readUnsigned(const ac::DeviceMemory *memory, uint32_t area, uint32_t offset, uint32_t length)
{
    std::vector<uint8_t> bytes;
    if (!memory->read(bytesAt(area, offset, length), &bytes) || bytes.size() != length)
        return std::nullopt;
    quint64 value = 0;
    for (uint32_t i = 0; i < length; ++i)
        value |= quint64(bytes[i]) << (8 * i);
    return value;
}

bool writeUnsigned(
    ac::DeviceMemory *memory, uint32_t area, uint32_t offset, uint32_t length, quint64 value)
{
    std::vector<uint8_t> bytes(length);
    for (uint32_t i = 0; i < length; ++i)
        bytes[i] = uint8_t(value >> (8 * i));
    return memory->write(bytesAt(area, offset, length), bytes);
}

void addTo(ac::DeviceMemory *memory, uint32_t area, uint32_t offset, uint32_t length, int step)
{
    if (const auto value = readUnsigned(memory, area, offset, length))
        writeUnsigned(memory, area, offset, length, *value + quint64(qint64(step)));
}

// Where a value starts: a row reads a symbol's address at the length of the
// symbol's type, which its text alone does not give.
auto key(const ac::HeapAddress &address)
{
    return std::tie(address.area, address.byteOffset, address.bitOffset);
}

uint32_t integerLength(const QString &dataType)
{
    static const QStringList twoBytes{
        QStringLiteral("INT"), QStringLiteral("UINT"), QStringLiteral("WORD")};
    static const QStringList fourBytes{QStringLiteral("DINT"),
                                       QStringLiteral("UDINT"),
                                       QStringLiteral("DWORD"),
                                       QStringLiteral("TIME")};
    static const QStringList eightBytes{
        QStringLiteral("LINT"), QStringLiteral("ULINT"), QStringLiteral("LWORD")};
    if (twoBytes.contains(dataType))
        return 2;
    if (fourBytes.contains(dataType))
        return 4;
    if (eightBytes.contains(dataType))
        return 8;
    return 0;
}

} // namespace

SimulatedController::SimulatedController(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, &SimulatedController::step);
}

SimulatedController::~SimulatedController() = default;

void SimulatedController::start()
{
    m_timer->start();
}

void SimulatedController::stop()
{
    m_timer->stop();
}

bool SimulatedController::isRunning() const
{
    return m_timer->isActive();
}

int SimulatedController::interval() const
{
    return m_timer->interval();
}

void SimulatedController::setInterval(int milliseconds)
{
    m_timer->setInterval(milliseconds);
}

void SimulatedController::step()
{
    ++m_cycle;
    const std::vector<std::string> projects = ProjectModelManager::instance()->projectNames();
    for (auto kept = m_symbols.begin(); kept != m_symbols.end();) {
        if (std::find(projects.begin(), projects.end(), kept->first) == projects.end())
            kept = m_symbols.erase(kept);
        else
            ++kept;
    }
    for (const std::string &name : projects)
        simulate(name);
    emit memoryChanged();
}

void SimulatedController::simulate(const std::string &projectName)
{
    SafeAccore core(projectName, false);
    ac::DeviceMemory *memory = core ? core->deviceMemory() : nullptr;
    if (!memory)
        return;

    const std::vector<ac::JapanMemLayout> areas = memory->japanMemLayout();
    for (uint32_t i = 0; i < areas.size(); ++i) {
        const ac::JapanMemLayout &area = areas[i];
        if (area.elementSize == 0 && area.name == "Y") {
            writeUnsigned(memory, i, 0, 1, 1u << (m_cycle % 8));
        } else if (area.elementSize == 0 && area.name == "M") {
            writeUnsigned(memory, i, 0, 1, m_cycle & 0xff);
        } else if (area.elementSize == 2 && area.name == "D") {
            const int steps[] = {1, 2, 5, 10};
            for (uint32_t word = 0; word < 4; ++word)
                addTo(memory, i, word * 2, 2, steps[word]);
            writeUnsigned(memory, i, 8, 2, m_cycle % 100);
        }
    }

    const std::vector<Slot> &resolved = resolvedSymbols(projectName, *memory);
    const auto before = [](const Slot &slot, const ac::HeapAddress &address) {
        return key(slot.address) < key(address);
    };
    const std::vector<ac::HeapAddress> watched = ac::LiveWatch::instance()->watched(projectName);
    for (auto at = watched.begin(); at != watched.end(); ++at) {
        // A value read at two lengths (a word row and a REAL symbol's row)
        // starts at one place and moves once.
        if (at != watched.begin() && key(*at) == key(*std::prev(at)))
            continue;
        for (auto slot = std::lower_bound(resolved.begin(), resolved.end(), *at, before);
             slot != resolved.end() && key(slot->address) == key(*at);
             ++slot) {
            simulateSymbol(memory, *slot);
        }
    }
}

const std::vector<SimulatedController::Slot> &
SimulatedController::resolvedSymbols(const std::string &projectName, const ac::DeviceMemory &memory)
{
    ProjectSymbols &kept = m_symbols[projectName];
    const OpenProject model(QString::fromStdString(projectName));
    const QVector<Symbol> symbols = model ? model->symbols() : QVector<Symbol>();
    // The model hands out its own vector: shared with the one kept, it is
    // unchanged since.
    if (kept.memory == &memory && kept.source.isSharedWith(symbols))
        return kept.resolved;
    kept.source = symbols;
    kept.memory = &memory;
    kept.resolved.clear();
    for (int i = 0; i < symbols.size(); ++i) {
        const Symbol &symbol = symbols.at(i);
        Slot slot;
        if (symbol.address.isEmpty() ||
            !memory.string2IecAddress(symbol.address.toStdString(), &slot.address, true)) {
            continue;
        }
        slot.type = symbol.dataType.toUpper();
        slot.index = i;
        kept.resolved.push_back(slot);
    }
    // Stable: symbols at one address step in their order, as they always did.
    std::stable_sort(kept.resolved.begin(), kept.resolved.end(), [](const Slot &a, const Slot &b) {
        return key(a.address) < key(b.address);
    });
    return kept.resolved;
}

void SimulatedController::simulateSymbol(ac::DeviceMemory *memory, const Slot &slot)
{
    const ac::HeapAddress &address = slot.address;
    const QString &type = slot.type;
    const uint32_t index = uint32_t(slot.index);

    if (type == QLatin1String("BOOL")) {
        if (address.bitOffset == NoBit || (m_cycle + index) % 5 != 0)
            return;
        const uint32_t byte = address.byteOffset + address.bitOffset / 8;
        if (const auto value = readUnsigned(memory, address.area, byte, 1))
            writeUnsigned(memory, address.area, byte, 1, *value ^ (1u << (address.bitOffset % 8)));
        return;
    }
    if (address.bitOffset != NoBit)
        return;

    const double drift = 0.5 * std::sin((m_cycle + index * 7) / 10.0);
    if (type == QLatin1String("REAL")) {
        const auto bits = readUnsigned(memory, address.area, address.byteOffset, 4);
        if (!bits)
            return;
        float value;
        const quint32 raw = quint32(*bits);
        std::memcpy(&value, &raw, sizeof value);
        value = std::isfinite(value) ? value + float(drift) : 0.0f;
        quint32 changed;
        std::memcpy(&changed, &value, sizeof changed);
        writeUnsigned(memory, address.area, address.byteOffset, 4, changed);
    } else if (type == QLatin1String("LREAL")) {
        const auto bits = readUnsigned(memory, address.area, address.byteOffset, 8);
        if (!bits)
            return;
        double value;
        const quint64 raw = *bits;
        std::memcpy(&value, &raw, sizeof value);
        value = std::isfinite(value) ? value + drift : 0.0;
        quint64 changed;
        std::memcpy(&changed, &value, sizeof changed);
        writeUnsigned(memory, address.area, address.byteOffset, 8, changed);
    } else if (const uint32_t length = integerLength(type)) {
        addTo(memory, address.area, address.byteOffset, length, 1);
    }
}
