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
#include <QContextMenuEvent>
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

#include <memory>

namespace {

const QString project = QStringLiteral("Plant");
const QString mainList = QStringLiteral("Main");

QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(prefix + QString::number(i));
    return names;
}

// names() with "-" standing for an empty entry.
QStringList entries(const char *text)
{
    return names(text).replaceInStrings(QRegularExpression(QStringLiteral("^-$")), QString());
}

} // namespace

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

bool tst_WatchListWidget::open(const QStringList &entries, int height)
{
    if (!list() && !host->openProject(project, {mainList}))
        return false;
    list()->setVariables(entries);
    widget = std::make_unique<WatchListWidget>(mainList, project, nullptr);
    if (height == 0)
        return true;
    widget->resize(600, height);
    widget->show();
    return QTest::qWaitForWindowExposed(widget.get());
}

QStringList tst_WatchListWidget::rowTexts() const
{
    QStringList texts;
    VarTreeWidget *tree = widget->tree();
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        texts.append(tree->getItemData(tree->topLevelItem(row), 0));
    return texts;
}

// As a user does: open the row's editor, type, commit with Enter.
void tst_WatchListWidget::typeInto(int row, const QString &text)
{
    VarTreeWidget *tree = widget->tree();
    if (tree->currentIndex().row() != row || tree->currentIndex().column() != 0)
        tree->setCurrentItem(tree->topLevelItem(row));
    QTest::keyClick(tree, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = tree->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    editor->selectAll();
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Backspace);
    else
        QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The commit is queued behind the key, the move to the next row behind
    // the commit.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
}

void tst_WatchListWidget::select(const QList<int> &rows)
{
    VarTreeWidget *tree = widget->tree();
    tree->clearSelection();
    for (int row : rows)
        tree->topLevelItem(row)->setSelected(true);
}

// Not through a popped-up menu: one closing hands focus back to the tree,
// which then makes its first row current.
bool tst_WatchListWidget::trigger(const QString &entry)
{
    for (QAction *action : widget->findChild<QMenu *>()->actions()) {
        if (action->text() == entry) {
            action->trigger();
            return true;
        }
    }
    return false;
}

// Operations: "type text" (into the empty last row), "typeon text" (into the
// current row, as a user typing on after Enter), "edit r text", "current r",
// "select r s", "insert r" and "delete r s" (on those rows selected),
// "menu Entry", "add text" (as a service adds: the entry appended, then its
// row shown), "undo" and "redo" (Edit > Undo and Redo of the project).
void tst_WatchListWidget::rowsMirrorModel_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("currentRow"); // -1: not checked

    const auto row = [](const char *tag,
                        const char *before,
                        const char *operations,
                        const char *after,
                        int currentRow = -1) {
        QTest::newRow(tag) << entries(before) << names(operations) << entries(after) << currentRow;
    };
    row("empty list shows one empty row", "", "", "");
    row("type twice", "M0", "type D0,type X10", "M0,D0,X10");
    row("edit a row", "D0,D1", "edit 1 Motor_Speed", "D0,Motor_Speed");
    row("insert in the middle", "D0,D1,D2", "insert 1", "D0,-,D1,D2");
    row("insert on the empty row appends an empty entry", "D0", "insert 1", "D0,-");
    row("delete two rows", "D0,D1,D2,D3", "delete 1 3", "D0,D2");
    row("delete the empty row deletes nothing", "D0", "delete 1", "D0");
    // The current row goes where the tree moves it row by row: above, else below.
    row("current row deleted", "D0,D1,D2,D3,D4,D5,D6", "current 4,delete 1 3 4", "D0,D2,D5,D6", 1);
    row("delete the first row, current", "D0,D1,D2", "current 0,delete 0 1", "D2", 0);
    row("emptied text makes an empty entry", "D0,D1", "edit 0 ", "-,D1");
    row("added entry shown", "D0,D1", "add M5", "D0,D1,M5", 2);
    // The menu's Insert and Delete act on the selected rows, not on the current one.
    row("menu Insert", "D0,D1,D2", "select 1,menu Insert", "D0,-,D1,D2");
    row("menu Insert without a selection", "D0,D1,D2", "current 1,menu Insert", "D0,D1,D2");
    row("menu Delete", "D0,D1,D2", "current 1,select 0 2,menu Delete", "D1");
    // Enter in the empty last row moves on to the new one: typing on adds.
    row("typing on adds entries", "", "current 0,typeon D100,typeon D101", "D100,D101", 2);
    row("typing on in the middle overwrites", "D0,D1", "current 0,typeon X0", "X0,D1", 0);
    // Each edit is one step of the project's undo stack, and only the last is undone.
    row("undo a delete of two rows", "D0,D1,D2,D3", "delete 1 3,undo", "D0,D1,D2,D3");
    row("redo it", "D0,D1,D2,D3", "delete 1 3,undo,redo", "D0,D2");
    row("undo typing, then an edit", "D0,D1", "type M0,edit 0 X0,undo", "D0,D1,M0");
    row("undo both", "D0,D1", "type M0,edit 0 X0,undo,undo", "D0,D1");
    row("undo an insert", "D0,D1", "insert 0,undo", "D0,D1");
    row("undo an added entry", "D0", "add M5,undo,undo", "D0");
    row("undo with nothing done", "D0", "undo", "D0");
}

