#include "watchlistexchange.h"

#include "plainmessagebox.h"
#include "projectmodel.h"
#include "projectundostacks.h"
#include "solutiontree.h"
#include "watchlistcsv.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "workbench.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

// The plug-in's node under a project that holds its watch lists.
const QString watchListFolder = QStringLiteral("Watch List");
// How long the import adds names before the window gets its events again.
constexpr int sliceMs = 40;

} // namespace

WatchListExchange::WatchListExchange(Workbench *workbench, QObject *parent)
    : QObject(parent)
    , m_workbench(workbench)
{}

void WatchListExchange::addMenuEntries(QMenu *menu, QAction *before)
{
    m_exportAction = new QAction(tr("&Export Watch List..."), menu);
    m_importAction = new QAction(tr("&Import into Watch List..."), menu);
    connect(m_exportAction, &QAction::triggered, this, &WatchListExchange::exportSelected);
    connect(m_importAction, &QAction::triggered, this, &WatchListExchange::importSelected);
    menu->insertAction(before, m_exportAction);
    menu->insertAction(before, m_importAction);
    connect(m_workbench->solutionTree()->treeWidget(),
            &QTreeWidget::currentItemChanged,
            this,
            &WatchListExchange::updateActions);
    updateActions();
}

WatchListExchange::WatchList WatchListExchange::selectedWatchList() const
{
    SolutionTree *tree = m_workbench->solutionTree();
    QTreeWidgetItem *item = tree->treeWidget() ? tree->treeWidget()->currentItem() : nullptr;
    QTreeWidgetItem *folder = item ? item->parent() : nullptr;
    QTreeWidgetItem *project = folder ? folder->parent() : nullptr;
    if (!project || project->parent())
        return {};
    const QString projectName = tree->path(project);
    const QString folderPath = tree->path(folder);
    if (folderPath != projectName + QLatin1Char('.') + watchListFolder)
        return {};
    const WatchList selected{projectName, tree->path(item).mid(folderPath.size() + 1)};
    return entryCount(selected) < 0 ? WatchList() : selected;
}

int WatchListExchange::entryCount(const WatchList &list) const
{
    if (list.isNull() || !m_workbench->projectNames().contains(list.project))
        return -1;
    const OpenProject model(list.project);
    WatchListObject *object = model ? model->watchListModel()->getObject(list.name) : nullptr;
    return object ? object->getCount() : -1;
}

bool WatchListExchange::exportWatchList(const WatchList &list,
                                        const QString &filePath,
                                        QString *error) const
{
    QStringList names;
    {
        const OpenProject model(list.project);
        WatchListObject *object = model && m_workbench->projectNames().contains(list.project)
                                      ? model->watchListModel()->getObject(list.name)
                                      : nullptr;
        if (!object) {
            *error = tr("The watch list \"%1\" is not in an open project.").arg(list.name);
            return false;
        }
        names = object->variables();
    }
    return WatchListCsv::writeFile(filePath, names, error);
}

bool WatchListExchange::importIntoWatchList(const WatchList &list,
                                            const QString &filePath,
                                            QString *error,
                                            ImportResult *result)
{
    ImportResult done;
    const auto finish = [&](bool ok) {
        if (result)
            *result = done;
        return ok;
    };
    QStringList names;
    if (!WatchListCsv::readFile(filePath, &names, error))
        return finish(false);
    done.names = names.size();
    if (entryCount(list) < 0) {
        *error = tr("The watch list \"%1\" is not in an open project.").arg(list.name);
        return finish(false);
    }
    m_workbench->setCurrentProject(list.project);
    const std::unique_ptr<QProgressDialog> progress = importProgress(list, names.size());

    // However many steps the service pushes, an import is undone as one.
    ProjectUndoStacks *undo = m_workbench->undoStacks();
    undo->beginMacro(list.project, tr("Import into \"%1\"").arg(list.name));
    const QString problem = addNames(list, names, progress.get(), &done);
    undo->endMacro(done.added == 1
                       ? tr("Import a name into \"%1\"").arg(list.name)
                       : tr("Import %L1 names into \"%2\"").arg(done.added).arg(list.name));
    if (!problem.isEmpty()) {
        *error = tr("The import from \"%1\" stopped after %2 of %3 names: %4")
                     .arg(QDir::toNativeSeparators(filePath),
                          QString::number(done.added),
                          QString::number(names.size()),
                          problem);
        return finish(false);
    }
    return finish(true);
}

