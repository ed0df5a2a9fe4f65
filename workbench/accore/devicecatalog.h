#pragma once

#include "accore.h"

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

} // namespace DeviceCatalog