void tst_WatchListWidget::rowsMirrorModel()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, operations);
    QFETCH(QStringList, expected);
    QFETCH(int, currentRow);

    QVERIFY(open(entries, 400));
    VarTreeWidget *tree = widget->tree();
    for (const QString &operation : operations) {
        const QString verb = operation.section(QLatin1Char(' '), 0, 0);
        const QString argument = operation.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("type")) {
            typeInto(tree->topLevelItemCount() - 1, argument);
        } else if (verb == QLatin1String("typeon")) {
            typeInto(tree->currentIndex().row(), argument);
        } else if (verb == QLatin1String("undo")) {
            undoStack()->undo();
        } else if (verb == QLatin1String("redo")) {
            undoStack()->redo();
        } else if (verb == QLatin1String("edit")) {
            typeInto(argument.section(QLatin1Char(' '), 0, 0).toInt(),
                     argument.section(QLatin1Char(' '), 1));
        } else if (verb == QLatin1String("current")) {
            tree->setCurrentItem(
                tree->topLevelItem(argument.toInt()), 0, QItemSelectionModel::NoUpdate);
        } else if (verb == QLatin1String("menu")) {
            QVERIFY(trigger(argument));
        } else if (verb == QLatin1String("add")) {
            service.addVariable(mainList, argument);
            widget->showVariable(list()->getCount() - 1);
        } else {
            QList<int> rows;
            for (const QString &row : argument.split(QLatin1Char(' ')))
                rows.append(row.toInt());
            select(rows);
            if (verb == QLatin1String("insert"))
                widget->insertRowAtSelection();
            else if (verb == QLatin1String("delete"))
                widget->deleteSelectedRows();
        }
    }

    QCOMPARE(list()->variables(), expected);
    // The tree holds every entry and one empty row to type into.
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
    if (currentRow >= 0)
        QCOMPARE(tree->currentIndex().row(), currentRow);
}

