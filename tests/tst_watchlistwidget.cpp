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
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QString project = QStringLiteral("Plant");

QStringList numbered(const QString &prefix, int count)
{
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(prefix + QString::number(i));
    return names;
}

// names() with "-" standing for an empty entry.
QStringList entries(const char *text)
{
    QStringList list = names(text);
    for (QString &entry : list) {
        if (entry == QLatin1String("-"))
            entry.clear();
    }
    return list;
}

} // namespace

class tst_WatchListWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsMirrorModel_data();
    void rowsMirrorModel();
    void pagingInSmallTree();
    void showVariable_data();
    void showVariable();
    void deleteKeyBeatsApplicationShortcut_data();
    void deleteKeyBeatsApplicationShortcut();
    void longListKeepsEntriesAndModes_data();
    void longListKeepsEntriesAndModes();
    void randomOperationsKeepRowsOnEntries_data();
    void randomOperationsKeepRowsOnEntries();
    void hostChangesResetTheTree_data();
    void hostChangesResetTheTree();
    void destroyedWhileScrolledAndEditing();
    void vanishedWatchListIsLeftAlone_data();
    void vanishedWatchListIsLeftAlone();
    void menuEntries_data();
    void menuEntries();
    void menuCommands_data();
    void menuCommands();

private:
    // Pops the context menu up, closes it and returns the entries it offered.
    QStringList popUpMenu();
    WatchListObject *list(const QString &name) const;
    ProjectModel *projectModel() const;
    QStringList rowTexts() const;
    void typeInto(int row, const QString &text);
    void select(const QList<int> &rows);

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListWidget> widget;
};

void tst_WatchListWidget::init()
{
    host = std::make_unique<HostFixture>();
}

void tst_WatchListWidget::cleanup()
{
    widget.reset();
    host.reset();
}

ProjectModel *tst_WatchListWidget::projectModel() const
{
    return static_cast<ProjectModel *>(
        ProjectModelManager::instance()->projectModel(project.toStdString(), false));
}

WatchListObject *tst_WatchListWidget::list(const QString &name) const
{
    return HostFixture::watchList(project, name);
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
    QTreeWidgetItem *item = tree->topLevelItem(row);
    tree->setCurrentItem(item);
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

// Operations: "edit r text", "type text" (into the empty last row),
// "insert r" (row r selected), "delete r,s", "current r". currentRow -1: not checked.
void tst_WatchListWidget::rowsMirrorModel_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("currentRow");

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
    row("delete a block holding the current row",
        "D0,D1,D2,D3,D4,D5,D6", "current 4,delete 1 3 4", "D0,D2,D5,D6", 1);
    row("delete the first row, current", "D0,D1,D2", "current 0,delete 0 1", "D2", 0);
    row("emptied text makes an empty entry", "D0,D1", "edit 0 ", "-,D1");
}

void tst_WatchListWidget::rowsMirrorModel()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, operations);
    QFETCH(QStringList, expected);
    QFETCH(int, currentRow);

    QVERIFY(host->openProject(project, {QStringLiteral("Main")}));
    list(QStringLiteral("Main"))->setVariables(entries);
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->resize(600, 400);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));

    for (const QString &operation : operations) {
        const QString verb = operation.section(QLatin1Char(' '), 0, 0);
        const QString argument = operation.section(QLatin1Char(' '), 1);
        if (verb == QLatin1String("type")) {
            typeInto(widget->tree()->topLevelItemCount() - 1, argument);
        } else if (verb == QLatin1String("edit")) {
            typeInto(argument.section(QLatin1Char(' '), 0, 0).toInt(),
                     argument.section(QLatin1Char(' '), 1));
        } else if (verb == QLatin1String("insert")) {
            select({argument.toInt()});
            widget->insertRowAtSelection();
        } else if (verb == QLatin1String("delete")) {
            QList<int> rows;
            for (const QString &row : argument.split(QLatin1Char(' ')))
                rows.append(row.toInt());
            select(rows);
            widget->deleteSelectedRows();
        } else if (verb == QLatin1String("current")) {
            widget->tree()->selectionModel()->setCurrentIndex(
                widget->tree()->model()->index(argument.toInt(), 0), QItemSelectionModel::NoUpdate);
        }
    }

    QCOMPARE(list(QStringLiteral("Main"))->variables(), expected);
    // The tree holds every entry and one empty row to type into.
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
    if (currentRow >= 0)
        QCOMPARE(widget->tree()->currentIndex().row(), currentRow);
}

