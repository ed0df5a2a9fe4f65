#pragma once

#include "icookies.h"

#include <QHash>

// The application's cookies, kept in memory for the session.
class Cookies : public ICookies
{
    Q_OBJECT
public:
    explicit Cookies(QObject *parent = nullptr);
    ~Cookies() override;

    QVariant value(const QString &key, const QVariant &defaultValue = QVariant()) const override;
    // Emits valueChanged only when the value really changes.
    void setValue(const QString &key, const QVariant &value) override;
    // Emits valueChanged with an invalid value when the key was set.
    void remove(const QString &key) override;

    bool contains(const QString &key) const;
    QStringList keys() const;

private:
    QHash<QString, QVariant> m_values;
};