// A long list in a small tree: rows come in 20 at a time up to the one shown
// or as the user scrolls to the bottom, and never past the end. A page that
// would stop just above the last entry takes it along: left behind the blank
// row, typing there would overwrite it.
void tst_WatchListWidget::pagingInSmallTree()
{
    QVERIFY(open(numbered(QStringLiteral("D"), 1000), 150));
    const int shown = widget->lastLoadedRow() + 1 + 100;
    widget->showVariable(shown);
    widget->showVariable(1000);
    QCOMPARE(widget->lastLoadedRow(), shown + 19);
    QCOMPARE(widget->tree()->getItemData(widget->tree()->currentItem(), 0),
             QStringLiteral("D%1").arg(shown));

    // Again, with 21 entries left past the page boundary reached.
    const int loaded = shown + 20;
    QVERIFY(open(numbered(QStringLiteral("D"), loaded + 21), 150));
    widget->showVariable(loaded - 1);
    QCOMPARE(widget->lastLoadedRow(), loaded - 1);
    const QStringList last = {
        QStringLiteral("D%1").arg(loaded + 19), QStringLiteral("D%1").arg(loaded + 20), QString()};
    for (int scroll = 0; scroll < 2; ++scroll) {
        widget->onScrollValueChanged(widget->tree()->verticalScrollBar()->maximum());
        QCOMPARE(rowTexts().mid(loaded + 19), last);
    }
}

void tst_WatchListWidget::deleteKeyBeatsApplicationShortcut()
{
    QVERIFY(open(names("D0,D1,D2")));
    QMainWindow *window = host->workbench().mainWindow();
    auto hostDelete = new QAction(QStringLiteral("Delete Node"), window);
    hostDelete->setShortcut(Qt::Key_Delete);
    hostDelete->setShortcutContext(Qt::ApplicationShortcut);
    window->addAction(hostDelete);
    QSignalSpy fired(hostDelete, &QAction::triggered);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    widget->show();
    widget->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    select({1});
    widget->tree()->setFocus();
    QTRY_VERIFY(widget->tree()->hasFocus());
    QTest::keyClick(widget->tree(), Qt::Key_Delete);
    QCOMPARE(fired.count(), 0);
    QCOMPARE(list()->variables(), names("D0,D2"));

    // Elsewhere the host's shortcut still works.
    widget.reset();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Delete);
    QCOMPARE(fired.count(), 1);
}

// In a list not loaded to its end the empty last row stands for an entry the
// user has not seen, a delete leaves the window full, and a batch appended
// beyond the loaded rows keeps its show modes on its own entries whatever
// happens to the rows above it, in the list's properties: a window opened
// afresh shows them too. Undo gives the list back as it was.
void tst_WatchListWidget::longListKeepsEntriesAndModes_data()
{
    QTest::addColumn<QString>("operation");
    for (const char *operation : {"delete first",
                                  "insert first",
                                  "delete all, yes",
                                  "delete all, no",
                                  "delete all loaded but the last",
                                  "type last",
                                  "insert last"})
        QTest::newRow(operation) << QString::fromLatin1(operation);
}

