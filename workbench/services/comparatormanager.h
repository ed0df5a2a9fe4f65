#pragma once

#include "icomparatorman.h"

#include <map>
#include <memory>

// The comparators of the project comparison, one per node type key.
class ComparatorManager : public IComparatorMan
{
    Q_OBJECT
public:
    explicit ComparatorManager(QObject *parent = nullptr);
    ~ComparatorManager() override;

    // Refuses null, an empty type key and a type key already served.
    bool registerComparator(IComparator *comparator) override;
    IComparator *comparator(const QString &typeKey) const override;
    QStringList typeKeys() const override;

    // Deletes the comparator of that type key; false when there is none.
    bool removeComparator(const QString &typeKey);

private:
    std::map<QString, std::unique_ptr<IComparator>> m_comparators;
};
