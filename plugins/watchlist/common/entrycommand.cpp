#include "entrycommand.h"

#include "entrychanges.h"
#include "hostnames.h"
#include "hostservices.h"
#include "showmodes.h"
#include "viewhelper.h"
#include "watchlistmodel.h"
#include "watchlistmodelhandle.h"
#include "watchlistobject.h"

#include <algorithm>

namespace {

QVector<int> positionsOf(const QVector<EntryCommand::Entry> &entries)
{
    QVector<int> positions;
    positions.reserve(entries.size());
    for (const EntryCommand::Entry &entry : entries)
        positions.append(entry.index);
    return positions;
}

// The list reads as these names from first on: written over the entries
// there, appended past its end, and what is left beyond them removed.
void rewriteTail(WatchListObject *list, int first, const QStringList &tail)
{
    const int count = list->getCount();
    for (int i = 0; i < tail.size(); ++i) {
        if (first + i < count)
            list->setVariableName(first + i, tail.at(i));
        else
            list->appendVariable(tail.at(i));
    }
    for (int i = count - 1; i >= first + tail.size(); --i)
        list->removeVariable(i);
}

QStringList tailOf(const WatchListObject *list, int first)
{
    QStringList tail;
    const int count = list->getCount();
    tail.reserve(std::max(count - first, 0));
    for (int i = first; i < count; ++i)
        tail.append(list->getVariableName(i));
    return tail;
}

bool insertEntries(WatchListObject *list, const QVector<EntryCommand::Entry> &entries)
{
    const int count = list->getCount();
    const int first = entries.first().index;
    if (first < 0 || first > count || entries.size() > WatchListObject::MaxCount - count)
        return false;
    if (entries.size() == 1 && first == count)
        return list->appendVariable(entries.first().name);
    const QStringList old = tailOf(list, first);
    QStringList tail;
    tail.reserve(old.size() + entries.size());
    int next = 0;
    for (const EntryCommand::Entry &entry : entries) {
        while (first + tail.size() < entry.index) {
            // A position past the end of the list, or out of order.
            if (next >= old.size())
                return false;
            tail.append(old.at(next++));
        }
        if (first + tail.size() != entry.index)
            return false;
        tail.append(entry.name);
    }
    tail.append(old.mid(next));
    rewriteTail(list, first, tail);
    return true;
}

bool removeEntries(WatchListObject *list, const QVector<EntryCommand::Entry> &entries)
{
    const int count = list->getCount();
    int previous = -1;
    for (const EntryCommand::Entry &entry : entries) {
        if (entry.index <= previous || entry.index >= count ||
            list->getVariableName(entry.index) != entry.name)
            return false;
        previous = entry.index;
    }
    const int first = entries.first().index;
    if (entries.size() == 1 && first == count - 1)
        return list->removeVariable(first);
    QStringList tail;
    tail.reserve(count - first - entries.size());
    auto removed = entries.cbegin();
    for (int i = first; i < count; ++i) {
        if (removed != entries.cend() && removed->index == i)
            ++removed;
        else
            tail.append(list->getVariableName(i));
    }
    rewriteTail(list, first, tail);
    return true;
}

bool replaceEntries(WatchListObject *list,
                    const QVector<EntryCommand::Entry> &entries,
                    const QStringList &from,
                    bool forward)
{
    for (int k = 0; k < entries.size(); ++k) {
        const QString expected = forward ? from.value(k) : entries.at(k).name;
        if (list->getVariableName(entries.at(k).index) != expected ||
            entries.at(k).index >= list->getCount())
            return false;
    }
    for (int k = 0; k < entries.size(); ++k)
        list->setVariableName(entries.at(k).index, forward ? entries.at(k).name : from.value(k));
    return true;
}

} // namespace

EntryCommand::EntryCommand(const QString &projectName,
                           const QString &watchListName,
                           const Change &change,
                           const QString &propertysBefore,
                           const QString &propertysAfter,
                           const QString &text)
    : QUndoCommand(text)
    , m_projectName(projectName)
    , m_watchListName(watchListName)
    , m_change(change)
    , m_propertysBefore(propertysBefore)
    , m_propertysAfter(propertysAfter)
{}

bool EntryCommand::perform(const QString &projectName,
                           WatchListObject *list,
                           const Change &change,
                           const QString &text)
{
    if (!list || (change.kind != Modes && change.entries.isEmpty()))
        return false;
    const QString before = list->getPropertys();
    ShowModes modes = ShowModes::fromPropertys(before);
    const ShowModes modesBefore = modes;
    if (change.kind == Insert)
        modes.insertAt(positionsOf(change.entries));
    else if (change.kind == Remove)
        modes.removeAt(positionsOf(change.entries));
    modes.set(change.modeFirst, change.modeCount, change.mode);
    for (int k = 0; k < std::min(change.entryModes.size(), change.entries.size()); ++k)
        modes.set(change.entries.at(k).index, 1, change.entryModes.at(k));
    QString after = before;
    if (modes != modesBefore)
        modes.writeInto(&after);

    if (!apply(list, change, true))
        return false;
    if (after != before)
        list->setPropertys(after);

    auto command = new EntryCommand(projectName, list->getName(), change, before, after, text);
    auto helper = HostServices::viewHelper(HostServices::application());
    if (helper)
        helper->pushCommand(command);
    else
        delete command;
    return true;
}

bool EntryCommand::apply(WatchListObject *list, const Change &change, bool forward)
{
    switch (change.kind) {
    case Insert:
        return forward ? insertEntries(list, change.entries) : removeEntries(list, change.entries);
    case Remove:
        return forward ? removeEntries(list, change.entries) : insertEntries(list, change.entries);
    case Replace:
        return replaceEntries(list, change.entries, change.previous, forward);
    case Modes:
        return true;
    }
    return false;
}

void EntryCommand::undo()
{
    replay(false);
}

void EntryCommand::redo()
{
    // The change was made before the step was handed over.
    if (!m_pushed) {
        m_pushed = true;
        return;
    }
    replay(true);
}

void EntryCommand::replay(bool forward)
{
    const WatchListModelHandle model = WatchListModelHandle::find(m_projectName);
    WatchListObject *list = model ? model->getObject(m_watchListName) : nullptr;
    if (!list || list->getPropertys() != (forward ? m_propertysBefore : m_propertysAfter) ||
        !apply(list, m_change, forward))
        return;
    list->setPropertys(forward ? m_propertysAfter : m_propertysBefore);
    emit EntryChanges::instance()->changed(m_projectName, m_watchListName, firstIndex());
}

int EntryCommand::firstIndex() const
{
    int first = m_change.entries.isEmpty() ? m_change.modeFirst : m_change.entries.first().index;
    if (m_change.modeCount > 0)
        first = std::min(first, m_change.modeFirst);
    return first;
}