void tst_WatchListWidget::longListKeepsEntriesAndModes()
{
    QFETCH(QString, operation);

    QVERIFY(open(numbered(QStringLiteral("D"), 200), 300));
    widget->appendVariableRow(QStringLiteral("W10"), 16);
    widget->appendVariableRow(QStringLiteral("W11"), 2);
    const QStringList before = list()->variables();
    const int loaded = widget->lastLoadedRow() + 1;
    QVERIFY(loaded < 200);
    const int row = operation.endsWith(QLatin1String("last")) ? loaded : 0;

    QStringList expected = before;
    QString asked;
    select({row});
    if (operation.startsWith(QLatin1String("delete all"))) {
        ModalDriver driver;
        const bool yes = operation.endsWith(QLatin1String("yes"));
        driver.onNext("QMessageBox", [&asked, yes](QWidget *box) {
            asked = static_cast<QMessageBox *>(box)->text();
            static_cast<QMessageBox *>(box)
                ->button(yes ? QMessageBox::Yes : QMessageBox::No)
                ->click();
        });
        widget->tree()->selectAll();
        if (operation.endsWith(QLatin1String("last")))
            widget->tree()->topLevelItem(loaded - 1)->setSelected(false);
        widget->deleteSelectedRows();
        if (yes)
            expected.clear();
        else if (operation.endsWith(QLatin1String("last")))
            expected = expected.mid(loaded - 1);
        QVERIFY(driver.allHandled() != operation.endsWith(QLatin1String("last")));
    } else if (operation.startsWith(QLatin1String("delete"))) {
        widget->deleteSelectedRows();
        expected.removeAt(row);
    } else if (operation.startsWith(QLatin1String("type"))) {
        // Reaching the row by scrolling would page the entry in; a tall
        // window or the keyboard reaches it without.
        emit widget->tree()->variableChanged(row, QStringLiteral("M7"));
        expected.insert(row, QStringLiteral("M7"));
    } else {
        widget->insertRowAtSelection();
        expected.insert(row, QString());
    }
    if (operation.startsWith(QLatin1String("delete all,")))
        QCOMPARE(asked, QStringLiteral("Delete all 202 entries of Main?"));
    QCOMPARE(list()->variables(), expected);
    // Never a blank window over a list with more entries.
    const int windowFull = 4 * (widget->tree()->height() / 15);
    QVERIFY(widget->lastLoadedRow() + 1 >= std::min(int(expected.size()), windowFull));
    widget->showVariable(expected.size() - 1);
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
    // The batch's own modes; its neighbours keep the tree's default.
    const int w10 = expected.indexOf(QStringLiteral("W10"));
    const auto modesAround = [this, w10] {
        QList<int> modes;
        for (int row = w10 - 1; row <= w10 + 1; ++row)
            modes.append(widget->tree()->integerShowMode(row));
        return modes;
    };
    if (w10 > 0) {
        QCOMPARE(modesAround(), QList<int>({10, 16, 2}));
        QVERIFY(open(expected, 300));
        widget->showVariable(expected.size() - 1);
        QCOMPARE(modesAround(), QList<int>({10, 16, 2}));
    }

    while (undoStack()->canUndo())
        undoStack()->undo();
    QCOMPARE(list()->variables(), numbered(QStringLiteral("D"), 200));
    QCOMPARE(list()->getPropertys(), QString());
    while (undoStack()->canRedo())
        undoStack()->redo();
    QCOMPARE(list()->variables(), expected);
    QCOMPARE(list()->getPropertys().isEmpty(), w10 < 0);
}

// Edit > Undo while a name is half typed into the empty row undoes the last
// step and leaves the typing, and the keyboard focus, where they were.
void tst_WatchListWidget::undoWhileTyping()
{
    QVERIFY(open(names("D0,D1"), 300));
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    VarTreeWidget *tree = widget->tree();
    typeInto(2, QStringLiteral("M1"));
    QCOMPARE(tree->currentIndex().row(), 3);
    QTest::keyClick(tree, Qt::Key_F2);
    QPointer<QLineEdit> editor = tree->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("D7"));

    undoStack()->undo();
    QCOMPARE(list()->variables(), names("D0,D1"));
    QCOMPARE(rowTexts(), names("D0,D1") + QStringList{QString()});
    QVERIFY(editor && editor->hasFocus());
    QCOMPARE(editor->text(), QStringLiteral("D7"));
    QCOMPARE(undoStack()->count(), 1);
}

// A radix chosen in a row's Show Mode cell is kept with the list, and is a
// step of its own.
void tst_WatchListWidget::showModeChosenInTheCell()
{
    QVERIFY(open(names("D0,D1,D2"), 300));
    QTreeWidgetItem *item = widget->tree()->topLevelItem(1);
    item->setData(VarTreeWidget::ShowModeColumn, Qt::EditRole, 16);
    QCOMPARE(list()->getPropertys(), QStringLiteral(R"({"showModes":[[1,1,16]]})"));
    QCOMPARE(undoStack()->undoText(), QStringLiteral("Show D1 in Hexadecimal"));
    QVERIFY(open(names("D0,D1,D2"), 300));
    QCOMPARE(widget->tree()->integerShowMode(1), 16);

    undoStack()->undo();
    QCOMPARE(list()->getPropertys(), QString());
    QCOMPARE(widget->tree()->integerShowMode(1), 10);
    undoStack()->redo();
    QCOMPARE(widget->tree()->integerShowMode(1), 16);
    QCOMPARE(undoStack()->count(), 1);
}

