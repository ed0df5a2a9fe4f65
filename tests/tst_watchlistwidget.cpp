#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "cookies.h"
#include "crossreference.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "projectundostacks.h"
#include "controllertransfer.h"
#include "softcomponentmodel.h"
#include "symbolsynchrinizer.h"
#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

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
    void deleteKeyBeatsApplicationShortcut_data();
    void deleteKeyBeatsApplicationShortcut();
    void longListKeepsEntriesAndModes_data();
    void longListKeepsEntriesAndModes();
    void randomOperationsKeepRowsOnEntries_data();
    void randomOperationsKeepRowsOnEntries();
    void hostChangesResetTheTree();
    void destroyedWhileScrolledAndEditing();
    void vanishedWatchListIsLeftAlone_data();
    void vanishedWatchListIsLeftAlone();
    void menuEntries_data();
    void menuEntries();
    void menuCommands_data();
    void menuCommands();

private:
    // Opens the project with its watch list Main holding these entries, and a
    // window on the list, shown at that height unless it is 0.
    bool open(const QStringList &entries, int height = 0);
    WatchListObject *list() const { return HostFixture::watchList(project, mainList); }
    ProjectModel *projectModel() const
    {
        return static_cast<ProjectModel *>(
            ProjectModelManager::instance()->projectModel(project.toStdString(), false));
    }
    QStringList rowTexts() const;
    void typeInto(int row, const QString &text);
    void select(const QList<int> &rows);
    // Triggers the context menu's entry in place; false when there is none.
    bool trigger(const QString &entry);
    // Pops the context menu up, closes it and returns the entries it offered.
    QStringList popUpMenu();

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListWidget> widget;
};

bool tst_WatchListWidget::open(const QStringList &entries, int height)
{
    if (!host->openProject(project, {mainList}))
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
    QTRY_VERIFY(!editor);
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

// Operations: "type text" (into the empty last row), "edit r text",
// "current r", "select r s", "insert r" and "delete r s" (on those rows
// selected), "menu Entry", "add text" (as a service adds: the entry appended,
// then its row shown).
void tst_WatchListWidget::rowsMirrorModel_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("currentRow"); // -1: not checked

    const auto row = [](const char *tag, const char *before, const char *operations,
                        const char *after, int currentRow = -1) {
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
    row("delete a block holding the current row",
        "D0,D1,D2,D3,D4,D5,D6", "current 4,delete 1 3 4", "D0,D2,D5,D6", 1);
    row("delete the first row, current", "D0,D1,D2", "current 0,delete 0 1", "D2", 0);
    row("emptied text makes an empty entry", "D0,D1", "edit 0 ", "-,D1");
    row("added entry shown", "D0,D1", "add M5", "D0,D1,M5", 2);
    // The menu's Insert and Delete act on the selected rows, not on the current one.
    row("menu Insert", "D0,D1,D2", "select 1,menu Insert", "D0,-,D1,D2");
    row("menu Insert without a selection", "D0,D1,D2", "current 1,menu Insert", "D0,D1,D2");
    row("menu Delete", "D0,D1,D2", "current 1,select 0 2,menu Delete", "D1");
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
        } else if (verb == QLatin1String("edit")) {
            typeInto(argument.section(QLatin1Char(' '), 0, 0).toInt(),
                     argument.section(QLatin1Char(' '), 1));
        } else if (verb == QLatin1String("current")) {
            tree->setCurrentItem(
                tree->topLevelItem(argument.toInt()), 0, QItemSelectionModel::NoUpdate);
        } else if (verb == QLatin1String("menu")) {
            QVERIFY(trigger(argument));
        } else if (verb == QLatin1String("add")) {
            list()->appendVariable(argument);
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

// A long list in a small tree: rows come in a page at a time as the user
// scrolls down or a row is shown, and never past the end.
void tst_WatchListWidget::pagingInSmallTree()
{
    QVERIFY(open(numbered(QStringLiteral("D"), 1000), 150));
    VarTreeWidget *tree = widget->tree();
    // Each fill loads four tree heights of 15-pixel rows.
    int loaded = widget->lastLoadedRow() + 1;
    widget->fillVisibleRows();
    loaded += 40;
    QCOMPARE(widget->lastLoadedRow() + 1, loaded);
    QCOMPARE(tree->topLevelItemCount(), loaded + 1);

    widget->showVariable(1000);
    QCOMPARE(widget->lastLoadedRow() + 1, loaded);
    // Rows are paged in 20 at a time up to the one shown, and no further.
    const int row = loaded + 100;
    widget->showVariable(row);
    QCOMPARE(widget->lastLoadedRow(), row + 19);
    QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), row);
    QCOMPARE(tree->getItemData(tree->currentItem(), 0), QStringLiteral("D%1").arg(row));
    loaded = row + 20;

    // Reaching the bottom of the scroll bar pages in 20 more, up to the end.
    QScrollBar *bar = tree->verticalScrollBar();
    while (loaded < 1000) {
        QTRY_VERIFY(bar->maximum() > 0);
        QTRY_VERIFY(bar->value() != bar->maximum() || widget->lastLoadedRow() + 1 > loaded);
        if (bar->value() != bar->maximum())
            bar->setValue(bar->maximum());
        else
            widget->onScrollValueChanged(bar->maximum());
        QCOMPARE(widget->lastLoadedRow() + 1, qMin(loaded + 20, 1000));
        loaded = widget->lastLoadedRow() + 1;
        QCoreApplication::processEvents();
    }
    widget->onScrollValueChanged(bar->maximum());
    // Nothing past the end, and the last rows in place.
    QCOMPARE(rowTexts().mid(998), names("D998,D999") + QStringList{QString()});
}

