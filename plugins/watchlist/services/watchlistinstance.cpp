#include "watchlistinstance.h"

#include "hostservices.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"

WatchListInstance::WatchListInstance(QObject *parent)
    : IWatchList(parent)
{}

void WatchListInstance::addVariable(const QString &watchListName, const QString &variableName)
{
    const WatchListModelHandle model = WatchListModelHandle::find(
        HostServices::currentProjectName(HostServices::application()));
    if (!model)
        return;
    WatchListObject *list = model->getObject(watchListName);
    if (!list)
        return;
    const int rowIndex = list->getCount();
    list->appendVariable(variableName);
    emit showVariable(watchListName, rowIndex);
}
