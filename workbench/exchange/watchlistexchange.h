#pragma once

#include <QObject>

#include <QString>
#include <memory>

class QAction;
class QMenu;
class QProgressDialog;
class Workbench;

// A watch list of an open project to and from a CSV file (WatchListCsv), for
// File > Export Watch List... and Import into Watch List.... Imports go
// through the plug-in's watch-list service, as another plug-in would add a
// variable, so the window and the undo history see nothing special.
class WatchListExchange : public QObject
{
    Q_OBJECT
public:
    explicit WatchListExchange(Workbench *workbench, QObject *parent = nullptr);

    // The two menu entries, inserted before the given action (appended without one).
    void addMenuEntries(QMenu *menu, QAction *before = nullptr);

    struct WatchList
    {
        QString project;
        QString name;
        bool isNull() const { return name.isEmpty(); }
    };
    // The watch list whose node is the current item of the solution tree
    // (opening a watch list's window makes its node current).
    WatchList selectedWatchList() const;

    bool exportWatchList(const WatchList &list, const QString &filePath, QString *error) const;

    struct ImportResult
    {
        int names = 0; // in the file
        int added = 0;
        bool cancelled = false;
        bool progressShown = false;
    };
    // Reads and checks the whole file first, so a refused file adds nothing.
    // The service adds to the current project's lists: the list's project
    // becomes the current one. An import still running after a second shows
    // a cancellable progress dialog; names added before a cancel stay, as any
    // added variable would. Whatever the service pushes onto the project's
    // undo stack meanwhile is one undo step; an import that pushes nothing
    // leaves none. False, with the reason in error, when the file
    // is refused or the list stops taking names.
    bool importIntoWatchList(const WatchList &list,
                             const QString &filePath,
                             QString *error,
                             ImportResult *result = nullptr);

    void exportSelected();
    void importSelected();

private:
    int entryCount(const WatchList &list) const;
    // The import's progress, shown once it has run a second.
    std::unique_ptr<QProgressDialog> importProgress(const WatchList &list, int names) const;
    // Hands the names to the watch-list service in slices, with the events
    // processed between them; why it stopped before the end, or nothing.
    QString addNames(const WatchList &list,
                     const QStringList &names,
                     QProgressDialog *progress,
                     ImportResult *done);
    void updateActions();
    void showError(const QString &title, const QString &message) const;

    Workbench *m_workbench;
    QAction *m_exportAction = nullptr;
    QAction *m_importAction = nullptr;
};
