#include "cookies.h"

#include "hostnames.h"

#include <algorithm>

Cookies::Cookies(QObject *parent)
    : ICookies(parent)
{
    setObjectName(HostNames::cookies());
}

Cookies::~Cookies() = default;

QVariant Cookies::value(const QString &key, const QVariant &defaultValue) const
{
    return m_values.value(key, defaultValue);
}

void Cookies::setValue(const QString &key, const QVariant &value)
{
    const auto it = m_values.constFind(key);
    if (it != m_values.cend() && it.value() == value && it.value().type() == value.type())
        return;
    m_values.insert(key, value);
    emit valueChanged(key, value);
}

void Cookies::remove(const QString &key)
{
    if (m_values.remove(key) > 0)
        emit valueChanged(key, QVariant());
}

bool Cookies::contains(const QString &key) const
{
    return m_values.contains(key);
}

QStringList Cookies::keys() const
{
    QStringList keys = m_values.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}