void tst_WatchListWidget::deleteKeyBeatsApplicationShortcut_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Delete") << Qt::KeyboardModifiers(Qt::NoModifier);
    QTest::newRow("Shift+Delete") << Qt::KeyboardModifiers(Qt::ShiftModifier);
}

void tst_WatchListWidget::deleteKeyBeatsApplicationShortcut()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);

    QVERIFY(open(names("D0,D1,D2")));
    QMainWindow *window = host->workbench().mainWindow();
    auto hostDelete = new QAction(QStringLiteral("Delete Node"), window);
    hostDelete->setShortcuts(
        {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::SHIFT + Qt::Key_Delete)});
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
    QTest::keyClick(widget->tree(), Qt::Key_Delete, modifiers);
    QCOMPARE(fired.count(), 0);
    QCOMPARE(list()->variables(), names("D0,D2"));
    QCOMPARE(rowTexts(), names("D0,D2") + QStringList{QString()});

    // Elsewhere the host's shortcut still works.
    widget.reset();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Delete, modifiers);
    QCOMPARE(fired.count(), 1);
}

// In a list not loaded to its end the empty last row stands for an entry the
// user has not seen, and a batch appended beyond the loaded rows keeps its
// show modes on its own entries whatever happens to the rows above it.
void tst_WatchListWidget::longListKeepsEntriesAndModes_data()
{
    QTest::addColumn<QString>("operation");
    for (const char *operation :
         {"delete first", "insert first", "delete all", "type last", "insert last"})
        QTest::newRow(operation) << QString::fromLatin1(operation);
}

