#pragma once

#include "modelobject.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One watch list: a name, its entries in order, and its property text.
class WatchListObject : public ModelObject
{
public:
    // No list holds more entries: appendVariable refuses the one past it, so
    // a mistyped range cannot fill the memory of the machine.
    static constexpr int MaxCount = 10000000;

    explicit WatchListObject(const QString &name);
    ~WatchListObject() override;

    QString getName() const override;
    void setName(const QString &name);

    int getCount() const;
    // Entry i counted from 0; empty outside the list.
    QString getVariableName(int i) const;
    bool setVariableName(int i, const QString &text);
    // False, appending nothing, when the list holds MaxCount entries already.
    bool appendVariable(const QString &text);
    bool removeVariable(int i);
    QStringList variables() const;
    // False, changing nothing, for more than MaxCount entries.
    bool setVariables(const QStringList &variables);

    // The entries as bytes only ever compared for equality: equal lists give
    // equal bytes. Kept until an entry changes.
    QByteArray getListData() const;
    QString getPropertys() const;
    void setPropertys(const QString &propertys);

private:
    QString m_name;
    QStringList m_variables;
    QString m_propertys;
    // What getListData() last built. Its buffer outlives a change of the
    // entries, so the next build writes into memory already touched.
    mutable QByteArray m_listData;
    mutable bool m_listDataCurrent = false;
};
