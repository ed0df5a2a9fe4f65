#include "watchlistobject.h"

#include <QJsonArray>
#include <QJsonDocument>

WatchListObject::WatchListObject(const QString &name)
    : m_name(name)
{}

WatchListObject::~WatchListObject() = default;

QString WatchListObject::getName() const
{
    return m_name;
}

void WatchListObject::setName(const QString &name)
{
    m_name = name;
}

int WatchListObject::getCount() const
{
    return m_variables.size();
}

QString WatchListObject::getVariableName(int i) const
{
    return m_variables.value(i);
}

bool WatchListObject::setVariableName(int i, const QString &text)
{
    if (i < 0 || i >= m_variables.size())
        return false;
    m_variables[i] = text;
    return true;
}

bool WatchListObject::appendVariable(const QString &text)
{
    if (m_variables.size() >= MaxCount)
        return false;
    m_variables.append(text);
    return true;
}

bool WatchListObject::removeVariable(int i)
{
    if (i < 0 || i >= m_variables.size())
        return false;
    m_variables.removeAt(i);
    return true;
}

QStringList WatchListObject::variables() const
{
    return m_variables;
}

bool WatchListObject::setVariables(const QStringList &variables)
{
    if (variables.size() > MaxCount)
        return false;
    m_variables = variables;
    return true;
}

QByteArray WatchListObject::getListData() const
{
    // JSON escapes what UTF-8 cannot carry (lone surrogates), so the bytes stay injective.
    return QJsonDocument(QJsonArray::fromStringList(m_variables)).toJson(QJsonDocument::Compact);
}

QString WatchListObject::getPropertys() const
{
    return m_propertys;
}

void WatchListObject::setPropertys(const QString &propertys)
{
    m_propertys = propertys;
}
