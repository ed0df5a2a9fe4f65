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
    if (!deviceNames().contains(deviceName)) {
        if (error)
            *error = QStringLiteral("Unknown device \"") + deviceName + QStringLiteral("\".");
        return nullptr;
    }
    QFile file(resourceDir + QLatin1Char('/') + deviceName + suffix);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Device \"") + deviceName +
                     QStringLiteral("\": the description cannot be read.");
        return nullptr;
    }
    auto memory = parse(file.readAll(), error);
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
    if (error)
        error->clear();
    return std::make_unique<ac::DeviceMemory>(deviceName.toStdString(), std::move(layouts));
}

} // namespace DeviceCatalog
