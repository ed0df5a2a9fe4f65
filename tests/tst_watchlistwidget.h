#pragma once

// The watch-list window against the real model and host: rows mirror the
// list, paging, keys and menus (tst_watchlistwidget.cpp), and entries, show
// modes and undo through long lists and random edits (tst_watchlistedits.cpp).

#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "controllertransfer.h"
#include "cookies.h"
#include "crossreference.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "showmodes.h"
#include "softcomponentmodel.h"
#include "symbolsynchrinizer.h"
#include "vartreewidget.h"
#include "watchlistinstance.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

#include <algorithm>
#include <memory>
#include <numeric>

namespace WatchListWidgetTest {

inline const QString project = QStringLiteral("Plant");
inline const QString mainList = QStringLiteral("Main");

inline QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QString::number(i));
    return names;
}

// names() with "-" standing for an empty entry.
inline QStringList entries(const char *text)
{
    return names(text).replaceInStrings(QRegularExpression(QStringLiteral("^-$")), QString());
}

} // namespace WatchListWidgetTest

using namespace WatchListWidgetTest;

class tst_WatchListWidget : public QObject
{
    Q_OBJECT

private slots:
    void init() { host = std::make_unique<HostFixture>(); }
    void cleanup()
    {
        widget.reset();
        host.reset();
    }

    void rowsMirrorModel_data();
    void rowsMirrorModel();
    void pagingInSmallTree();
    void deleteKeyBeatsApplicationShortcut();
    void copyAndCutAsCells();
    void pasteNames_data();
    void pasteNames();
    void moveRows_data();
    void moveRows();
    void findLoadsAndMakesCurrent_data();
    void findLoadsAndMakesCurrent();
    void findKeys();
    void longListKeepsEntriesAndModes_data();
    void longListKeepsEntriesAndModes();
    void undoWhileTyping();
    void showModeChosenInTheCell();
    void showModesInPropertys_data();
    void showModesInPropertys();
    void randomEditsLoseNothing_data();
    void randomEditsLoseNothing();
    void hostChangesResetTheTree();
    void destroyedWhileScrolledAndEditing();
    void vanishedWatchListIsLeftAlone_data();
    void vanishedWatchListIsLeftAlone();
    void menuEntries();
    void menuCommands();

private:
    // Opens the project (unless open) with its watch list Main holding these
    // entries, and a window on the list, shown at that height unless it is 0.
    bool open(const QStringList &entries, int height = 0);
    WatchListObject *list() const { return HostFixture::watchList(project, mainList); }
    ProjectModel *projectModel() const
    {
        return static_cast<ProjectModel *>(
            ProjectModelManager::instance()->projectModel(project.toStdString(), false));
    }
    QStringList rowTexts() const;
    // The window's rows are the list's first entries, each in its stored
    // show mode, and one empty row; at least a window-full of them.
    void checkRowsMirrorList() const;
    QUndoStack *undoStack() const { return host->workbench().undoStack(project); }
    void typeInto(int row, const QString &text);
    void select(const QList<int> &rows);
    // Triggers the context menu's entry in place; false when there is none.
    bool trigger(const QString &entry);
    // Pops the context menu up, closes it and returns the entries it offered.
    QStringList popUpMenu();

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListWidget> widget;
    WatchListInstance service{nullptr};
};