void tst_WatchListWidget::pagingInSmallTree()
{
    QVERIFY(host->openProject(project, {QStringLiteral("Long")}));
    list(QStringLiteral("Long"))->setVariables(numbered(QStringLiteral("D"), 1000));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Long"), project, nullptr);
    widget->show();
    widget->resize(600, 150);
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    QCOMPARE(widget->tree()->height(), 150);

    // Each fill loads four tree heights of 15-pixel rows.
    int loaded = widget->lastLoadedRow() + 1;
    widget->fillVisibleRows();
    QCOMPARE(widget->lastLoadedRow() + 1, loaded + 40);
    loaded += 40;
    QCOMPARE(widget->tree()->topLevelItemCount(), loaded + 1);

    // Reaching the bottom of the scroll bar pages in 20 more, up to the end.
    QScrollBar *bar = widget->tree()->verticalScrollBar();
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
    QCOMPARE(widget->tree()->topLevelItemCount(), 1001);
    widget->onScrollValueChanged(bar->maximum());
    QCOMPARE(widget->tree()->topLevelItemCount(), 1001);
    QCOMPARE(rowTexts().mid(998), names("D998,D999") + QStringList{QString()});
}

void tst_WatchListWidget::showVariable_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("shown");

    QTest::newRow("beyond the loaded rows") << 517 << true;
    QTest::newRow("last") << 999 << true;
    QTest::newRow("past the end") << 1000 << false;
}

void tst_WatchListWidget::showVariable()
{
    QFETCH(int, row);
    QFETCH(bool, shown);

    QVERIFY(host->openProject(project, {QStringLiteral("Long")}));
    list(QStringLiteral("Long"))->setVariables(numbered(QStringLiteral("M"), 1000));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Long"), project, nullptr);
    const int loadedBefore = widget->lastLoadedRow();
    QVERIFY(loadedBefore < 517);

    widget->showVariable(row);
    VarTreeWidget *tree = widget->tree();
    if (shown) {
        QVERIFY(widget->lastLoadedRow() >= row);
        // Paged in 20 at a time, not all at once.
        QVERIFY(widget->lastLoadedRow() < qMax(row, loadedBefore) + 20);
        QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), row);
        QCOMPARE(tree->getItemData(tree->currentItem(), 0), QStringLiteral("M%1").arg(row));
    } else {
        QCOMPARE(widget->lastLoadedRow(), loadedBefore);
    }
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

    QVERIFY(
        host->openProject(project, {QStringLiteral("Main:D0,D1,D2"), QStringLiteral("Spare:X0")}));
    QMainWindow *window = host->workbench().mainWindow();
    auto hostDelete = new QAction(QStringLiteral("Delete Node"), window);
    hostDelete->setShortcuts(
        {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::SHIFT + Qt::Key_Delete)});
    hostDelete->setShortcutContext(Qt::ApplicationShortcut);
    window->addAction(hostDelete);
    QSignalSpy fired(hostDelete, &QAction::triggered);
    window->show();

    QVERIFY(QTest::qWaitForWindowExposed(window));

    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->show();
    widget->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    select({1});
    widget->tree()->setFocus();
    QTRY_VERIFY(widget->tree()->hasFocus());

    QTest::keyClick(widget->tree(), Qt::Key_Delete, modifiers);
    QCOMPARE(fired.count(), 0);
    QCOMPARE(list(QStringLiteral("Main"))->variables(), names("D0,D2"));
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
    for (const char *operation : {"delete first", "insert first", "delete all", "type last", "insert last"})
        QTest::newRow(operation) << QString::fromLatin1(operation);
}

