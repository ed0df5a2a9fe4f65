#pragma once

#include <QObject>

// Connection to the controller ("zentrel.Transfer").
class Transfer : public QObject
{
    Q_OBJECT
public:
    explicit Transfer(QObject *parent = nullptr);
    ~Transfer() override;

    virtual bool isOnline() const = 0;
    virtual bool setOnline(bool online) = 0;

signals:
    void onlineState(bool online);
};
