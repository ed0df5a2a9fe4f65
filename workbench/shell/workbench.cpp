#include "workbench.h"

#include "application.h"
#include "comparatormanager.h"
#include "controllertransfer.h"
#include "crossreference.h"
#include "pluginhost.h"
#include "projectdocuments.h"
#include "projectundostacks.h"
#include "solutiontree.h"
#include "symbolmenu.h"
#include "toolwindowmanager.h"
#include "watchlistclient.h"
#include "watchlistcomparison.h"
#include "workbenchservices.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

class Workbench::Private
{
public:
    // Declared before the documents, which use them, and so outlive them.
    std::unique_ptr<WorkbenchServices> services;
    std::unique_ptr<ProjectDocuments> documents;
    PluginHost plugins;
};

Workbench::Workbench(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->services = std::make_unique<WorkbenchServices>(createMainWindow());
    WorkbenchServices &services = *d->services;
    d->documents = std::make_unique<ProjectDocuments>(
        ProjectDocuments::Services{services.tree.get(),
                                   services.undoStacks.get(),
                                   services.cookies.get(),
                                   services.transfer.get(),
                                   services.crossReference.get()});
    connect(d->documents.get(),
            &ProjectDocuments::currentChanged,
            this,
            &Workbench::currentProjectChanged);
    connect(d->documents.get(), &ProjectDocuments::changed, this, &Workbench::projectsChanged);

    followFocus();
    new SymbolMenu(services.undoStacks->symbolsView(), this);
}

std::unique_ptr<QMainWindow> Workbench::createMainWindow()
{
    auto window = std::make_unique<QMainWindow>();
    window->setObjectName(QStringLiteral("workbenchMainWindow"));
    window->setWindowTitle(tr("Watch List Workbench"));
    window->resize(1200, 800);
    window->setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    // Stands where the program editors of a full environment would.
    auto editorArea = new QLabel(
        tr("Double-click a watch list in the solution tree to open it, or right-click the "
           "\"Watch List\" folder to add one."));
    editorArea->setObjectName(QStringLiteral("editorArea"));
    editorArea->setAlignment(Qt::AlignCenter);
    editorArea->setWordWrap(true);
    editorArea->setEnabled(false);
    window->setCentralWidget(editorArea);
    return window;
}

void Workbench::followFocus()
{
    // Edit > Undo and the steps a window pushes act on the project the user
    // works in: a watch-list window taking the focus makes its project current.
    if (auto application = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        connect(application, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            const QString project = d->services->toolWindows->projectOf(now);
            // Not while a project closes: it must stay current until it is gone.
            if (!project.isEmpty() && project != d->documents->current() &&
                !d->documents->isClosing())
                setCurrentProject(project);
        });
    }
}

void Workbench::setLanguage(const QString &language)
{
    PluginHost::setLanguage(language);
}

QString Workbench::language()
{
    return PluginHost::language();
}

Workbench::~Workbench()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->disconnect(this);
    unloadPlugins();
    closeAllProjects();
    d->documents.reset();
    d->services.reset();
}

QMainWindow *Workbench::mainWindow() const
{
    return d->services->mainWindow.get();
}

IApplication *Workbench::application() const
{
    return d->services->application.get();
}

Cookies *Workbench::cookies() const
{
    return d->services->cookies.get();
}

SolutionTree *Workbench::solutionTree() const
{
    return d->services->tree.get();
}

ProjectUndoStacks *Workbench::undoStacks() const
{
    return d->services->undoStacks.get();
}

ToolWindowManager *Workbench::toolWindows() const
{
    return d->services->toolWindows.get();
}

ControllerTransfer *Workbench::transfer() const
{
    return d->services->transfer.get();
}

CrossReference *Workbench::crossReference() const
{
    return d->services->crossReference.get();
}

ComparatorManager *Workbench::comparators() const
{
    return d->services->comparators.get();
}

bool Workbench::openProject(const QString &filePath, QString *error)
{
    return d->documents->open(filePath, error);
}

bool Workbench::saveProject(const QString &projectName, QString *error)
{
    return d->documents->save(projectName, error);
}

bool Workbench::saveProjectAs(const QString &projectName, const QString &filePath, QString *error)
{
    return d->documents->saveAs(projectName, filePath, error);
}

bool Workbench::isModified(const QString &projectName) const
{
    return d->documents->isModified(projectName);
}

void Workbench::closeProject(const QString &projectName)
{
    d->documents->close(projectName);
}

void Workbench::closeAllProjects()
{
    d->documents->closeAll();
}

QStringList Workbench::projectNames() const
{
    return d->documents->names();
}

QString Workbench::currentProject() const
{
    return d->documents->current();
}

void Workbench::setCurrentProject(const QString &projectName)
{
    d->documents->setCurrent(projectName);
}

ControllerSettings Workbench::controllerSettings(const QString &projectName) const
{
    return d->documents->controllerSettings(projectName);
}

void Workbench::setControllerSettings(const QString &projectName,
                                      const ControllerSettings &settings)
{
    d->documents->setControllerSettings(projectName, settings);
}

bool Workbench::addToWatchList(const QString &watchListName, const QString &variable)
{
    return WatchListClient::addVariable(
        d->services->application->objectRegistry(), watchListName, variable);
}

QVector<Workbench::WatchListComparison> Workbench::compareWatchLists(const QString &first,
                                                                     const QString &second) const
{
    return ::compareWatchLists(*d->services->tree, *d->services->comparators, first, second);
}

QUndoStack *Workbench::undoStack(const QString &projectName) const
{
    return d->services->undoStacks->stack(projectName);
}

PluginInterface *Workbench::loadPlugin(const QString &filePath, QString *error)
{
    return d->plugins.load(filePath, error);
}

void Workbench::unloadPlugins()
{
    // Nothing whose code lives in a plug-in may outlive it: its windows'
    // widgets and its comparators go while the code is still there.
    d->plugins.unloadAll([this] {
        d->services->toolWindows->removeForeignToolWindows();
        d->services->removePluginComparators();
    });
}