void tst_WatchListWidget::longListKeepsEntriesAndModes()
{
    QFETCH(QString, operation);

    QVERIFY(host->openProject(project, {QStringLiteral("Main")}));
    list(QStringLiteral("Main"))->setVariables(numbered(QStringLiteral("D"), 200));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->resize(600, 300);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    widget->appendVariableRow(QStringLiteral("W10"), 16);
    widget->appendVariableRow(QStringLiteral("W11"), 2);
    const int loaded = widget->lastLoadedRow() + 1;
    QVERIFY(loaded < 200);
    const int row = operation.endsWith(QLatin1String("last")) ? loaded : 0;

    QStringList expected = list(QStringLiteral("Main"))->variables();
    if (operation == QLatin1String("delete all")) {
        widget->tree()->selectAll();
        widget->deleteSelectedRows();
        expected = expected.mid(loaded);
    } else if (operation.startsWith(QLatin1String("delete"))) {
        select({row});
        widget->deleteSelectedRows();
        expected.removeAt(row);
    } else if (operation.startsWith(QLatin1String("type"))) {
        // Reaching the row by scrolling would page the entry in; a tall
        // window or the keyboard reaches it without.
        emit widget->tree()->variableChanged(row, QStringLiteral("M7"));
        expected.insert(row, QStringLiteral("M7"));
    } else {
        select({row});
        widget->insertRowAtSelection();
        expected.insert(row, QString());
    }
    QCOMPARE(list(QStringLiteral("Main"))->variables(), expected);
    widget->showVariable(expected.size() - 1);
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
    VarTreeWidget *tree = widget->tree();
    const int w10 = expected.indexOf(QStringLiteral("W10"));
    QCOMPARE(tree->integerShowMode(w10), 16);
    QCOMPARE(tree->integerShowMode(w10 + 1), 2);
    // Neighbours keep the tree's default.
    QCOMPARE(tree->integerShowMode(w10 - 1), 10);
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

    QVERIFY(host->openProject(project, {QStringLiteral("Main")}));
    WatchListObject *entries = list(QStringLiteral("Main"));
    for (int round = 0; round < 20; ++round) {
        entries->setVariables(numbered(QStringLiteral("D"), below(150)));
        widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
        widget->resize(400, height);
        widget->show();
        VarTreeWidget *tree = widget->tree();
        for (int step = 0; step < 60; ++step) {
            const int rows = tree->topLevelItemCount();
            QString what;
            switch (below(8)) {
            case 0:
                widget->resize(400, 20 + below(2 * height));
                what = QStringLiteral("resize");
                break;
            case 1:
                widget->onScrollValueChanged(tree->verticalScrollBar()->maximum());
                what = QStringLiteral("scroll");
                break;
            case 2:
                what = QStringLiteral("show");
                widget->showVariable(below(entries->getCount() + 2));
                break;
            case 3:
                what = QStringLiteral("insert");
                select({below(rows)});
                widget->insertRowAtSelection();
                break;
            case 4:
                what = QStringLiteral("delete");
                select({below(rows), below(rows)});
                widget->deleteSelectedRows();
                break;
            case 5:
                what = QStringLiteral("type");
                typeInto(below(rows), QStringLiteral("X%1").arg(step));
                break;
            case 6:
                // A service append: the entry is added, then its row shown.
                what = QStringLiteral("add");
                entries->appendVariable(QStringLiteral("M%1").arg(step));
                widget->showVariable(entries->getCount() - 1);
                break;
            case 7:
                what = QStringLiteral("batch");
                widget->appendVariableRow(QStringLiteral("Y%1").arg(step), 16);
                widget->fillVisibleRows();
                break;
            }
            const int loaded = widget->lastLoadedRow() + 1;
            const QStringList all = entries->variables();
            QVERIFY2(loaded <= all.size() && rowTexts() == all.mid(0, loaded) + QStringList{QString()},
                     qPrintable(QStringLiteral("seed %1 round %2 step %3 (%4): %5 rows, %6 entries")
                                    .arg(seed).arg(round).arg(step).arg(what)
                                    .arg(tree->topLevelItemCount()).arg(all.size())));
        }
    }
}

