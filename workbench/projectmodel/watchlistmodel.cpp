#include "watchlistmodel.h"

#include "watchlistobject.h"

#include <QSet>

#include <algorithm>

namespace {

QString nameProblem(const QString &name)
{
    if (name.isEmpty())
        return WatchListModel::tr("A watch list needs a name.");
    // The solution tree joins node names with "." into paths.
    if (name.contains(QLatin1Char('.')))
        return WatchListModel::tr("The watch list name \"%1\" must not contain \".\".").arg(name);
    return QString();
}

} // namespace

WatchListModel::WatchListModel(QObject *parent)
    : SubModel("WatchListModel", parent)
{}

WatchListModel::~WatchListModel() = default;

bool WatchListModel::appendWatchList(const QString &name)
{
    return insertObject(count(), std::make_shared<WatchListObject>(name));
}

int WatchListModel::appendWatchLists(const std::vector<std::shared_ptr<WatchListObject>> &lists)
{
    QSet<QString> taken;
    taken.reserve(count() + static_cast<int>(lists.size()));
    for (const auto &list : m_lists)
        taken.insert(list->getName());
    for (size_t i = 0; i < lists.size(); ++i) {
        if (!lists[i]) {
            refuse(tr("Only watch lists can be added to the watch lists."));
            return static_cast<int>(i);
        }
        const QString name = lists[i]->getName();
        const QString problem = nameProblem(name);
        if (!problem.isEmpty()) {
            refuse(problem);
            return static_cast<int>(i);
        }
        const int before = taken.size();
        taken.insert(name);
        if (taken.size() == before) {
            refuse(tr("A watch list named \"%1\" already exists.").arg(name));
            return static_cast<int>(i);
        }
    }
    if (lists.empty())
        return -1;
    m_lists.insert(m_lists.end(), lists.begin(), lists.end());
    emit changed();
    return -1;
}

bool WatchListModel::removeWatchList(const QString &name)
{
    const int index = indexOf(name);
    if (index < 0)
        return refuse(tr("There is no watch list named \"%1\".").arg(name));
    m_lists.erase(m_lists.begin() + index);
    emit changed();
    return true;
}

bool WatchListModel::renameWatchList(const QString &oldName, const QString &newName)
{
    const int index = indexOf(oldName);
    if (index < 0)
        return refuse(tr("There is no watch list named \"%1\".").arg(oldName));
    return renameObject(m_lists[index].get(), newName);
}

WatchListObject *WatchListModel::getObject(const QString &name) const
{
    const int index = indexOf(name);
    return index < 0 ? nullptr : m_lists[index].get();
}

WatchListObject *WatchListModel::getObject(unsigned index) const
{
    return index < m_lists.size() ? m_lists[index].get() : nullptr;
}

QStringList WatchListModel::getWatchListNames() const
{
    QStringList names;
    names.reserve(count());
    for (const auto &list : m_lists)
        names.append(list->getName());
    return names;
}

int WatchListModel::count() const
{
    return static_cast<int>(m_lists.size());
}

QString WatchListModel::getLastError() const
{
    return m_lastError;
}

int WatchListModel::indexOfObject(const ModelObject *object) const
{
    const auto it = std::find_if(m_lists.begin(), m_lists.end(), [object](const auto &list) {
        return list.get() == object;
    });
    return it == m_lists.end() ? -1 : static_cast<int>(it - m_lists.begin());
}

std::shared_ptr<ModelObject> WatchListModel::shareObject(const ModelObject *object) const
{
    const int index = indexOfObject(object);
    return index < 0 ? nullptr : m_lists[index];
}

bool WatchListModel::insertObject(int index, const std::shared_ptr<ModelObject> &object)
{
    auto list = std::dynamic_pointer_cast<WatchListObject>(object);
    if (!list)
        return refuse(tr("Only watch lists can be added to the watch lists."));
    if (indexOfObject(list.get()) >= 0)
        return refuse(tr("The watch list \"%1\" is already there.").arg(list->getName()));
    const QString problem = nameProblem(list->getName());
    if (!problem.isEmpty())
        return refuse(problem);
    if (indexOf(list->getName()) >= 0)
        return refuse(tr("A watch list named \"%1\" already exists.").arg(list->getName()));
    index = std::clamp(index, 0, count());
    m_lists.insert(m_lists.begin() + index, std::move(list));
    emit changed();
    return true;
}

bool WatchListModel::takeObject(const ModelObject *object)
{
    const int index = indexOfObject(object);
    if (index < 0)
        return false;
    m_lists.erase(m_lists.begin() + index);
    emit changed();
    return true;
}

bool WatchListModel::renameObject(ModelObject *object, const QString &newName)
{
    const int index = indexOfObject(object);
    if (index < 0)
        return refuse(tr("The watch list is not in this project."));
    WatchListObject *list = m_lists[index].get();
    const QString problem = nameProblem(newName);
    if (!problem.isEmpty())
        return refuse(problem);
    if (list->getName() == newName)
        return true;
    if (indexOf(newName) >= 0)
        return refuse(tr("A watch list named \"%1\" already exists.").arg(newName));
    list->setName(newName);
    emit changed();
    return true;
}

bool WatchListModel::refuse(const QString &error)
{
    m_lastError = error;
    return false;
}

int WatchListModel::indexOf(const QString &name) const
{
    const auto it = std::find_if(m_lists.begin(), m_lists.end(), [&name](const auto &list) {
        return list->getName() == name;
    });
    return it == m_lists.end() ? -1 : static_cast<int>(it - m_lists.begin());
}