// Show modes are kept as runs in the list's property text, next to whatever
// else a host keeps there, and move with their entries.
void tst_WatchListWidget::showModesInPropertys_data()
{
    QTest::addColumn<QString>("propertys");
    QTest::addColumn<QStringList>("operations"); // set first count mode, insert/remove positions
    QTest::addColumn<QString>("expected");

    const auto row =
        [](const char *tag, const char *before, const char *operations, const char *after) {
            QTest::newRow(tag) << QString::fromUtf8(before) << names(operations)
                               << QString::fromUtf8(after);
        };
    row("none", "", "", "");
    row("a batch", "", "set 100 4 16", R"({"showModes":[[100,4,16]]})");
    row("other members kept",
        R"({"font":"big"})",
        "set 0 1 2",
        R"({"font":"big","showModes":[[0,1,2]]})");
    row("decimal clears",
        R"({"font":"big","showModes":[[0,3,2]]})",
        "set 0 3 10",
        R"({"font":"big"})");
    row("text not ours is left alone", "radix=16", "set 0 3 2", "radix=16");
    row("split and joined", "", "set 0 10 16,set 4 2 2,set 4 2 16", R"({"showModes":[[0,10,16]]})");
    row("rows inserted above and inside",
        "",
        "set 10 4 16,insert 0 12",
        R"({"showModes":[[11,1,16],[13,3,16]]})");
    row("rows removed above and inside",
        "",
        "set 10 4 16,remove 0 11 12",
        R"({"showModes":[[9,2,16]]})");
    row("neighbours meet", "", "set 0 2 16,set 3 2 16,remove 2", R"({"showModes":[[0,4,16]]})");
    row("a run removed whole", "", "set 5 2 2,remove 5 6", "");
    row("runs a hand spoilt are skipped",
        R"({"showModes":[[-1,2,16],[2,1,7],[4,1,2]]})",
        "",
        R"({"showModes":[[-1,2,16],[2,1,7],[4,1,2]]})");
}

void tst_WatchListWidget::showModesInPropertys()
{
    QFETCH(QString, propertys);
    QFETCH(QStringList, operations);
    QFETCH(QString, expected);

    ShowModes modes = ShowModes::fromPropertys(propertys);
    for (const QString &operation : operations) {
        QStringList words = operation.split(QLatin1Char(' '));
        const QString verb = words.takeFirst();
        QVector<int> numbers;
        for (const QString &word : words)
            numbers.append(word.toInt());
        if (verb == QLatin1String("set"))
            modes.set(numbers.at(0), numbers.at(1), numbers.at(2));
        else if (verb == QLatin1String("insert"))
            modes.insertAt(numbers);
        else
            modes.removeAt(numbers);
    }
    QString written = propertys;
    const bool ours = operations.isEmpty() || modes.writeInto(&written);
    QCOMPARE(ours, !propertys.startsWith(QLatin1String("radix")));
    QCOMPARE(written, expected);
    if (expected.contains(QLatin1String("[4,1,2]")))
        QCOMPARE(QList<int>({modes.modeAt(2), modes.modeAt(4)}), QList<int>({10, 2}));
    if (ours)
        QCOMPARE(ShowModes::fromPropertys(written), modes);
}

void tst_WatchListWidget::checkRowsMirrorList() const
{
    const QStringList rows = rowTexts();
    const QStringList entries = list()->variables();
    const int loaded = rows.size() - 1;
    QVERIFY(loaded <= entries.size());
    QCOMPARE(rows, entries.mid(0, loaded) + QStringList{QString()});
    QVERIFY(loaded >= std::min(int(entries.size()), 4 * (widget->tree()->height() / 15)));
    const ShowModes modes = ShowModes::fromPropertys(list()->getPropertys());
    for (int row = 0; row < loaded; ++row)
        QCOMPARE(widget->tree()->integerShowMode(row), modes.modeAt(row));
}

