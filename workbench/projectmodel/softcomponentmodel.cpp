#include "softcomponentmodel.h"

SoftComponentModel::SoftComponentModel(QObject *parent)
    : SubModel("SoftComponentModel", parent)
{}

SoftComponentModel::~SoftComponentModel() = default;

QString SoftComponentModel::comment(const QString &address) const
{
    return m_comments.value(address);
}

void SoftComponentModel::setComment(const QString &address, const QString &comment)
{
    if (m_comments.value(address) == comment)
        return;
    // An empty comment is no comment, so the stored map never carries empty texts.
    if (comment.isEmpty())
        m_comments.remove(address);
    else
        m_comments.insert(address, comment);
    emit dataChanged();
    emit changed();
}

QMap<QString, QString> SoftComponentModel::comments() const
{
    return m_comments;
}
