#pragma once

#include "accore.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

// The device descriptions the workbench knows, compiled in as ":/devices/<name>.json".
namespace DeviceCatalog {

QStringList deviceNames();
// A device memory laid out as the description says, all zeros; null with a
// message naming the device and the problem when the device is unknown or its
// description is broken.
std::unique_ptr<ac::DeviceMemory> create(const QString &deviceName, QString *error);
// The same from a description's JSON text, wherever it comes from.
std::unique_ptr<ac::DeviceMemory> parse(const QByteArray &description, QString *error);

// Where an area's addresses lie in the tables of a controller reached over
// Modbus: its first bit or word at offset, the next ones after it.
struct ModbusArea
{
    enum Table { Coils, DiscreteInputs, HoldingRegisters, InputRegisters };
    Table table = HoldingRegisters;
    quint16 offset = 0;
};
// By area name; an area the description does not map is not in it.
using ModbusMap = QHash<QString, ModbusArea>;
// The description's member "modbus" ({"wordOrder": "lowWordFirst" or
// "highWordFirst", "areas": {"D": {"table": "holdingRegisters", "offset": 0},
// ...}}). False with a message when the device is unknown or its map is
// broken; a device without a map maps nothing.
bool modbusMap(const QString &deviceName, ModbusMap *map, QString *error);
bool parseModbusMap(const QByteArray &description, ModbusMap *map, QString *error);

} // namespace DeviceCatalog