// Whatever a user does, in whatever order, the window shows the list as it
// is; undoing every step gives back the list as it was, redoing them the list
// as it became.
void tst_WatchListWidget::randomEditsLoseNothing_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("height");
    QTest::newRow("empty, low window") << 1u << 0 << 60;
    QTest::newRow("5 entries, a window too low for a row") << 36u << 5 << 20;
    QTest::newRow("40 entries") << 13u << 40 << 150;
    QTest::newRow("300 entries") << 2u << 300 << 150;
    QTest::newRow("2,000 entries, low window") << 3u << 2000 << 60;
    QTest::newRow("2,000 entries, tall window") << 4u << 2000 << 400;
}

void tst_WatchListWidget::randomEditsLoseNothing()
{
    QFETCH(quint32, seed);
    QFETCH(int, size);
    QFETCH(int, height);

    QVERIFY(open(numbered(QStringLiteral("D"), size), height));
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    const QStringList start = list()->variables();
    const QString startPropertys = list()->getPropertys();
    QRandomGenerator random(seed);
    VarTreeWidget *tree = widget->tree();
    const auto anyRow = [&] {
        return int(random.bounded(tree->topLevelItemCount()));
    };
    const auto anyName = [&] {
        return QStringLiteral("M%1").arg(random.bounded(8000));
    };
    QStringList done;

    for (int step = 0; step < 300; ++step) {
        switch (random.bounded(12)) {
        case 0:
            done << QStringLiteral("type");
            typeInto(tree->topLevelItemCount() - 1, anyName());
            break;
        case 1:
            done << QStringLiteral("overwrite");
            typeInto(anyRow(), anyName());
            break;
        case 2:
            done << QStringLiteral("insert");
            select({anyRow()});
            widget->insertRowAtSelection();
            break;
        case 3: {
            done << QStringLiteral("delete");
            QList<int> rows{anyRow()};
            for (int more = random.bounded(4); more > 0; --more)
                rows.append(anyRow());
            select(rows);
            widget->deleteSelectedRows();
            break;
        }
        case 4: {
            const bool yes = random.bounded(2) == 0;
            done << (yes ? QStringLiteral("delete all") : QStringLiteral("delete all? no"));
            // Selecting lays the tree out, which may page rows in.
            tree->selectAll();
            const int shown = widget->lastLoadedRow() + 1;
            QSet<int> selected;
            for (int row : widget->selectedRows())
                selected.insert(row);
            ModalDriver driver;
            if (shown > 0 && shown < list()->getCount() &&
                selected.size() >= shown + int(selected.contains(shown))) {
                driver.onNext("QMessageBox", [yes](QWidget *box) {
                    static_cast<QMessageBox *>(box)
                        ->button(yes ? QMessageBox::Yes : QMessageBox::No)
                        ->click();
                });
            }
            widget->deleteSelectedRows();
            QVERIFY(driver.allHandled());
            break;
        }
        case 5: {
            done << QStringLiteral("batch");
            BatchMonitorParam batch;
            batch.scType = QStringLiteral("D");
            batch.beginAddress = random.bounded(7000);
            batch.length = 1 + random.bounded(12);
            batch.scDataType = 2;
            const int types[] = {2, 3, 9};
            batch.dataType = types[random.bounded(3)];
            const int modes[] = {2, 10, 16};
            batch.showMode = modes[random.bounded(3)];
            widget->addBatchVariables(batch);
            break;
        }
        case 6:
            done << QStringLiteral("service add");
            service.addVariable(mainList, anyName());
            widget->showVariable(list()->getCount() - 1);
            break;
        case 7:
            // As the user does: the view stays at the bottom, where rows
            // going or coming move the scroll bar.
            done << QStringLiteral("scroll to the end");
            tree->scrollToBottom();
            break;
        case 8: {
            done << QStringLiteral("show mode");
            const int modes[] = {2, 10, 16};
            tree->topLevelItem(anyRow())->setData(
                VarTreeWidget::ShowModeColumn, Qt::EditRole, modes[random.bounded(3)]);
            break;
        }
        case 9:
        case 10:
            done << QStringLiteral("undo");
            undoStack()->undo();
            break;
        default:
            done << QStringLiteral("redo");
            undoStack()->redo();
            break;
        }
        checkRowsMirrorList();
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("after ") + done.join(QStringLiteral(", "))));
    }

    // The steps done are those below the stack's index; above it wait steps
    // undone last.
    const int stepsDone = undoStack()->index();
    const QStringList end = list()->variables();
    const QString endPropertys = list()->getPropertys();
    while (undoStack()->canUndo())
        undoStack()->undo();
    QCOMPARE(list()->variables(), start);
    QCOMPARE(list()->getPropertys(), startPropertys);
    checkRowsMirrorList();
    while (undoStack()->index() < stepsDone)
        undoStack()->redo();
    QCOMPARE(list()->variables(), end);
    QCOMPARE(list()->getPropertys(), endPropertys);
    checkRowsMirrorList();
}