void tst_WatchListWidget::hostChangesResetTheTree_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("resets");

    QTest::newRow("online, then offline") << QStringLiteral("online offline") << 2;
    QTest::newRow("symbols synchronised while offline") << QStringLiteral("sync") << 1;
    QTest::newRow("two comments") << QStringLiteral("comment comment") << 2;
}

void tst_WatchListWidget::hostChangesResetTheTree()
{
    QFETCH(QString, change);
    QFETCH(int, resets);

    QVERIFY(host->openProject(project, {QStringLiteral("Main:D0,Y0")}));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    QSignalSpy spy(widget->tree(), &VarTreeWidget::treeReset);

    int comments = 0;
    for (const QString &step : change.split(QLatin1Char(' '))) {
        if (step == QLatin1String("online"))
            host->workbench().transfer()->setOnline(true);
        else if (step == QLatin1String("offline"))
            host->workbench().transfer()->setOnline(false);
        else if (step == QLatin1String("sync"))
            SymbolSynchrinizer::instance()->synchronize(SymbolSynchrinizer::SyncAll,
                                                        project.toStdString());
        else if (step == QLatin1String("comment"))
            projectModel()->softComponentModel()->setComment(
                QStringLiteral("D0"), QStringLiteral("Pressure %1").arg(++comments));
    }
    QCOMPARE(spy.count(), resets);
    host->workbench().transfer()->setOnline(false);
}

void tst_WatchListWidget::destroyedWhileScrolledAndEditing()
{
    QVERIFY(host->openProject(project, {QStringLiteral("Long")}));
    list(QStringLiteral("Long"))->setVariables(numbered(QStringLiteral("D"), 1000));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Long"), project, nullptr);
    widget->resize(600, 300);
    widget->show();
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
    QCOMPARE(list(QStringLiteral("Long"))->getCount(), 1000);
    QCOMPARE(list(QStringLiteral("Long"))->getVariableName(300), QStringLiteral("D300"));
}

void tst_WatchListWidget::vanishedWatchListIsLeftAlone_data()
{
    QTest::addColumn<QString>("how");

    QTest::newRow("removed") << QStringLiteral("remove");
    QTest::newRow("renamed away") << QStringLiteral("rename");
    QTest::newRow("project closed") << QStringLiteral("close");
}

void tst_WatchListWidget::vanishedWatchListIsLeftAlone()
{
    QFETCH(QString, how);

    QVERIFY(host->openProject(project, {QStringLiteral("Main:D0,D1,D2")}));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    const QStringList before = rowTexts();

    if (how == QLatin1String("close")) {
        host->workbench().closeProject(project);
    } else {
        WatchListModel *watchLists = HostFixture::watchLists(project);
        if (how == QLatin1String("remove"))
            QVERIFY(watchLists->removeWatchList(QStringLiteral("Main")));
        else
            QVERIFY(watchLists->renameWatchList(QStringLiteral("Main"), QStringLiteral("Else")));
    }

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
    if (how == QLatin1String("rename"))
        QCOMPARE(list(QStringLiteral("Else"))->variables(), names("D0,D1,D2"));
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

    QVERIFY(host->openProject(project, {QStringLiteral("Main:D0")}));
    Cookies *cookies = host->workbench().cookies();
    if (programStyle.isValid())
        cookies->setValue(QStringLiteral("Program.Style"), programStyle);
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));

    QStringList expected = names("Goto Definition,Browse CrossReference,Insert,Delete");
    if (batchMonitor)
        expected.append(QStringLiteral("Batch Monitor"));
    QCOMPARE(popUpMenu(), expected);

    // Read once, when the window was built.
    cookies->setValue(QStringLiteral("Program.Style"), batchMonitor ? 0 : 1);
    QCOMPARE(popUpMenu(), expected);
}

