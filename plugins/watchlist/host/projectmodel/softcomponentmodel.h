#pragma once

#include "submodel.h"

#include <QMap>
#include <QString>

// Comments and initial values the project keeps for device addresses.
class SoftComponentModel : public SubModel
{
    Q_OBJECT
public:
    explicit SoftComponentModel(QObject *parent = nullptr);
    ~SoftComponentModel() override;

    QString comment(const QString &address) const;
    void setComment(const QString &address, const QString &comment);
    QMap<QString, QString> comments() const;

signals:
    void dataChanged();

private:
    QMap<QString, QString> m_comments;
};
