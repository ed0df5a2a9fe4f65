#pragma once

#include <QObject>
#include <QVariant>

// Small application-wide key/value store ("Project.Name", "Program.Style", ...).
class ICookies : public QObject
{
    Q_OBJECT
public:
    explicit ICookies(QObject *parent = nullptr);
    ~ICookies() override;

    virtual QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    virtual void remove(const QString &key) = 0;

signals:
    void valueChanged(const QString &key, const QVariant &value);
};
