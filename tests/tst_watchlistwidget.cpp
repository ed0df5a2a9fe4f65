#include "tst_watchlistwidget.h"

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

// Ctrl+C copies the selected rows as a spreadsheet's cells, a comment's tab
// or line break kept inside its cell; the empty last row copies nothing.
// Ctrl+X copies them too, and deletes them in one undo step.
void tst_WatchListWidget::copyAndCutAsCells()
{
    QVERIFY(open(names("D0,Motor,M5,D2"), 300));
    projectModel()->softComponentModel()->setComment(QStringLiteral("D0"),
                                                     QStringLiteral("Pressure\tin\nbar"));
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    select({0, 2, 4});
    QTest::keyClick(widget->tree(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(),
             QStringLiteral("D0\t\tINT\tD0\tPressure in bar\nM5\t\tBOOL\tM5\t\n"));
    QCOMPARE(list()->variables(), names("D0,Motor,M5,D2"));

    select({4});
    QTest::keyClick(widget->tree(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(),
             QStringLiteral("D0\t\tINT\tD0\tPressure in bar\nM5\t\tBOOL\tM5\t\n"));

    const int steps = undoStack()->count();
    select({1, 3});
    QTest::keyClick(widget->tree(), Qt::Key_X, Qt::ControlModifier);
    QVERIFY(clipboard->text().startsWith(QStringLiteral("Motor\t")));
    QVERIFY(clipboard->text().endsWith(QStringLiteral("\nD2\t\tINT\tD2\t\n")));
    QCOMPARE(list()->variables(), names("D0,M5"));
    QCOMPARE(undoStack()->count(), steps + 1);
    undoStack()->undo();
    QCOMPARE(list()->variables(), names("D0,Motor,M5,D2"));
}

// Ctrl+V inserts the first column's non-blank lines at the current row, in
// one undo step, and leaves them selected.
void tst_WatchListWidget::pasteNames_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("a spreadsheet's cells, CRLF")
        << names("D0,D1") << 1 << "M0\t1\tBOOL\r\nX1\t0\r\n"
        << names("D0,M0,X1,D1");
    QTest::newRow("blank lines and spaces, on the empty last row")
        << names("D0") << 1 << "\n  Y2  \n\n\rD7" << names("D0,Y2,D7");
    QTest::newRow("into an empty list") << QStringList() << 0 << "D5" << names("D5");
    QTest::newRow("nothing but blanks") << names("D0") << 0 << " \t x\n\n" << names("D0");
}

void tst_WatchListWidget::pasteNames()
{
    QFETCH(QStringList, before);
    QFETCH(int, current);
    QFETCH(QString, clipboard);
    QFETCH(QStringList, after);
    QVERIFY(open(before, 300));
    VarTreeWidget *tree = widget->tree();
    tree->setCurrentItem(tree->topLevelItem(current));
    QGuiApplication::clipboard()->setText(clipboard);
    const int steps = undoStack()->count();

    QTest::keyClick(tree, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(list()->variables(), after);
    checkRowsMirrorList();
    const int pasted = after.size() - before.size();
    QCOMPARE(undoStack()->count(), steps + (pasted > 0 ? 1 : 0));
    if (pasted == 0)
        return;
    QVector<int> selected = widget->selectedRows();
    std::sort(selected.begin(), selected.end());
    QVector<int> expected(pasted);
    std::iota(expected.begin(), expected.end(), std::min(current, before.size()));
    QCOMPARE(selected, expected);
    undoStack()->undo();
    QCOMPARE(list()->variables(), before);
    checkRowsMirrorList();
}

// Alt+Up and Alt+Down move the selected rows, each with its show mode, in
// one undo step; rows that cannot move leave everything as it was.
void tst_WatchListWidget::moveRows_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QList<int>>("selectedAfter");

    QTest::newRow("one row up") << QList<int>{2} << int(Qt::Key_Up) << names("D0,D2,D1,D3,D4")
                                << QList<int>{1};
    QTest::newRow("a block down") << QList<int>{1, 2} << int(Qt::Key_Down)
                                  << names("D0,D3,D1,D2,D4") << QList<int>{2, 3};
    QTest::newRow("rows apart up")
        << QList<int>{1, 3} << int(Qt::Key_Up) << names("D1,D0,D3,D2,D4") << QList<int>{0, 2};
    QTest::newRow("the first row up")
        << QList<int>{0, 2} << int(Qt::Key_Up) << names("D0,D1,D2,D3,D4") << QList<int>{0, 2};
    QTest::newRow("the last entry down, the empty row aside")
        << QList<int>{4, 5} << int(Qt::Key_Down) << names("D0,D1,D2,D3,D4") << QList<int>{4, 5};
}

void tst_WatchListWidget::moveRows()
{
    QFETCH(QList<int>, selected);
    QFETCH(int, key);
    QFETCH(QStringList, after);
    QFETCH(QList<int>, selectedAfter);
    const QStringList before = names("D0,D1,D2,D3,D4");
    QVERIFY(open(before, 300));
    // D1 in hexadecimal, D2 in binary: the modes go where their rows go.
    ShowModes modes;
    modes.set(1, 1, 16);
    modes.set(2, 1, 2);
    QString propertys;
    QVERIFY(modes.writeInto(&propertys));
    list()->setPropertys(propertys);
    widget->reloadFrom(0);
    select(selected);
    const int steps = undoStack()->count();

    QTest::keyClick(widget->tree(), Qt::Key(key), Qt::AltModifier);
    QCOMPARE(list()->variables(), after);
    const ShowModes moved = ShowModes::fromPropertys(list()->getPropertys());
    QCOMPARE(moved.modeAt(int(after.indexOf(QStringLiteral("D1")))), 16);
    QCOMPARE(moved.modeAt(int(after.indexOf(QStringLiteral("D2")))), 2);
    checkRowsMirrorList();
    QVector<int> rows = widget->selectedRows();
    std::sort(rows.begin(), rows.end());
    QCOMPARE(QList<int>(rows.cbegin(), rows.cend()), selectedAfter);
    QCOMPARE(undoStack()->count(), steps + (after != before ? 1 : 0));
    if (after == before)
        return;
    undoStack()->undo();
    QCOMPARE(list()->variables(), before);
    QCOMPARE(list()->getPropertys(), propertys);
    checkRowsMirrorList();
}

// Find searches the list, not the loaded rows, from the row after the
// current one and round past the end; F3 finds the next with the same text.
void tst_WatchListWidget::findLoadsAndMakesCurrent_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    QTest::newRow("far below the loaded rows, any case") << 0 << "RUN" << 3000;
    QTest::newRow("round past the end") << 3000 << "motor" << 10;
    QTest::newRow("from the empty last row, the first entry first") << 5000 << "d" << 0;
    QTest::newRow("the current row is the only one") << 3000 << "_run" << 3000;
    QTest::newRow("none") << 5 << "Pump" << -1;
}

