#pragma once

#include <QJsonObject>
#include <QString>

// How the workbench reaches a project's controller: the simulation, or a
// device speaking Modbus TCP.
struct ControllerSettings
{
    enum Backend { Simulated, ModbusTcp };

    Backend backend = Simulated;
    QString host = QStringLiteral("127.0.0.1");
    int port = 502;
    int unitId = 1;
    int pollInterval = 200;     // milliseconds between the end of a refresh and the next
    int responseTimeout = 1000; // milliseconds

    bool operator==(const ControllerSettings &other) const;
    bool operator!=(const ControllerSettings &other) const { return !(*this == other); }

    // As a project file keeps them. Members that are missing or out of range
    // keep their defaults, so any older or hand-edited file still opens.
    QJsonObject toJson() const;
    static ControllerSettings fromJson(const QJsonObject &object);

    // "modbus-tcp://HOST[:PORT][?unit=N&interval=MS&timeout=MS]" or "simulated".
    static bool fromUrl(const QString &url, ControllerSettings *settings, QString *error);
    // "127.0.0.1:502 (unit 1)" or "the simulated controller", for messages.
    QString describe() const;
};