// Going online or offline, synchronising symbols and each comment changed
// make the tree read its rows again.
void tst_WatchListWidget::hostChangesResetTheTree()
{
    QVERIFY(open(names("D0,Y0")));
    QSignalSpy resets(widget->tree(), &VarTreeWidget::treeReset);
    host->workbench().transfer()->setOnline(true);
    host->workbench().transfer()->setOnline(false);
    SymbolSynchrinizer::instance()->synchronize(SymbolSynchrinizer::SyncAll, project.toStdString());
    SoftComponentModel *softComponents = projectModel()->softComponentModel();
    softComponents->setComment(QStringLiteral("D0"), QStringLiteral("Pressure"));
    QCOMPARE(resets.count(), 4);
}

void tst_WatchListWidget::destroyedWhileScrolledAndEditing()
{
    QVERIFY(open(numbered(QStringLiteral("D"), 1000), 300));
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    widget->showVariable(300);
    VarTreeWidget *tree = widget->tree();
    tree->scrollToItem(tree->topLevelItem(300));
    QTRY_VERIFY(tree->verticalScrollBar()->value() > 0);
    QTest::keyClick(tree, Qt::Key_F2);
    QTRY_VERIFY(tree->viewport()->findChild<QLineEdit *>());
    QTest::keyClicks(tree->viewport()->findChild<QLineEdit *>(), QStringLiteral("M5"));

    // Going away may neither page rows in nor store the half-typed entry.
    widget.reset();
    QCOMPARE(list()->getCount(), 1000);
    QCOMPARE(list()->getVariableName(300), QStringLiteral("D300"));
}

