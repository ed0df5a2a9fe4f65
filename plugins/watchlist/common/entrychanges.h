#pragma once

#include <QObject>
#include <QString>

// Tells the windows of the plug-in that undo or redo changed a list's entries
// from an index on, so that the window showing it reads them again.
class EntryChanges : public QObject
{
    Q_OBJECT
public:
    static EntryChanges *instance();

signals:
    void changed(const QString &projectName, const QString &watchListName, int firstIndex);

private:
    EntryChanges() = default;
};
