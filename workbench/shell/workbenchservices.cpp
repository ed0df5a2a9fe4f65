#include "workbenchservices.h"

#include "application.h"
#include "comparatormanager.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "crossreference.h"
#include "hostnames.h"
#include "projectundostacks.h"
#include "serviceregistry.h"
#include "solutiontree.h"
#include "toolwindowmanager.h"

#include <QMainWindow>

WorkbenchServices::WorkbenchServices(std::unique_ptr<QMainWindow> window)
    : mainWindow(std::move(window))
    , application(std::make_unique<Application>(mainWindow.get()))
{
    // Published before any service is built, as a full host would have it.
    application->publish();
    cookies = std::make_unique<Cookies>();
    toolWindows = std::make_unique<ToolWindowManager>(mainWindow.get());
    tree = std::make_unique<SolutionTree>(toolWindows.get());
    undoStacks = std::make_unique<ProjectUndoStacks>(toolWindows.get());
    transfer = std::make_unique<ControllerTransfer>();
    crossReference = std::make_unique<CrossReference>(cookies.get(), toolWindows.get());
    comparators = std::make_unique<ComparatorManager>();
    m_hostComparators = comparators->typeKeys();

    application->setManager(HostNames::toolWindowManager(), toolWindows.get());
    ObjectRegistry *registry = application->objectRegistry();
    for (QObject *service : std::initializer_list<QObject *>{cookies.get(),
                                                             tree.get(),
                                                             undoStacks.get(),
                                                             transfer.get(),
                                                             crossReference.get(),
                                                             comparators.get()})
        registry->insert(service);
}

WorkbenchServices::~WorkbenchServices()
{
    transfer->setOnline(false);
    application->withdraw();
    comparators.reset();
    crossReference.reset();
    transfer.reset();
    undoStacks.reset();
    tree.reset();
    cookies.reset();
    toolWindows.reset();
    mainWindow.reset();
    application.reset();
}

void WorkbenchServices::removePluginComparators()
{
    for (const QString &key : comparators->typeKeys()) {
        if (!m_hostComparators.contains(key))
            comparators->removeComparator(key);
    }
}