void tst_WatchListWidget::vanishedWatchListIsLeftAlone_data()
{
    QTest::addColumn<QString>("how");
    for (const char *how : {"removed", "renamed away", "project closed"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void tst_WatchListWidget::vanishedWatchListIsLeftAlone()
{
    QFETCH(QString, how);

    QVERIFY(open(names("D0,D1,D2")));
    const QStringList before = rowTexts();
    WatchListModel *watchLists = HostFixture::watchLists(project);
    if (how == QLatin1String("project closed"))
        host->workbench().closeProject(project);
    else if (how == QLatin1String("removed"))
        QVERIFY(watchLists->removeWatchList(mainList));
    else
        QVERIFY(watchLists->renameWatchList(mainList, QStringLiteral("Else")));

    select({0, 1});
    widget->deleteSelectedRows();
    widget->insertRowAtSelection();
    widget->appendVariableRow(QStringLiteral("D9"), 16);
    emit widget->tree()->variableChanged(3, QStringLiteral("D3"));
    emit widget->tree()->variableChanged(0, QStringLiteral("X0"));
    widget->showVariable(1);
    widget->fillVisibleRows();
    widget->refreshRow(0);
    widget->onScrollValueChanged(widget->tree()->verticalScrollBar()->maximum());
    QCOMPARE(rowTexts(), before);
    if (how == QLatin1String("renamed away"))
        QCOMPARE(HostFixture::watchList(project, QStringLiteral("Else"))->variables(),
                 names("D0,D1,D2"));
}

QStringList tst_WatchListWidget::popUpMenu()
{
    QStringList entries;
    bool preselected = true;
    ModalDriver driver;
    driver.onNext("QMenu", [&entries, &preselected](QWidget *popup) {
        auto menu = static_cast<QMenu *>(popup);
        for (QAction *action : menu->actions())
            entries.append(action->text());
        preselected = menu->activeAction() != nullptr;
        menu->close();
    });
    // Anywhere in the window: here, over the first row.
    const QPoint at = widget->tree()->viewport()->mapTo(widget.get(), QPoint(5, 5));
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget.get(), &event);
    // No menu, or one with an entry preselected, offers nothing to compare.
    return driver.allHandled() && !preselected ? entries : QStringList();
}

// Batch Monitor only in program style 1, read when the window is built.
void tst_WatchListWidget::menuEntries()
{
    QVERIFY(open(names("D0"), 400));
    const QStringList common = names("Goto Definition,Browse CrossReference,Insert,Delete");
    // Each style is set under the window built with the one before.
    for (int style : {2, 1, 0}) {
        host->workbench().cookies()->setValue(QStringLiteral("Program.Style"), style);
        QCOMPARE(popUpMenu(), common + (style == 0 ? names("Batch Monitor") : QStringList()));
        QVERIFY(open(names("D0"), 400));
    }
}

// Goto and browse act on the current row, not on the selected one, and on
// nothing without one or for an address.
void tst_WatchListWidget::menuCommands()
{
    const QStringList entries = names("Motor_Speed,D0,Pump_Pressure");
    QVERIFY(open(entries));
    const auto symbol = [](const char *name, const char *references) {
        return Symbol{QString::fromLatin1(name), {}, {}, {}, names(references)};
    };
    projectModel()->setSymbols({symbol("Motor_Speed", "MAIN: network 3,HMI: network 1"),
                                symbol("Pump_Pressure", "PUMP_CTRL: network 1")});
    widget->show();
    // Focus coming in makes the first row current; set the current row after.
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    QCoreApplication::processEvents();

    VarTreeWidget *tree = widget->tree();
    QTreeWidget *symbols = host->workbench().undoStacks()->symbolsView();
    QTreeWidget *crossReferences = host->workbench().crossReference()->view();
    QStringList shown; // definition, then references as symbol|place
    const auto run = [&](const char *command, int current) {
        tree->setCurrentItem(
            current < 0 ? nullptr : tree->topLevelItem(current), 0, QItemSelectionModel::NoUpdate);
        select({current == 0 ? 1 : 0});
        QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), current);
        QVERIFY(trigger(QString::fromLatin1(command)));
        shown = QStringList{symbols && symbols->currentItem() ? symbols->currentItem()->text(0)
                                                              : QString()};
        for (int i = 0; i < crossReferences->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = crossReferences->topLevelItem(i);
            shown.append(item->text(0) + QLatin1Char('|') + item->text(1));
        }
    };
    run("Goto Definition", -1);
    run("Browse CrossReference", -1);
    QCOMPARE(shown, QStringList{QString()});
    run("Goto Definition", 2);
    run("Goto Definition", 1);
    QCOMPARE(shown, names("Pump_Pressure"));
    run("Browse CrossReference", 0);
    QCOMPARE(shown, names("Pump_Pressure,Motor_Speed|MAIN: network 3,Motor_Speed|HMI: network 1"));
    QCOMPARE(list()->variables(), entries);
}

QTEST_MAIN(tst_WatchListWidget)
#include "tst_watchlistwidget.moc"