void tst_WatchListWidget::findLoadsAndMakesCurrent()
{
    QFETCH(int, current);
    QFETCH(QString, text);
    QFETCH(int, found);
    QStringList entries = numbered(QStringLiteral("D"), 5000);
    entries[10] = QStringLiteral("motor_speed");
    entries[3000] = QStringLiteral("Motor_Run");
    QVERIFY(open(entries, 300));
    widget->showVariable(std::min(current, entries.size() - 1));
    if (current == entries.size())
        widget->tree()->setCurrentItem(widget->tree()->topLevelItem(current));
    QCOMPARE(widget->tree()->indexOfTopLevelItem(widget->tree()->currentItem()), current);

    QCOMPARE(widget->findNext(text), found);
    const int expected = found >= 0 ? found : current;
    QCOMPARE(widget->tree()->indexOfTopLevelItem(widget->tree()->currentItem()), expected);
    QVERIFY(widget->lastLoadedRow() >= expected - 1);
    checkRowsMirrorList();
    auto status = widget->findChild<QWidget *>(QStringLiteral("findBar"))->findChild<QLabel *>();
    QCOMPARE(status->text().isEmpty(), found >= 0);
}

// Ctrl+F opens the find bar, Enter and F3 (in the bar or on the rows) find
// the next row, Escape closes the bar.
void tst_WatchListWidget::findKeys()
{
    QVERIFY(open(names("D0,motor_speed,D2,Motor_Run,D4"), 300));
    VarTreeWidget *tree = widget->tree();
    const auto currentRow = [tree] {
        return tree->indexOfTopLevelItem(tree->currentItem());
    };
    auto bar = widget->findChild<QWidget *>(QStringLiteral("findBar"));
    QVERIFY(bar && !bar->isVisible());
    QTest::keyClick(tree, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    auto edit = bar->findChild<QLineEdit *>();
    QTest::keyClicks(edit, QStringLiteral("MOTOR"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(currentRow(), 1);
    QTest::keyClick(edit, Qt::Key_F3);
    QCOMPARE(currentRow(), 3);
    QTest::keyClick(tree, Qt::Key_F3);
    QCOMPARE(currentRow(), 1);
    QTest::keyClick(edit, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(list()->variables(), names("D0,motor_speed,D2,Motor_Run,D4"));
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
