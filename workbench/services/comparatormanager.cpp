#include "comparatormanager.h"

#include "hostnames.h"
#include "icomparator.h"

ComparatorManager::ComparatorManager(QObject *parent)
    : IComparatorMan(parent)
{
    setObjectName(HostNames::comparatorManager());
}

ComparatorManager::~ComparatorManager() = default;

bool ComparatorManager::registerComparator(IComparator *comparator)
{
    if (!comparator)
        return false;
    const QString key = comparator->typeKey();
    if (key.isEmpty() || m_comparators.count(key) > 0)
        return false;
    m_comparators.emplace(key, std::unique_ptr<IComparator>(comparator));
    return true;
}

IComparator *ComparatorManager::comparator(const QString &typeKey) const
{
    const auto it = m_comparators.find(typeKey);
    return it == m_comparators.end() ? nullptr : it->second.get();
}

QStringList ComparatorManager::typeKeys() const
{
    QStringList keys;
    for (const auto &entry : m_comparators)
        keys.append(entry.first);
    return keys;
}

bool ComparatorManager::removeComparator(const QString &typeKey)
{
    return m_comparators.erase(typeKey) > 0;
}
