#pragma once

#include <QString>

class ObjectRegistry;
class QObject;

namespace WatchListClient {

// Puts the variable into a watch list of the current project through the
// watch-list service ("orvane.watchlist"); false when none is registered.
bool addVariable(ObjectRegistry *registry, const QString &watchListName, const QString &variable);
// The same through a given service object; false when it is no IWatchList.
bool addVariable(QObject *service, const QString &watchListName, const QString &variable);

} // namespace WatchListClient