// Entries Motor_Speed, D0, Pump_Pressure; the first and last are symbols.
void tst_WatchListWidget::menuCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("selected");
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QStringList>("references");
    QTest::addColumn<QStringList>("entries");

    const auto row = [](const char *tag,
                        const char *command,
                        int current,
                        const char *selected,
                        const char *definition,
                        const char *references,
                        const char *after) {
        QTest::newRow(tag) << QString::fromLatin1(command) << current << names(selected)
                           << QString::fromLatin1(definition) << names(references)
                           << entries(after);
    };
    // Goto and browse act on the current row, not on the selected ones.
    const char *unchanged = "Motor_Speed,D0,Pump_Pressure";
    const char *gotoDef = "Goto Definition";
    const char *browse = "Browse CrossReference";
    row("definition", gotoDef, 2, "0", "Pump_Pressure", "", unchanged);
    row("definition, no current row", gotoDef, -1, "0", "", "", unchanged);
    row("definition of an address", gotoDef, 1, "", "", "", unchanged);
    row("references",
        browse,
        0,
        "1",
        "",
        "Motor_Speed|MAIN: network 3,Motor_Speed|HMI: network 1",
        unchanged);
    row("references, no current row", browse, -1, "0", "", "", unchanged);
    row("insert", "Insert", -1, "1", "", "", "Motor_Speed,-,D0,Pump_Pressure");
    row("insert without a selection", "Insert", 1, "", "", "", unchanged);
    row("delete", "Delete", 1, "0,2", "", "", "D0");
}

void tst_WatchListWidget::menuCommands()
{
    QFETCH(QString, command);
    QFETCH(int, current);
    QFETCH(QStringList, selected);
    QFETCH(QString, definition);
    QFETCH(QStringList, references);
    QFETCH(QStringList, entries);

    QVERIFY(host->openProject(project, {QStringLiteral("Main:Motor_Speed,D0,Pump_Pressure")}));
    projectModel()->setSymbols(
        {{QStringLiteral("Motor_Speed"),
          QStringLiteral("INT"),
          QStringLiteral("D200"),
          QStringLiteral("rpm"),
          {QStringLiteral("MAIN: network 3"), QStringLiteral("HMI: network 1")}},
         {QStringLiteral("Pump_Pressure"),
          QStringLiteral("REAL"),
          QStringLiteral("D210"),
          QStringLiteral("bar"),
          {QStringLiteral("PUMP_CTRL: network 1")}}});
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->show();
    // Focus coming in makes the first row current; set the current row after.
    QVERIFY(QTest::qWaitForWindowActive(widget.get()));
    QCoreApplication::processEvents();

    VarTreeWidget *tree = widget->tree();
    tree->setCurrentItem(
        current < 0 ? nullptr : tree->topLevelItem(current), 0, QItemSelectionModel::NoUpdate);
    QList<int> rows;
    for (const QString &row : selected)
        rows.append(row.toInt());
    select(rows);
    QTreeWidget *symbols = host->workbench().undoStacks()->symbolsView();
    const auto shownDefinition = [symbols] {
        return symbols && symbols->currentItem() ? symbols->currentItem()->text(0) : QString();
    };
    const QString definitionBefore = shownDefinition();
    QCOMPARE(tree->indexOfTopLevelItem(tree->currentItem()), current);

    // Triggered in place: a menu closing hands focus back to the tree, which
    // then makes its first row current.
    QAction *action = nullptr;
    for (QAction *entry : widget->findChild<QMenu *>()->actions()) {
        if (entry->text() == command)
            action = entry;
    }
    QVERIFY(action);
    action->trigger();

    QCOMPARE(shownDefinition(), definition.isEmpty() ? definitionBefore : definition);
    QTreeWidget *crossReferences = host->workbench().crossReference()->view();
    QStringList shownReferences;
    for (int i = 0; i < crossReferences->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = crossReferences->topLevelItem(i);
        shownReferences.append(item->text(0) + QLatin1Char('|') + item->text(1));
    }
    QCOMPARE(shownReferences, references);
    QCOMPARE(list(QStringLiteral("Main"))->variables(), entries);
}

QTEST_MAIN(tst_WatchListWidget)
#include "tst_watchlistwidget.moc"
