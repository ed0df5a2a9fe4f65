#include "devicecatalog.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <set>

namespace DeviceCatalog {

namespace {

const QString resourceDir = QStringLiteral(":/devices");
const QString suffix = QStringLiteral(".json");
constexpr uint32_t bitAreaByteLimit = uint32_t(1) << 29;

bool isAreaName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('z')))) {
            return false;
        }
    }
    return true;
}

bool readUnsigned(const QJsonObject &object, const QString &key, uint32_t *value)
{
    const QJsonValue field = object.value(key);
    if (!field.isDouble())
        return false;
    const double number = field.toDouble();
    if (number < 0 || number > 4294967295.0 || std::floor(number) != number)
        return false;
    *value = uint32_t(number);
    return true;
}

bool readArea(const QJsonObject &object, ac::JapanMemLayout *layout, QString *problem)
{
    const QString name = object.value(QStringLiteral("name")).toString();
    if (!isAreaName(name)) {
        *problem = QStringLiteral("an area has no name of letters");
        return false;
    }
    layout->name = name.toStdString();
    const auto fail = [&](const QString &what) {
        *problem = QStringLiteral("area ") + name + QStringLiteral(": ") + what;
        return false;
    };
    if (!readUnsigned(object, QStringLiteral("byteSize"), &layout->byteSize))
        return fail(QStringLiteral("byteSize is not a 32-bit unsigned number"));
    if (!readUnsigned(object, QStringLiteral("radix"), &layout->radix) ||
        (layout->radix != 2 && layout->radix != 8 && layout->radix != 10 && layout->radix != 16)) {
        return fail(QStringLiteral("radix must be 2, 8, 10 or 16"));
    }
    if (!readUnsigned(object, QStringLiteral("elementSize"), &layout->elementSize) ||
        (layout->elementSize != 0 && layout->elementSize != 1 && layout->elementSize != 2 &&
         layout->elementSize != 4 && layout->elementSize != 8)) {
        return fail(QStringLiteral("elementSize must be 0, 1, 2, 4 or 8"));
    }
    // Bit addresses are 32-bit numbers: a larger bit area could never be reached whole.
    if (layout->elementSize == 0 && layout->byteSize > bitAreaByteLimit)
        return fail(QStringLiteral("a bit area holds at most 2^32 bits (536870912 bytes)"));
    if (!readUnsigned(object, QStringLiteral("dataType"), &layout->dataType))
        return fail(QStringLiteral("dataType is not a data-type code"));
    return true;
}

bool readDescription(const QString &deviceName, QByteArray *description, QString *error)
{
    QFile file(resourceDir + QLatin1Char('/') + deviceName + suffix);
    if (!deviceNames().contains(deviceName)) {
        if (error)
            *error = QStringLiteral("Unknown device \"") + deviceName + QStringLiteral("\".");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Device \"") + deviceName +
                     QStringLiteral("\": the description cannot be read.");
        return false;
    }
    *description = file.readAll();
    return true;
}

const QString modbusKey = QStringLiteral("modbus");

bool highWordFirst(const QJsonObject &root, bool *high, QString *problem)
{
    const QJsonValue order = root.value(modbusKey).toObject().value(QStringLiteral("wordOrder"));
    *high = order == QLatin1String("highWordFirst");
    if (order.isUndefined() || *high || order == QLatin1String("lowWordFirst"))
        return true;
    *problem = QStringLiteral("the word order is neither lowWordFirst nor highWordFirst");
    return false;
}

} // namespace

QStringList deviceNames()
{
    QStringList names;
    const QStringList files =
        QDir(resourceDir).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        names.append(file.left(file.size() - suffix.size()));
    return names;
}

std::unique_ptr<ac::DeviceMemory> create(const QString &deviceName, QString *error)
{
    QByteArray description;
    if (!readDescription(deviceName, &description, error))
        return nullptr;
    auto memory = parse(description, error);
    if (memory && QString::fromStdString(memory->deviceName()) != deviceName) {
        if (error)
            *error = QStringLiteral("Device \"") + deviceName +
                     QStringLiteral("\": the description names another device.");
        return nullptr;
    }
    return memory;
}