std::unique_ptr<QProgressDialog> WatchListExchange::importProgress(const WatchList &list,
                                                                   int names) const
{
    auto progress = std::make_unique<QProgressDialog>(m_workbench->mainWindow());
    auto label = new QLabel(progress.get());
    // The list's name comes from a file: shown as written, never as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(tr("Importing names into the watch list \"%1\"...").arg(list.name));
    progress->setLabel(label);
    progress->setWindowTitle(tr("Import into Watch List"));
    // Nothing else may change the projects while the import hands out events.
    progress->setWindowModality(Qt::ApplicationModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(1000);
    progress->setRange(0, names);
    progress->setValue(0);
    return progress;
}

QString WatchListExchange::addNames(const WatchList &list,
                                    const QStringList &names,
                                    QProgressDialog *progress,
                                    ImportResult *done)
{
    QString problem;
    while (done->added < names.size()) {
        const int before = entryCount(list);
        if (before < 0 || m_workbench->currentProject() != list.project) {
            problem =
                tr("the watch list \"%1\" is no longer in the current project.").arg(list.name);
            break;
        }
        QElapsedTimer slice;
        slice.start();
        int sent = 0;
        while (done->added + sent < names.size() && (sent == 0 || slice.elapsed() < sliceMs)) {
            if (!m_workbench->addToWatchList(list.name, names.at(done->added + sent)))
                break;
            ++sent;
        }
        if (sent == 0) {
            problem = tr("no watch-list service is loaded.");
            break;
        }
        const int arrived = entryCount(list) - before;
        done->added += qBound(0, arrived, sent);
        if (arrived != sent) {
            problem = tr("the watch list \"%1\" refused names.").arg(list.name);
            break;
        }
        progress->setValue(done->added);
        done->progressShown = done->progressShown || progress->isVisible();
        // Until the dialog is up, clicks would reach the main window: they wait.
        QCoreApplication::processEvents(progress->isVisible() ? QEventLoop::AllEvents
                                                              : QEventLoop::ExcludeUserInputEvents);
        if (progress->wasCanceled()) {
            done->cancelled = done->added < names.size();
            break;
        }
    }
    return problem;
}

void WatchListExchange::exportSelected()
{
    const WatchList list = selectedWatchList();
    if (list.isNull()) {
        showError(tr("Export Watch List"), tr("Select a watch list in the solution tree first."));
        return;
    }
    const QString path = QFileDialog::getSaveFileName(m_workbench->mainWindow(),
                                                      tr("Export Watch List"),
                                                      list.name + QStringLiteral(".csv"),
                                                      tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!exportWatchList(list, path, &error)) {
        showError(tr("Export Watch List"), error);
        return;
    }
    m_workbench->mainWindow()->statusBar()->showMessage(
        tr("Exported the watch list \"%1\" to %2.").arg(list.name, QDir::toNativeSeparators(path)));
}

void WatchListExchange::importSelected()
{
    const WatchList list = selectedWatchList();
    if (list.isNull()) {
        showError(tr("Import into Watch List"),
                  tr("Select a watch list in the solution tree first."));
        return;
    }
    const QString path = QFileDialog::getOpenFileName(m_workbench->mainWindow(),
                                                      tr("Import into Watch List"),
                                                      QString(),
                                                      tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    QString error;
    ImportResult result;
    if (!importIntoWatchList(list, path, &error, &result)) {
        showError(tr("Import into Watch List"), error);
        return;
    }
    m_workbench->mainWindow()->statusBar()->showMessage(
        result.cancelled
            ? tr("Import cancelled: %1 of %2 names added to the watch list \"%3\".")
                  .arg(QString::number(result.added), QString::number(result.names), list.name)
            : tr("Names added to the watch list \"%1\": %2.")
                  .arg(list.name, QString::number(result.added)));
}

void WatchListExchange::updateActions()
{
    const bool selected = !selectedWatchList().isNull();
    if (m_exportAction)
        m_exportAction->setEnabled(selected);
    if (m_importAction)
        m_importAction->setEnabled(selected);
}

void WatchListExchange::showError(const QString &title, const QString &message) const
{
    showPlainMessage(m_workbench->mainWindow(), QMessageBox::Warning, title, message);
}