void tst_WatchListWidget::longListKeepsEntriesAndModes()
{
    QFETCH(QString, operation);

    QVERIFY(open(numbered(QStringLiteral("D"), 200), 300));
    widget->appendVariableRow(QStringLiteral("W10"), 16);
    widget->appendVariableRow(QStringLiteral("W11"), 2);
    const int loaded = widget->lastLoadedRow() + 1;
    QVERIFY(loaded < 200);
    const int row = operation.endsWith(QLatin1String("last")) ? loaded : 0;

    QStringList expected = list()->variables();
    select({row});
    if (operation == QLatin1String("delete all")) {
        widget->tree()->selectAll();
        widget->deleteSelectedRows();
        expected = expected.mid(loaded);
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
    QCOMPARE(list()->variables(), expected);
    widget->showVariable(expected.size() - 1);
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
    // The batch's own modes; its neighbours keep the tree's default.
    const int w10 = expected.indexOf(QStringLiteral("W10"));
    QList<int> modes;
    for (int row = w10 - 1; row <= w10 + 1; ++row)
        modes.append(widget->tree()->integerShowMode(row));
    QCOMPARE(modes, QList<int>({10, 16, 2}));
}

// Whatever loaded the rows, they are the list's first entries in order, then
// one empty row: an entry behind a blank row is overwritten by typing there.
void tst_WatchListWidget::randomOperationsKeepRowsOnEntries_data()
{
    QTest::addColumn<int>("height");
    for (int height : {40, 150, 300, 610})
        QTest::addRow("tree %d px", height) << height;
}

void tst_WatchListWidget::randomOperationsKeepRowsOnEntries()
{
    QFETCH(int, height);
    const quint32 seed = 20261207 + quint32(height);
    QRandomGenerator random(seed);
    const auto below = [&random](int n) { return n > 0 ? int(random.bounded(quint32(n))) : 0; };
    const char *const operations[] = {
        "resize", "scroll", "show", "insert", "delete", "type", "add", "batch"};

    QVERIFY(host->openProject(project, {mainList}));
    WatchListObject *entries = list();
    for (int round = 0; round < 20; ++round) {
        entries->setVariables(numbered(QStringLiteral("D"), below(150)));
        widget = std::make_unique<WatchListWidget>(mainList, project, nullptr);
        widget->resize(400, height);
        widget->show();
        VarTreeWidget *tree = widget->tree();
        for (int step = 0; step < 60; ++step) {
            const int rows = tree->topLevelItemCount();
            const int operation = below(8);
            if (operation == 0) {
                widget->resize(400, 20 + below(2 * height));
            } else if (operation == 1) {
                widget->onScrollValueChanged(tree->verticalScrollBar()->maximum());
            } else if (operation == 2) {
                widget->showVariable(below(entries->getCount() + 2));
            } else if (operation == 3) {
                select({below(rows)});
                widget->insertRowAtSelection();
            } else if (operation == 4) {
                select({below(rows), below(rows)});
                widget->deleteSelectedRows();
            } else if (operation == 5) {
                typeInto(below(rows), QStringLiteral("X%1").arg(step));
            } else if (operation == 6) {
                // A service append: the entry is added, then its row shown.
                entries->appendVariable(QStringLiteral("M%1").arg(step));
                widget->showVariable(entries->getCount() - 1);
            } else {
                widget->appendVariableRow(QStringLiteral("Y%1").arg(step), 16);
                widget->fillVisibleRows();
            }
            const int loaded = widget->lastLoadedRow() + 1;
            const QStringList all = entries->variables();
            QVERIFY2(loaded <= all.size() && rowTexts() == all.mid(0, loaded) + QStringList{QString()},
                     qPrintable(QStringLiteral("seed %1 round %2 step %3 (%4): %5 rows, %6 entries")
                                    .arg(seed).arg(round).arg(step)
                                    .arg(QLatin1String(operations[operation]))
                                    .arg(tree->topLevelItemCount()).arg(all.size())));
        }
    }
}

// Going online or offline, synchronising symbols and each comment changed
// make the tree read its rows again.
void tst_WatchListWidget::hostChangesResetTheTree()
{
    QVERIFY(open(names("D0,Y0")));
    QSignalSpy resets(widget->tree(), &VarTreeWidget::treeReset);
    host->workbench().transfer()->setOnline(true);
    QCOMPARE(resets.count(), 1);
    host->workbench().transfer()->setOnline(false);
    QCOMPARE(resets.count(), 2);
    SymbolSynchrinizer::instance()->synchronize(SymbolSynchrinizer::SyncAll, project.toStdString());
    QCOMPARE(resets.count(), 3);
    SoftComponentModel *softComponents = projectModel()->softComponentModel();
    for (int comment = 1; comment <= 2; ++comment) {
        softComponents->setComment(QStringLiteral("D0"), QStringLiteral("Pressure %1").arg(comment));
        QCOMPARE(resets.count(), 3 + comment);
    }
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
    widget->loadRows(20);
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

void tst_WatchListWidget::menuEntries_data()
{
    QTest::addColumn<QVariant>("programStyle");
    QTest::addColumn<bool>("batchMonitor");

    QTest::newRow("unset") << QVariant() << false;
    QTest::newRow("1") << QVariant(1) << true;
    QTest::newRow("text 1") << QVariant(QStringLiteral("1")) << true;
    QTest::newRow("2") << QVariant(2) << false;
}

void tst_WatchListWidget::menuEntries()
{
    QFETCH(QVariant, programStyle);
    QFETCH(bool, batchMonitor);

    Cookies *cookies = host->workbench().cookies();
    if (programStyle.isValid())
        cookies->setValue(QStringLiteral("Program.Style"), programStyle);
    QVERIFY(open(names("D0"), 400));
    QStringList expected = names("Goto Definition,Browse CrossReference,Insert,Delete");
    if (batchMonitor)
        expected.append(QStringLiteral("Batch Monitor"));
    QCOMPARE(popUpMenu(), expected);

    // Read once, when the window was built.
    cookies->setValue(QStringLiteral("Program.Style"), batchMonitor ? 0 : 1);
    QCOMPARE(popUpMenu(), expected);
}

// Entries Motor_Speed, D0, Pump_Pressure; the first and last are symbols.
// Goto and browse act on the current row (-1: none), not on the selected one.
void tst_WatchListWidget::menuCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QStringList>("references");

    const QString gotoDefinition = QStringLiteral("Goto Definition");
    const QString browse = QStringLiteral("Browse CrossReference");
    QTest::newRow("definition") << gotoDefinition << 2 << 0 << "Pump_Pressure" << QStringList();
    QTest::newRow("definition, no current row") << gotoDefinition << -1 << 0 << "" << QStringList();
    QTest::newRow("definition of an address") << gotoDefinition << 1 << -1 << "" << QStringList();
    QTest::newRow("references")
        << browse << 0 << 1 << ""
        << names("Motor_Speed|MAIN: network 3,Motor_Speed|HMI: network 1");
    QTest::newRow("references, no current row") << browse << -1 << 0 << "" << QStringList();
}

void tst_WatchListWidget::menuCommands()
{
    QFETCH(QString, command);
    QFETCH(int, current);
    QFETCH(int, selected);
    QFETCH(QString, definition);

    const QStringList entries = names("Motor_Speed,D0,Pump_Pressure");
    QVERIFY(open(entries));
    const auto symbol = [](const char *name, const char *type, const char *address,
                           const char *references) {
        return Symbol{QString::fromLatin1(name), QString::fromLatin1(type),
                      QString::fromLatin1(address), QString(), names(references)};
    };
    projectModel()->setSymbols(
        {symbol("Motor_Speed", "INT", "D200", "MAIN: network 3,HMI: network 1"),
         symbol("Pump_Pressure", "REAL", "D210", "PUMP_CTRL: network 1")});
    widget->show();
    // Focus coming in makes the first row current; set the current row after.
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    QCoreApplication::processEvents();

    VarTreeWidget *tree = widget->tree();
    tree->setCurrentItem(
        current < 0 ? nullptr : tree->topLevelItem(current), 0, QItemSelectionModel::NoUpdate);
    select(selected < 0 ? QList<int>() : QList<int>{selected});
    QTreeWidget *symbols = host->workbench().undoStacks()->symbolsView();
    const auto shownDefinition = [symbols] {
        return symbols && symbols->currentItem() ? symbols->currentItem()->text(0) : QString();
    };
    const QString definitionBefore = shownDefinition();
    QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), current);

    QVERIFY(trigger(command));
    QCOMPARE(shownDefinition(), definition.isEmpty() ? definitionBefore : definition);
    QTreeWidget *crossReferences = host->workbench().crossReference()->view();
    QStringList shownReferences;
    for (int i = 0; i < crossReferences->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = crossReferences->topLevelItem(i);
        shownReferences.append(item->text(0) + QLatin1Char('|') + item->text(1));
    }
    QTEST(shownReferences, "references");
    QCOMPARE(list()->variables(), entries);
}

QTEST_MAIN(tst_WatchListWidget)
#include "tst_watchlistwidget.moc"
