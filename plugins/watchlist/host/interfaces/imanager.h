#pragma once

#include <QObject>

// Base of the application's managers, handed out by IApplication::getManager().
class IManager : public QObject
{
    Q_OBJECT
public:
    explicit IManager(QObject *parent = nullptr);
    ~IManager() override;
};
