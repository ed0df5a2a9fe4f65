#include "watchlistcomparator.h"

#include "abstractprojectmodel.h"
#include "hostnames.h"
#include "hostservices.h"
#include "projectmodelmanager.h"
#include "safeprojectmodel.h"
#include "solutionview.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"

#include <functional>

namespace {

const QString watchListType = QStringLiteral("TYPE.WATCHLIST");

// Runs measure on the item's watch list, found afresh; a missing one gives
// the empty value.
template<typename T>
T measure(const ComparisonItem &item, const std::function<T(const WatchListObject *)> &read)
{
    auto view = HostServices::solutionView(HostServices::application());
    const QString name =
        view->nodeData(item.path, QStringLiteral("DisplayName"), QVariant()).toString();
    const SafeProjectModel project(
        ProjectModelManager::instance()->projectModel(item.projectName.toStdString(), false));
    if (!project)
        return T();
    auto model = qobject_cast<WatchListModel *>(project->subModel("WatchListModel"));
    const WatchListObject *list = model ? model->getObject(name) : nullptr;
    return list ? read(list) : T();
}

bool isComplete(const ComparisonItem &item)
{
    return !item.title.isEmpty() && !item.projectName.isEmpty() && !item.path.isEmpty() &&
           !item.typeKey.isEmpty();
}

} // namespace

WatchListComparator::~WatchListComparator() = default;

QString WatchListComparator::typeKey() const
{
    return watchListType;
}

bool WatchListComparator::isSame(const ComparisonItem &a, const ComparisonItem &b)
{
    if (!isComplete(a) || !isComplete(b))
        return false;
    if (a.typeKey != watchListType || b.typeKey != watchListType)
        return false;

    const auto count = [](const WatchListObject *list) {
        return list->getCount();
    };
    if (measure<int>(a, count) != measure<int>(b, count))
        return false;
    const auto propertys = [](const WatchListObject *list) {
        return list->getPropertys();
    };
    if (measure<QString>(a, propertys) != measure<QString>(b, propertys))
        return false;
    const auto listData = [](const WatchListObject *list) {
        return list->getListData();
    };
    return measure<QByteArray>(a, listData) == measure<QByteArray>(b, listData);
}

bool WatchListComparator::canMerge(const ComparisonItem &, const ComparisonItem &)
{
    return false;
}

QWidget *
WatchListComparator::createDiffView(const ComparisonItem &, const ComparisonItem &, QWidget *)
{
    return nullptr;
}
