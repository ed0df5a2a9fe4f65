#include "modbusplan.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {
using Table = DeviceCatalog::ModbusArea::Table;
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
    if (last > modbusLastAddress)
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
        const bool bits = isModbusBitTable(Table(table));
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
