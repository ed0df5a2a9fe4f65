#pragma once

#include "modelobject.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// One watch list: a name, its entries in order, and its property text.
class WatchListObject : public ModelObject
{
public:
    explicit WatchListObject(const QString &name);
    ~WatchListObject() override;

    QString getName() const override;
    void setName(const QString &name);

    int getCount() const;
    // Entry i counted from 0; empty outside the list.
    QString getVariableName(int i) const;
    bool setVariableName(int i, const QString &text);
    bool appendVariable(const QString &text);
    bool removeVariable(int i);
    QStringList variables() const;
    void setVariables(const QStringList &variables);

    // The entries in their stored form; equal lists give equal bytes.
    QByteArray getListData() const;
    QString getPropertys() const;
    void setPropertys(const QString &propertys);

private:
    QString m_name;
    QStringList m_variables;
    QString m_propertys;
};
