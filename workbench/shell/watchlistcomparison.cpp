#include "watchlistcomparison.h"

#include "comparatormanager.h"
#include "icomparator.h"
#include "solutiontree.h"

QVector<WatchListComparison> compareWatchLists(const SolutionTree &tree,
                                               const ComparatorManager &comparators,
                                               const QString &first,
                                               const QString &second)
{
    const QString folder = QStringLiteral(".Watch List");
    const QStringList firstNames = tree.childNodes(first + folder);
    const QStringList secondNames = tree.childNodes(second + folder);
    const auto itemOf = [&tree, &folder](const QString &project, const QString &name) {
        const QString path = project + folder + QLatin1Char('.') + name;
        return ComparisonItem{
            name,
            project,
            path,
            tree.nodeData(path, QStringLiteral("MimeType"), QVariant()).toString()};
    };

    QVector<WatchListComparison> results;
    for (const QString &name : firstNames) {
        WatchListComparison comparison;
        comparison.name = name;
        if (!secondNames.contains(name)) {
            comparison.result = WatchListComparison::OnlyInFirst;
        } else {
            const ComparisonItem a = itemOf(first, name);
            const ComparisonItem b = itemOf(second, name);
            if (IComparator *comparator = comparators.comparator(a.typeKey)) {
                comparison.result = comparator->isSame(a, b) ? WatchListComparison::Same
                                                             : WatchListComparison::Different;
            }
        }
        results.append(comparison);
    }
    for (const QString &name : secondNames) {
        if (!firstNames.contains(name))
            results.append({name, WatchListComparison::OnlyInSecond});
    }
    return results;
}
