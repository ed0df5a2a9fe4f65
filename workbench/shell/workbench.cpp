#include "workbench.h"

#include "application.h"
#include "comparatormanager.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "crossreference.h"
#include "hostnames.h"
#include "icomparator.h"
#include "pluginhost.h"
#include "plugininterface.h"
#include "projectdocuments.h"
#include "projectundostacks.h"
#include "serviceregistry.h"
#include "solutiontree.h"
#include "symbolmenu.h"
#include "toolwindowmanager.h"
#include "watchlistclient.h"
#include "watchlistcomparison.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QMetaProperty>

namespace {

// The project of the tool window holding the widget, as the window's own
// widget names it in its meta-object's property "projectName" (a watch-list
// window does); empty for any other widget.
QString toolWindowProject(const ToolWindowManager &windows, QWidget *widget)
{
    for (QWidget *child = widget; child; child = child->parentWidget()) {
        auto dock = qobject_cast<QDockWidget *>(child->parentWidget());
        if (!dock || dock->widget() != child)
            continue;
        if (windows.dockWidget(dock->objectName()) != dock)
            return QString();
        const QMetaObject *meta = child->metaObject();
        const int index = meta->indexOfProperty("projectName");
        return index < 0 ? QString() : meta->property(index).read(child).toString();
    }
    return QString();
}

} // namespace

class Workbench::Private
{
public:
    std::unique_ptr<QMainWindow> mainWindow;
    std::unique_ptr<Application> application;
    std::unique_ptr<Cookies> cookies;
    std::unique_ptr<ToolWindowManager> toolWindows;
    std::unique_ptr<SolutionTree> tree;
    std::unique_ptr<ProjectUndoStacks> undoStacks;
    std::unique_ptr<ControllerTransfer> transfer;
    std::unique_ptr<CrossReference> crossReference;
    std::unique_ptr<ComparatorManager> comparators;

    std::unique_ptr<ProjectDocuments> documents;
    QStringList hostComparators;
    PluginHost plugins;
};

Workbench::Workbench(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    createMainWindow();
    createServices();
    d->documents =
        std::make_unique<ProjectDocuments>(ProjectDocuments::Services{d->tree.get(),
                                                                      d->undoStacks.get(),
                                                                      d->cookies.get(),
                                                                      d->transfer.get(),
                                                                      d->crossReference.get()});
    connect(d->documents.get(),
            &ProjectDocuments::currentChanged,
            this,
            &Workbench::currentProjectChanged);
    connect(d->documents.get(), &ProjectDocuments::changed, this, &Workbench::projectsChanged);

    followFocus();
    new SymbolMenu(d->undoStacks->symbolsView(), this);
}

void Workbench::createMainWindow()
{
    d->mainWindow = std::make_unique<QMainWindow>();
    d->mainWindow->setObjectName(QStringLiteral("workbenchMainWindow"));
    d->mainWindow->setWindowTitle(tr("Watch List Workbench"));
    d->mainWindow->resize(1200, 800);
    d->mainWindow->setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    // Stands where the program editors of a full environment would.
    auto editorArea = new QLabel(
        tr("Double-click a watch list in the solution tree to open it, or right-click the "
           "\"Watch List\" folder to add one."));
    editorArea->setObjectName(QStringLiteral("editorArea"));
    editorArea->setAlignment(Qt::AlignCenter);
    editorArea->setWordWrap(true);
    editorArea->setEnabled(false);
    d->mainWindow->setCentralWidget(editorArea);
}

void Workbench::createServices()
{
    d->application = std::make_unique<Application>(d->mainWindow.get());
    d->application->publish();

    d->cookies = std::make_unique<Cookies>();
    d->toolWindows = std::make_unique<ToolWindowManager>(d->mainWindow.get());
    d->tree = std::make_unique<SolutionTree>(d->toolWindows.get());
    d->undoStacks = std::make_unique<ProjectUndoStacks>(d->toolWindows.get());
    d->transfer = std::make_unique<ControllerTransfer>();
    d->crossReference = std::make_unique<CrossReference>(d->cookies.get(), d->toolWindows.get());
    d->comparators = std::make_unique<ComparatorManager>();

    d->application->setManager(HostNames::toolWindowManager(), d->toolWindows.get());
    ObjectRegistry *registry = d->application->objectRegistry();
    registry->insert(d->cookies.get());
    registry->insert(d->tree.get());
    registry->insert(d->undoStacks.get());
    registry->insert(d->transfer.get());
    registry->insert(d->crossReference.get());
    registry->insert(d->comparators.get());
    d->hostComparators = d->comparators->typeKeys();
}

void Workbench::followFocus()
{
    // Edit > Undo and the steps a window pushes act on the project the user
    // works in: a watch-list window taking the focus makes its project current.
    if (auto application = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        connect(application, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
            const QString project = toolWindowProject(*d->toolWindows, now);
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
    d->transfer->setOnline(false);
    d->application->withdraw();

    d->comparators.reset();
    d->crossReference.reset();
    d->transfer.reset();
    d->undoStacks.reset();
    d->tree.reset();
    d->cookies.reset();
    d->toolWindows.reset();
    d->mainWindow.reset();
    d->application.reset();
}

QMainWindow *Workbench::mainWindow() const
{
    return d->mainWindow.get();
}

IApplication *Workbench::application() const
{
    return d->application.get();
}

Cookies *Workbench::cookies() const
{
    return d->cookies.get();
}

SolutionTree *Workbench::solutionTree() const
{
    return d->tree.get();
}

ProjectUndoStacks *Workbench::undoStacks() const
{
    return d->undoStacks.get();
}

ToolWindowManager *Workbench::toolWindows() const
{
    return d->toolWindows.get();
}

ControllerTransfer *Workbench::transfer() const
{
    return d->transfer.get();
}

CrossReference *Workbench::crossReference() const
{
    return d->crossReference.get();
}

ComparatorManager *Workbench::comparators() const
{
    return d->comparators.get();
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
    return WatchListClient::addVariable(d->application->objectRegistry(), watchListName, variable);
}

QVector<Workbench::WatchListComparison> Workbench::compareWatchLists(const QString &first,
                                                                     const QString &second) const
{
    return ::compareWatchLists(*d->tree, *d->comparators, first, second);
}

QUndoStack *Workbench::undoStack(const QString &projectName) const
{
    return d->undoStacks->stack(projectName);
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
        d->toolWindows->removeForeignToolWindows();
        for (const QString &key : d->comparators->typeKeys()) {
            if (!d->hostComparators.contains(key))
                d->comparators->removeComparator(key);
        }
    });
}
