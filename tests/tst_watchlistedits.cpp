#include "tst_watchlistwidget.h"

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
