// Opening a project of many watch lists.

#include "harness.h"

#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "workbench.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

// A project file with that many watch lists of a few entries each.
QString writeProject(const QTemporaryDir &dir, const QString &name, int lists)
{
    QJsonArray array;
    for (int i = 0; i < lists; ++i) {
        array.append(QJsonObject{
            {QStringLiteral("name"), QStringLiteral("List%1").arg(i)},
            {QStringLiteral("properties"), QString()},
            {QStringLiteral("entries"),
             QJsonArray{QStringLiteral("D%1").arg(i % 8000), QStringLiteral("M%1").arg(i % 100)}},
        });
    }
    const QJsonObject root{
        {QStringLiteral("format"), QStringLiteral("watchlist-workbench-project")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("name"), name},
        {QStringLiteral("device"), QStringLiteral("DEMO-FX")},
        {QStringLiteral("watchLists"), array},
    };
    const QString path = dir.filePath(name + QStringLiteral(".wlproj"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0)
        return QString();
    return path;
}

// The least opening can cost: parsing the file and putting a node for each
// list under a folder of a bare tree, as the solution tree shows them.
int openFloor(const QString &path, std::unique_ptr<QTreeWidget> &tree)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QJsonArray lists = QJsonDocument::fromJson(file.readAll())
                                 .object()
                                 .value(QLatin1String("watchLists"))
                                 .toArray();
    tree = std::make_unique<QTreeWidget>();
    tree->setHeaderHidden(true);
    tree->show();
    auto *project = new QTreeWidgetItem(QStringList{QStringLiteral("Project")});
    tree->addTopLevelItem(project);
    project->setExpanded(true);
    auto *folder = new QTreeWidgetItem(QStringList{QStringLiteral("Watch List")});
    project->addChild(folder);
    for (const QJsonValue &list : lists)
        folder->addChild(new QTreeWidgetItem(
            QStringList{list.toObject().value(QLatin1String("name")).toString()}));
    QCoreApplication::processEvents();
    return folder->childCount();
}

// Opening a project through the workbench, with the plug-in adding a node for
// each watch list, against the floor above; each side of a repetition is the
// median of three.
void benchOpeningProject(Workbench &workbench)
{
    constexpr int runs = 5;
    if (!loadPlugin(workbench, "Opening a project"))
        return;
    QString error;
    QTemporaryDir dir;
    std::printf("\nOpening a project (medians of %d repetitions, the order of the sides "
                "alternated)\n",
                runs);
    std::printf(
        "%12s %12s %12s %10s %14s\n", "lists", "open ms", "floor ms", "open/floor", "us per list");
    std::vector<double> ratiosAt100k;
    for (const int lists : {10000, 100000}) {
        const QString name = QStringLiteral("Big%1").arg(lists);
        const QString path = writeProject(dir, name, lists);
        bool opened = true;
        const auto open = [&] {
            return measure(
                       3,
                       {},
                       [&] {
                           if (!workbench.openProject(path, &error)) {
                               std::printf("%s\n", qPrintable(error));
                               opened = false;
                           }
                           QCoreApplication::processEvents();
                           opened = opened && ProjectModelManager::instance()->projectModel(
                                                  name.toStdString(), false);
                           return lists;
                       },
                       [&] { workbench.closeProject(name); })
                .ms;
        };
        std::unique_ptr<QTreeWidget> bare;
        const auto floor = [&] {
            return measure(
                       3, {}, [&] { return openFloor(path, bare); }, [&] { bare.reset(); })
                .ms;
        };
        Paired paired = pairedRuns(runs, open, floor);
        // A project that did not open has no figure to compare.
        if (!opened)
            paired.ratios.clear();
        const double openMs = median(paired.work);
        std::printf("%12d %12.1f %12.1f %9.2fx %14.2f%s\n",
                    lists,
                    openMs,
                    median(paired.floor),
                    median(paired.ratios),
                    openMs * 1000 / lists,
                    opened ? "" : "  NOT OPENED");
        if (lists == 100000)
            ratiosAt100k = paired.ratios;
    }
    reportRatio("open 100,000 lists / floor", ratiosAt100k, 3.0);
    workbench.unloadPlugins();
}

} // namespace bench
