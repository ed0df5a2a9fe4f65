#pragma once

#include <QString>
#include <QStringList>

// "D0,D1,D2" as a list, to keep test tables short.
inline QStringList names(const char *commaSeparated)
{
    return QString::fromUtf8(commaSeparated).split(QLatin1Char(','), Qt::SkipEmptyParts);
}
