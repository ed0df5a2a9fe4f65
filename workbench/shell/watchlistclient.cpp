#include "watchlistclient.h"

#include "iwatchlist.h"
#include "objectregistry.h"

namespace WatchListClient {

bool addVariable(ObjectRegistry *registry, const QString &watchListName, const QString &variable)
{
    return addVariable(registry->value(IWatchList::serviceName()), watchListName, variable);
}

bool addVariable(QObject *service, const QString &watchListName, const QString &variable)
{
    // Cast by interface name: the plug-in keeps its meta-objects to itself.
    auto watchList =
        service ? static_cast<IWatchList *>(service->qt_metacast("IWatchList")) : nullptr;
    if (!watchList)
        return false;
    watchList->addVariable(watchListName, variable);
    return true;
}

} // namespace WatchListClient
