#pragma once

#include <QObject>
#include <QStringList>

class IComparator;

// The project comparison's table of comparators ("COMPARATORMAN").
class IComparatorMan : public QObject
{
    Q_OBJECT
public:
    explicit IComparatorMan(QObject *parent = nullptr);
    ~IComparatorMan() override;

    // true: the manager owns the comparator from now on; false: the caller
    // keeps it (a comparator for its type key is already registered).
    virtual bool registerComparator(IComparator *comparator) = 0;
    virtual IComparator *comparator(const QString &typeKey) const = 0;
    virtual QStringList typeKeys() const = 0;
};
