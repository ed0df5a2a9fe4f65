#include "watchlistinstance.h"

#include "entrycommand.h"
#include "hostservices.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"

WatchListInstance::WatchListInstance(QObject *parent)
    : IWatchList(parent)
{}

void WatchListInstance::addVariable(const QString &watchListName, const QString &variableName)
{
    const WatchListModelHandle model =
        WatchListModelHandle::find(HostServices::currentProjectName(HostServices::application()));
    if (!model)
        return;
    WatchListObject *list = model->getObject(watchListName);
    if (!list)
        return;
    const int rowIndex = list->getCount();
    EntryCommand::Change change;
    change.entries = {{rowIndex, variableName}};
    EntryCommand::perform(model.projectName(),
                          list,
                          change,
                          EntryCommand::tr("Add %1 to %2").arg(variableName, watchListName));
    emit showVariable(watchListName, rowIndex);
}
