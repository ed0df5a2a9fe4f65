#include "watchlistnamerule.h"

bool isValidWatchListName(const QString &name)
{
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    }
    return true;
}
