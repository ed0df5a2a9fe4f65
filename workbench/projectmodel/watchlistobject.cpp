#include "watchlistobject.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstring>

namespace {

QByteArray digestOf(const QStringList &entries)
{
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QString &entry : entries) {
        const quint32 length = quint32(entry.size());
        digest.addData(reinterpret_cast<const char *>(&length), int(sizeof length));
        digest.addData(reinterpret_cast<const char *>(entry.constData()), int(length) * 2);
    }
    return 'H' + digest.result();
}

} // namespace

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
    m_listDataCurrent = false;
    return true;
}

bool WatchListObject::appendVariable(const QString &text)
{
    if (m_variables.size() >= MaxCount)
        return false;
    m_variables.append(text);
    m_listDataCurrent = false;
    return true;
}

bool WatchListObject::removeVariable(int i)
{
    if (i < 0 || i >= m_variables.size())
        return false;
    m_variables.removeAt(i);
    m_listDataCurrent = false;
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
    m_listDataCurrent = false;
    return true;
}

QByteArray WatchListObject::getListData() const
{
    // Each entry as its length and its UTF-16 code units keeps the bytes
    // injective at the cost of one copy, in one pass over the entries. Far
    // past what a list holds in practice a digest of the same bytes stands
    // in, as a QByteArray cannot hold them all; the first byte keeps the
    // forms apart.
    if (m_listDataCurrent)
        return m_listData;
    constexpr int largestCopy = 1 << 30;
    // A caller still holding the last bytes keeps them; copying them over
    // before they are overwritten would be wasted.
    if (!m_listData.isDetached())
        m_listData = QByteArray();
    QByteArray &data = m_listData;
    data.resize(1 + int(std::min<qint64>(largestCopy, qint64(m_variables.size()) * 16)));
    data[0] = 'E';
    int used = 1;
    for (const QString &entry : m_variables) {
        const quint32 length = quint32(entry.size());
        const qint64 needed = qint64(used) + qint64(sizeof length) + qint64(length) * 2;
        if (needed > largestCopy) {
            data = digestOf(m_variables);
            used = data.size();
            break;
        }
        if (needed > data.size())
            data.resize(int(std::min<qint64>(largestCopy, needed * 2)));
        char *out = data.data() + used;
        std::memcpy(out, &length, sizeof length);
        std::memcpy(out + sizeof length, entry.constData(), size_t(length) * 2);
        used = int(needed);
    }
    data.resize(used);
    m_listDataCurrent = true;
    return data;
}

QString WatchListObject::getPropertys() const
{
    return m_propertys;
}

void WatchListObject::setPropertys(const QString &propertys)
{
    m_propertys = propertys;
}
