#include "controllersettings.h"

#include <QCoreApplication>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

namespace {

const QString backendKey = QStringLiteral("backend");
const QString hostKey = QStringLiteral("host");
const QString portKey = QStringLiteral("port");
const QString unitKey = QStringLiteral("unit");
const QString intervalKey = QStringLiteral("pollInterval");
const QString timeoutKey = QStringLiteral("responseTimeout");
const QString modbusTcp = QStringLiteral("modbus-tcp");

// Poll interval and timeout below 10 ms would only flood the device.
bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

void readInt(const QJsonObject &object, const QString &key, int low, int high, int *value)
{
    const QJsonValue field = object.value(key);
    if (field.isDouble() && field.toDouble() == double(field.toInt()) &&
        inRange(field.toInt(), low, high)) {
        *value = field.toInt();
    }
}

QString tr(const char *text)
{
    return QCoreApplication::translate("ControllerSettings", text);
}

} // namespace

bool ControllerSettings::operator==(const ControllerSettings &other) const
{
    return backend == other.backend && host == other.host && port == other.port &&
           unitId == other.unitId && pollInterval == other.pollInterval &&
           responseTimeout == other.responseTimeout;
}

QJsonObject ControllerSettings::toJson() const
{
    return QJsonObject{
        {backendKey, backend == ModbusTcp ? modbusTcp : QStringLiteral("simulated")},
        {hostKey, host},
        {portKey, port},
        {unitKey, unitId},
        {intervalKey, pollInterval},
        {timeoutKey, responseTimeout},
    };
}

ControllerSettings ControllerSettings::fromJson(const QJsonObject &object)
{
    ControllerSettings settings;
    if (object.value(backendKey).toString() == modbusTcp)
        settings.backend = ModbusTcp;
    const QString host = object.value(hostKey).toString().trimmed();
    if (!host.isEmpty())
        settings.host = host;
    readInt(object, portKey, 1, 65535, &settings.port);
    readInt(object, unitKey, 0, 255, &settings.unitId);
    readInt(object, intervalKey, 10, 3600000, &settings.pollInterval);
    readInt(object, timeoutKey, 10, 600000, &settings.responseTimeout);
    return settings;
}

bool ControllerSettings::fromUrl(const QString &text, ControllerSettings *settings, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = tr("Cannot connect to \"%1\": %2").arg(text, why);
        return false;
    };
    if (text == QLatin1String("simulated")) {
        *settings = ControllerSettings();
        return true;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != modbusTcp || url.host().isEmpty() ||
        !url.path().isEmpty() || !url.userInfo().isEmpty() || url.hasFragment()) {
        return fail(tr("expected modbus-tcp://HOST:PORT?unit=N or simulated."));
    }
    ControllerSettings result;
    result.backend = ModbusTcp;
    result.host = url.host();
    result.port = url.port(502);
    if (!inRange(result.port, 1, 65535))
        return fail(tr("the port must be from 1 to 65535."));
    const QUrlQuery query(url);
    const struct
    {
        const char *name;
        int low;
        int high;
        int *value;
    } numbers[] = {
        {"unit", 0, 255, &result.unitId},
        {"interval", 10, 3600000, &result.pollInterval},
        {"timeout", 10, 600000, &result.responseTimeout},
    };
    for (const auto &item : query.queryItems()) {
        const auto *number =
            std::find_if(std::begin(numbers), std::end(numbers), [&](const auto &n) {
                return item.first == QLatin1String(n.name);
            });
        if (number == std::end(numbers))
            return fail(tr("unknown option \"%1\".").arg(item.first));
        bool ok = false;
        const int value = item.second.toInt(&ok);
        if (!ok || !inRange(value, number->low, number->high)) {
            return fail(tr("%1 must be a number from %2 to %3.")
                            .arg(item.first)
                            .arg(number->low)
                            .arg(number->high));
        }
        *number->value = value;
    }
    *settings = result;
    return true;
}

QString ControllerSettings::describe() const
{
    if (backend == Simulated)
        return tr("the simulated controller");
    return tr("%1:%2 (unit %3)").arg(host).arg(port).arg(unitId);
}
