#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QUndoCommand>
#include <QVector>

class WatchListObject;

// One change to the entries of a watch list, as one step of the project's
// undo stack. The step keeps the list's project and name, never the list
// itself: the host owns it, and undo and redo find it again (steps above
// this one on the stack, renames included, are undone before it is).
class EntryCommand : public QUndoCommand
{
    Q_DECLARE_TR_FUNCTIONS(EntryCommand)
public:
    enum Kind {
        Insert,  // entries: each at its position after the insertion, ascending
        Remove,  // entries: each at its position before the removal, ascending
        Replace, // entries: the new names; previous: the names they replaced
        Modes,   // entries unchanged; only show modes
    };
    struct Entry
    {
        int index;
        QString name;
    };
    struct Change
    {
        Kind kind = Insert;
        QVector<Entry> entries;
        QStringList previous;
        // Show modes set after the entries changed: modeCount entries from modeFirst.
        int modeFirst = 0;
        int modeCount = 0;
        int mode = 10;
        // Show modes the entries take after the change, one an entry (rows
        // moved take theirs along); empty for none.
        QVector<int> entryModes;
    };

    // Makes the change to the list (show modes in its property text moving
    // with their entries) and hands the step to the host's undo stack.
    // False, changing nothing, when the list does not hold what the change
    // expects or would grow past WatchListObject::MaxCount.
    static bool perform(const QString &projectName,
                        WatchListObject *list,
                        const Change &change,
                        const QString &text);

    void undo() override;
    void redo() override;

private:
    EntryCommand(const QString &projectName,
                 const QString &watchListName,
                 const Change &change,
                 const QString &propertysBefore,
                 const QString &propertysAfter,
                 const QString &text);

    // Applies the change forward or backward; false, changing nothing, when
    // the list does not hold what that direction expects.
    static bool apply(WatchListObject *list, const Change &change, bool forward);
    void replay(bool forward);
    int firstIndex() const;

    QString m_projectName;
    QString m_watchListName;
    Change m_change;
    QString m_propertysBefore;
    QString m_propertysAfter;
    bool m_pushed = false;
};
