#pragma once

#include <QColor>
#include <QIcon>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>

// Description of one solution-tree node, as handed to Solution::View::addNode().
struct NodeInfo
{
    quint8 expanded = 0; // open the node at once
    quint8 visible = 1;
    QString name; // path component; the view answers it as "DisplayName"
    QString text; // what the tree shows
    QIcon icon;
    QColor color; // invalid: the tree's default
    QMap<QString, QVariant> data;
};

Q_DECLARE_METATYPE(NodeInfo)