std::unique_ptr<ac::DeviceMemory> parse(const QByteArray &description, QString *error)
{
    QString deviceName;
    const auto broken = [&](const QString &problem) {
        if (error) {
            *error = (deviceName.isEmpty()
                          ? QStringLiteral("Device description")
                          : QStringLiteral("Device \"") + deviceName + QLatin1Char('"')) +
                     QStringLiteral(": ") + problem + QLatin1Char('.');
        }
        return std::unique_ptr<ac::DeviceMemory>();
    };

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(description, &parseError);
    if (document.isNull())
        return broken(parseError.errorString());
    if (!document.isObject())
        return broken(QStringLiteral("not a JSON object"));
    const QJsonObject root = document.object();
    deviceName = root.value(QStringLiteral("name")).toString();
    if (deviceName.isEmpty())
        return broken(QStringLiteral("no device name"));
    if (!root.value(QStringLiteral("areas")).isArray())
        return broken(QStringLiteral("no list of areas"));

    std::vector<ac::JapanMemLayout> layouts;
    std::set<std::string> seen;
    const QJsonArray areas = root.value(QStringLiteral("areas")).toArray();
    for (const QJsonValue &area : areas) {
        ac::JapanMemLayout layout;
        QString problem;
        if (!area.isObject())
            return broken(QStringLiteral("an area is not an object"));
        if (!readArea(area.toObject(), &layout, &problem))
            return broken(problem);
        if (!seen.insert(layout.name).second)
            return broken(QStringLiteral("area ") + QString::fromStdString(layout.name) +
                          QStringLiteral(" is listed twice"));
        layouts.push_back(std::move(layout));
    }
    bool high = false;
    QString problem;
    if (!highWordFirst(root, &high, &problem))
        return broken(problem);
    if (error)
        error->clear();
    auto memory = std::make_unique<ac::DeviceMemory>(deviceName.toStdString(), std::move(layouts));
    memory->setHighWordFirst(high);
    return memory;
}

bool modbusMap(const QString &deviceName, ModbusMap *map, QString *error)
{
    QByteArray description;
    return readDescription(deviceName, &description, error) &&
           parseModbusMap(description, map, error);
}

bool parseModbusMap(const QByteArray &description, ModbusMap *map, QString *error)
{
    map->clear();
    QString problem;
    const auto memory = parse(description, &problem);
    const auto broken = [&](const QString &what) {
        if (error)
            *error = problem.isEmpty() ? what : problem;
        map->clear();
        return false;
    };
    if (!memory)
        return broken(problem);
    const QString device = QString::fromStdString(memory->deviceName());
    const QJsonValue modbus = QJsonDocument::fromJson(description).object().value(modbusKey);
    if (modbus.isUndefined())
        return true;
    const auto fail = [&](const QString &what) {
        return broken(QStringLiteral("Device \"") + device + QStringLiteral("\": Modbus map: ") +
                      what + QLatin1Char('.'));
    };
    const QJsonValue areas = modbus.toObject().value(QStringLiteral("areas"));
    if (!modbus.isObject() || !areas.isObject())
        return fail(QStringLiteral("no object of areas"));
    static const QHash<QString, ModbusArea::Table> tables{
        {QStringLiteral("coils"), ModbusArea::Coils},
        {QStringLiteral("discreteInputs"), ModbusArea::DiscreteInputs},
        {QStringLiteral("holdingRegisters"), ModbusArea::HoldingRegisters},
        {QStringLiteral("inputRegisters"), ModbusArea::InputRegisters},
    };
    const QJsonObject entries = areas.toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const ac::JapanMemLayout layout = memory->japanMemLayout(it.key().toStdString());
        if (layout.name.empty())
            return fail(QStringLiteral("no area ") + it.key());
        const QJsonObject entry = it.value().toObject();
        const auto table = tables.constFind(entry.value(QStringLiteral("table")).toString());
        if (table == tables.constEnd())
            return fail(QStringLiteral("area ") + it.key() + QStringLiteral(" names no table"));
        const bool bitTable = *table == ModbusArea::Coils || *table == ModbusArea::DiscreteInputs;
        if (bitTable != (layout.elementSize == 0)) {
            return fail(
                QStringLiteral("area ") + it.key() +
                QStringLiteral(": bits go to coils or discrete inputs, words to registers"));
        }
        uint32_t offset = 0;
        if (!readUnsigned(entry, QStringLiteral("offset"), &offset) || offset > 65535)
            return fail(QStringLiteral("area ") + it.key() +
                        QStringLiteral(": the offset is not a number from 0 to 65535"));
        map->insert(it.key(), ModbusArea{*table, quint16(offset)});
    }
    return true;
}

} // namespace DeviceCatalog
