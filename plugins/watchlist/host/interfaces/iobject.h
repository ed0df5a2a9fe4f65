#pragma once

#include <QObject>

// Base of every host object that plug-ins reach through the application.
class IObject : public QObject
{
    Q_OBJECT
public:
    explicit IObject(QObject *parent = nullptr);
    ~IObject() override;
};
