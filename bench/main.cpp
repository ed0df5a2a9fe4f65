// Costs of the watch-list window that users feel: opening long lists,
// paging to their end, inserting and deleting rows. Each figure is printed
// with the baseline it is compared with, measured in the same run.

#include "harness.h"

#include "accore.h"
#include "devicecatalog.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "workbench.h"

#include <QApplication>
#include <memory>

using namespace bench;

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    Workbench workbench;
    auto project = std::make_unique<ProjectModel>(projectName.toStdString());
    project->setDeviceName(QStringLiteral("DEMO-FX"));
    ProjectModelManager::instance()->addProject(project.release());

    // Naming cases (opening, paging, editing, batch, project, csvimport, compare,
    // deleting, scrollpaging, refresh, simulation, modbus, trend) runs only those.
    const QStringList cases = QCoreApplication::arguments().mid(1);
    const auto wanted = [&cases](const char *name) {
        return cases.isEmpty() || cases.contains(QLatin1String(name));
    };
    if (wanted("opening"))
        benchOpening();
    if (wanted("paging"))
        benchPaging();
    if (wanted("editing"))
        benchEditing();
    if (wanted("batch"))
        benchBatchExpansion();
    if (wanted("project"))
        benchOpeningProject(workbench);
    if (wanted("csvimport"))
        benchCsvImport(workbench);
    if (wanted("compare"))
        benchCompare(workbench);
    QString error;
    ac::ACCore::open(std::make_unique<ac::ACCore>(
        projectName.toStdString(), DeviceCatalog::create(QStringLiteral("DEMO-FX"), &error)));
    if (cases.size() == 2 && cases.first() == QLatin1String("--load-all")) {
        loadAllInThisProcess(workbench, cases.last());
        ac::ACCore::close(projectName.toStdString());
        ProjectModelManager::instance()->closeProject(projectName.toStdString());
        return 0;
    }
    if (wanted("deleting"))
        benchDeleting(workbench);
    if (wanted("scrollpaging"))
        benchScrollPaging(workbench);
    if (wanted("refresh"))
        benchRefresh(workbench);
    if (wanted("simulation"))
        benchSimulation(workbench);
    if (wanted("modbus"))
        benchModbus(workbench);
    if (wanted("trend"))
        benchTrend(workbench);
    ac::ACCore::close(projectName.toStdString());

    ProjectModelManager::instance()->closeProject(projectName.toStdString());
    return 0;
}
