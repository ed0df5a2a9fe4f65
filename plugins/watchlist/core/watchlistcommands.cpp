#include "watchlistplugin.h"

#include "hostservices.h"
#include "itoolwindowmanager.h"
#include "modelcommands.h"
#include "newwatchlistdlg.h"
#include "renamewatchlistdlg.h"
#include "solutionview.h"
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistnames.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>

// The commands of the watch-list folder's and nodes' menus, and their undo
// and redo as the model reports them.

void WatchListPlugin::onActionEdit()
{
    openWatchList(currentName);
}

void WatchListPlugin::onActionInsert()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    NewWatchListDlg dialog(model.model());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString name = dialog.getName();
    if (!isStillCurrent(model)) {
        // The dialog has added the list, but its project is no longer the
        // one the node, the window and the undo step would go to: take the
        // list back rather than leave it invisible and beyond undo.
        model->removeWatchList(name);
        return;
    }
    addWatchListNode(name);
    openWatchList(name);

    if (WatchListObject *list = model->getObject(name);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelInsertCommand(list, model.model()));
}

void WatchListPlugin::onActionRemove()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    const int answer = QMessageBox::question(nullptr,
                                             tr("Tip"),
                                             tr("Sure to remove this watchlist?"),
                                             tr("Yes"),
                                             tr("No"),
                                             QString(),
                                             0,
                                             -1);
    if (answer != 0 || !isStillCurrent(model))
        return;

    if (WatchListObject *list = model->getObject(currentName);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelRemoveCommand(list, model.model()));
    doRemoveWatchList(currentName);
}

void WatchListPlugin::onActionRename()
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model)
        return;
    RenameWatchListDlg dialog(currentName, model.model());
    if (dialog.exec() != QDialog::Accepted || !isStillCurrent(model))
        return;
    const QString newName = dialog.getName();

    if (WatchListObject *list = model->getObject(currentName);
        HostServices::viewHelper(HostServices::application()) && list)
        HostServices::viewHelper(HostServices::application())
            ->pushCommand(new ModelRenameCommand(list, model.model(), currentName, newName));
    doRenameWatchList(currentName, newName);
}

void WatchListPlugin::doRemoveWatchList(const QString &name)
{
    const WatchListModelHandle model = findWatchListModel();
    if (model && model->removeWatchList(name))
        closeWatchList(name);
}

void WatchListPlugin::doRenameWatchList(const QString &oldName, const QString &newName)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model || oldName == newName)
        return;
    if (model->renameWatchList(oldName, newName))
        applyWatchListRename(oldName, newName);
}

void WatchListPlugin::onCommandExecuted(QString type, QString subModel, QString path, QString param)
{
    const WatchListModelHandle model = findWatchListModel();
    if (!model || subModel.toStdString() != model->name())
        return;

    if (type == QLatin1String(ModelStack::Insert)) {
        const unsigned index = path.toUInt(nullptr, 10);
        if (WatchListObject *list = model->getObject(index)) {
            addWatchListNode(list->getName());
            // The list is back at its place in the model; so is its node.
            Solution::View *view = HostServices::solutionView(application);
            const int nodeIndex = view->nodeIndex(nodePath(list->getName()));
            if (nodeIndex >= 0 && nodeIndex != int(index))
                view->moveNode(currentFolderPath(), int(index), nodeIndex);
        }
    } else if (type == QLatin1String(ModelStack::Remove)) {
        QJsonParseError error;
        const QJsonDocument step = QJsonDocument::fromJson(param.toUtf8(), &error);
        if (!step.isNull() && error.error == QJsonParseError::NoError && step.isObject())
            closeWatchList(step.object().value(QStringLiteral("NAME")).toString());
    } else if (type == QLatin1String(ModelStack::Rename)) {
        const QStringList names = param.split(
            QLatin1String(ModelStack::Separator), Qt::KeepEmptyParts, Qt::CaseSensitive);
        // Anything but two different names would remove the node of a list
        // the model still holds.
        if (names.size() == 2 && !names.at(0).isEmpty() && !names.at(1).isEmpty() &&
            names.at(0) != names.at(1))
            applyWatchListRename(names.at(0), names.at(1));
    }
}

void WatchListPlugin::applyWatchListRename(const QString &oldName, const QString &newName)
{
    if (WatchListWidget *widget = ownWindow(oldName)) {
        IToolWindowManager *windows = HostServices::toolWindows(application);
        // One window per name: another project's list of the new name makes
        // room, as it does when a window opens.
        auto holder = qobject_cast<WatchListWidget *>(
            windows->toolWindowWidget(WatchListNames::windowId(newName)));
        if (holder && holder != widget)
            windows->removeToolWindow(holder);
        if (windows->renameToolWindow(WatchListNames::windowId(oldName),
                                      WatchListNames::windowId(newName),
                                      tr("Watch List_") + newName)) {
            widget->setWatchListName(newName);
        } else {
            // A window left under the old id would show this list as another.
            windows->removeToolWindow(widget);
        }
    }

    // The new node takes the old one's place among its siblings.
    Solution::View *view = HostServices::solutionView(application);
    const QString folder = currentFolderPath();
    const QString oldPath = nodePath(oldName);
    addWatchListNode(newName, folder);
    const int oldIndex = view->nodeIndex(oldPath);
    const int newIndex = view->nodeIndex(nodePath(newName));
    view->moveNode(folder, oldIndex, newIndex);
    view->removeNode(oldPath, true);
}
