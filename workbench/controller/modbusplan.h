#pragma once

#include "accore.h"
#include "devicecatalog.h"

#include <cstdint>
#include <vector>

// The highest address of a Modbus table: addresses are 16-bit.
constexpr uint64_t modbusLastAddress = 65535;

inline bool isModbusBitTable(DeviceCatalog::ModbusArea::Table table)
{
    return table == DeviceCatalog::ModbusArea::Coils ||
           table == DeviceCatalog::ModbusArea::DiscreteInputs;
}

// One block read of a refresh: count bits or registers of a table from start.
struct ModbusBlock
{
    DeviceCatalog::ModbusArea::Table table;
    int start;
    int count;
    bool bridged = false; // covers addresses nobody watches between watched ones
};

// A device memory's areas as they lie in the Modbus tables.
class ModbusLayout
{
public:
    ModbusLayout() = default;
    ModbusLayout(const ac::DeviceMemory &memory, const DeviceCatalog::ModbusMap &map);

    // The table range an address covers: bits of a bit area, the registers a
    // word area's bytes lie in. False when its area is not mapped or the range
    // runs past the table's last address.
    bool range(const ac::HeapAddress &address, ModbusBlock *range) const;
    // The fewest block reads that cover the addresses: per table, ranges up
    // to 64 registers or 1024 bits apart are bridged, except inside the
    // unbridged blocks, and no block asks for more than one request may (125
    // registers, 2000 bits).
    std::vector<ModbusBlock> plan(const std::vector<ac::HeapAddress> &addresses,
                                  const std::vector<ModbusBlock> &unbridged = {}) const;

    // Area index by area, and its place; null where the area is not mapped.
    const DeviceCatalog::ModbusArea *place(uint32_t area) const;
    uint32_t areaCount() const { return uint32_t(m_areas.size()); }
    // Addresses of the area's table the area spans (bits or 2-byte registers).
    uint64_t units(uint32_t area) const;

private:
    std::vector<ac::JapanMemLayout> m_areas;
    std::vector<DeviceCatalog::ModbusArea> m_places;
    std::vector<bool> m_mapped;
};
