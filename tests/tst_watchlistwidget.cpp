#include "hostfixture.h"

#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "simulatedtransfer.h"
#include "softcomponentmodel.h"
#include "symbolsynchrinizer.h"
#include "safeprojectmodel.h"
#include "abstractprojectmodel.h"
#include "vartreewidget.h"
#include "watchlistmodel.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
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

} // namespace

class tst_WatchListWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void construction();
    void rowsMirrorModel_data();
    void rowsMirrorModel();
    void pagingInSmallTree();
    void showVariable_data();
    void showVariable();
    void deleteKeyBeatsApplicationShortcut_data();
    void deleteKeyBeatsApplicationShortcut();
    void pendingShowModeFollowsItsEntry_data();
    void pendingShowModeFollowsItsEntry();
    void unseenEntriesSurvive_data();
    void unseenEntriesSurvive();
    void hostChangesResetTheTree_data();
    void hostChangesResetTheTree();
    void destroyedWhileScrolledAndEditing();
    void vanishedWatchListIsLeftAlone_data();
    void vanishedWatchListIsLeftAlone();

private:
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
    SafeProjectModel model(
        ProjectModelManager::instance()->projectModel(project.toStdString(), false));
    if (!model)
        return nullptr;
    auto watchLists = qobject_cast<WatchListModel *>(model->subModel("WatchListModel"));
    return watchLists ? watchLists->getObject(name) : nullptr;
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

void tst_WatchListWidget::construction()
{
    QVERIFY(host->openProject(project, {QStringLiteral("Main:D0,D1")}));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);

    QCOMPARE(widget->objectName(), QStringLiteral("WatchList_Main"));
    VarTreeWidget *tree = widget->tree();
    QVERIFY(tree->columnCount() >= 10);
    for (int column : {0, 3, 4})
        QCOMPARE(tree->columnWidth(column), 200);
    for (int column = 0; column < 10; ++column)
        QCOMPARE(tree->isColumnHidden(column), column >= 7);
    QCOMPARE(rowTexts(), (QStringList{QStringLiteral("D0"), QStringLiteral("D1"), QString()}));

    // A rename keeps the object name but reads the renamed list.
    SafeProjectModel model(
        ProjectModelManager::instance()->projectModel(project.toStdString(), false));
    auto watchLists = qobject_cast<WatchListModel *>(model->subModel("WatchListModel"));
    QVERIFY(watchLists->renameWatchList(QStringLiteral("Main"), QStringLiteral("Other")));
    widget->setWatchListName(QStringLiteral("Other"));
    QCOMPARE(widget->objectName(), QStringLiteral("WatchList_Main"));
    emit widget->tree()->variableChanged(2, QStringLiteral("D2"));
    QCOMPARE(list(QStringLiteral("Other"))->variables(),
             (QStringList{QStringLiteral("D0"), QStringLiteral("D1"), QStringLiteral("D2")}));
}

// Operations: "edit r text", "type text" (into the empty last row),
// "insert r" (row r selected), "delete r,s".
void tst_WatchListWidget::rowsMirrorModel_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("operations");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty list shows one empty row") << QStringList() << QStringList()
                                                    << QStringList();
    QTest::newRow("type into the empty row")
        << QStringList() << QStringList{QStringLiteral("type D0")}
        << QStringList{QStringLiteral("D0")};
    QTest::newRow("type twice") << QStringList{QStringLiteral("M0")}
                                << QStringList{QStringLiteral("type D0"), QStringLiteral("type X10")}
                                << QStringList{QStringLiteral("M0"),
                                               QStringLiteral("D0"),
                                               QStringLiteral("X10")};
    QTest::newRow("edit a row") << QStringList{QStringLiteral("D0"), QStringLiteral("D1")}
                                << QStringList{QStringLiteral("edit 1 Motor_Speed")}
                                << QStringList{QStringLiteral("D0"), QStringLiteral("Motor_Speed")};
    QTest::newRow("insert in the middle")
        << QStringList{QStringLiteral("D0"), QStringLiteral("D1"), QStringLiteral("D2")}
        << QStringList{QStringLiteral("insert 1")}
        << QStringList{QStringLiteral("D0"), QString(), QStringLiteral("D1"), QStringLiteral("D2")};
    QTest::newRow("insert at the top")
        << QStringList{QStringLiteral("D0"), QStringLiteral("D1")}
        << QStringList{QStringLiteral("insert 0")}
        << QStringList{QString(), QStringLiteral("D0"), QStringLiteral("D1")};
    QTest::newRow("insert on the empty row appends an empty entry")
        << QStringList{QStringLiteral("D0")} << QStringList{QStringLiteral("insert 1")}
        << QStringList{QStringLiteral("D0"), QString()};
    QTest::newRow("delete two rows")
        << QStringList{QStringLiteral("D0"),
                       QStringLiteral("D1"),
                       QStringLiteral("D2"),
                       QStringLiteral("D3")}
        << QStringList{QStringLiteral("delete 1,3")}
        << QStringList{QStringLiteral("D0"), QStringLiteral("D2")};
    QTest::newRow("delete the empty row deletes nothing")
        << QStringList{QStringLiteral("D0")} << QStringList{QStringLiteral("delete 1")}
        << QStringList{QStringLiteral("D0")};
    QTest::newRow("insert then type into the inserted row")
        << QStringList{QStringLiteral("D0"), QStringLiteral("D1")}
        << QStringList{QStringLiteral("insert 1"), QStringLiteral("edit 1 Y7")}
        << QStringList{QStringLiteral("D0"), QStringLiteral("Y7"), QStringLiteral("D1")};
    QTest::newRow("emptied text makes an empty entry")
        << QStringList{QStringLiteral("D0"), QStringLiteral("D1")}
        << QStringList{QStringLiteral("edit 0 ")} << QStringList{QString(), QStringLiteral("D1")};
}

void tst_WatchListWidget::rowsMirrorModel()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, operations);
    QFETCH(QStringList, expected);

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
            for (const QString &row : argument.split(QLatin1Char(',')))
                rows.append(row.toInt());
            select(rows);
            widget->deleteSelectedRows();
        }
    }

    QCOMPARE(list(QStringLiteral("Main"))->variables(), expected);
    // The tree holds every entry and one empty row to type into.
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
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
    QCOMPARE(rowTexts().mid(995), (QStringList{QStringLiteral("D995"),
                                               QStringLiteral("D996"),
                                               QStringLiteral("D997"),
                                               QStringLiteral("D998"),
                                               QStringLiteral("D999"),
                                               QString()}));
}

void tst_WatchListWidget::showVariable_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("shown");

    QTest::newRow("first") << 0 << true;
    QTest::newRow("beyond the loaded rows") << 517 << true;
    QTest::newRow("last") << 999 << true;
    QTest::newRow("past the end") << 1000 << false;
    QTest::newRow("far past the end") << 5000 << false;
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

    QVERIFY(host->openProject(project,
                              {QStringLiteral("Main:D0,D1,D2"), QStringLiteral("Spare:X0")}));
    QMainWindow *window = host->workbench().mainWindow();
    auto hostDelete = new QAction(QStringLiteral("Delete Node"), window);
    hostDelete->setShortcuts({QKeySequence(Qt::Key_Delete),
                              QKeySequence(Qt::SHIFT + Qt::Key_Delete)});
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
    QCOMPARE(list(QStringLiteral("Main"))->variables(),
             (QStringList{QStringLiteral("D0"), QStringLiteral("D2")}));
    QCOMPARE(rowTexts(), (QStringList{QStringLiteral("D0"), QStringLiteral("D2"), QString()}));

    // Elsewhere the host's shortcut still works.
    widget.reset();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Delete, modifiers);
    QCOMPARE(fired.count(), 1);
}

// A batch of entries appended beyond the loaded rows keeps its show mode on
// the same entries when rows above are inserted or deleted before it loads.
void tst_WatchListWidget::pendingShowModeFollowsItsEntry_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");

    QTest::newRow("delete above") << QStringLiteral("delete") << 0;
    QTest::newRow("insert above") << QStringLiteral("insert") << 0;
    QTest::newRow("delete two above") << QStringLiteral("delete2") << 0;
}

void tst_WatchListWidget::pendingShowModeFollowsItsEntry()
{
    QFETCH(QString, operation);
    QFETCH(int, row);

    QVERIFY(host->openProject(project, {QStringLiteral("Main")}));
    list(QStringLiteral("Main"))->setVariables(numbered(QStringLiteral("D"), 200));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    QVERIFY(widget->lastLoadedRow() < 199);
    widget->appendVariableRow(QStringLiteral("W10"), 16);
    widget->appendVariableRow(QStringLiteral("W11"), 2);

    if (operation == QLatin1String("delete")) {
        select({row});
        widget->deleteSelectedRows();
    } else if (operation == QLatin1String("delete2")) {
        select({row, row + 1});
        widget->deleteSelectedRows();
    } else {
        select({row});
        widget->insertRowAtSelection();
    }

    const QStringList entries = list(QStringLiteral("Main"))->variables();
    const int w10 = entries.indexOf(QStringLiteral("W10"));
    const int w11 = entries.indexOf(QStringLiteral("W11"));
    widget->showVariable(w11);
    VarTreeWidget *tree = widget->tree();
    QCOMPARE(tree->getItemData(tree->topLevelItem(w10), 0), QStringLiteral("W10"));
    QCOMPARE(tree->integerShowMode(w10), 16);
    QCOMPARE(tree->integerShowMode(w11), 2);
    // Neighbours keep the tree's default.
    QCOMPARE(tree->integerShowMode(w10 - 1), 10);
}

// In a list not loaded to its end, the empty last row stands for the next
// entry, which the user has not seen.
void tst_WatchListWidget::unseenEntriesSurvive_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("select all, Delete") << QStringLiteral("delete");
    QTest::newRow("type into the last row") << QStringLiteral("type");
    QTest::newRow("insert at the last row") << QStringLiteral("insert");
}

void tst_WatchListWidget::unseenEntriesSurvive()
{
    QFETCH(QString, operation);

    QVERIFY(host->openProject(project, {QStringLiteral("Main")}));
    const QStringList entries = numbered(QStringLiteral("D"), 200);
    list(QStringLiteral("Main"))->setVariables(entries);
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->resize(600, 300);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    const int loaded = widget->lastLoadedRow() + 1;
    QVERIFY(loaded < 200);
    const int placeholder = widget->tree()->topLevelItemCount() - 1;

    QStringList expected = entries;
    if (operation == QLatin1String("delete")) {
        widget->tree()->selectAll();
        widget->deleteSelectedRows();
        expected = entries.mid(loaded);
    } else if (operation == QLatin1String("type")) {
        // Reaching the row by scrolling would page the entry in; a tall
        // window or the keyboard reaches it without.
        emit widget->tree()->variableChanged(placeholder, QStringLiteral("M7"));
        expected.insert(placeholder, QStringLiteral("M7"));
    } else {
        select({placeholder});
        widget->insertRowAtSelection();
        expected.insert(placeholder, QString());
    }
    QCOMPARE(list(QStringLiteral("Main"))->variables(), expected);
    widget->showVariable(expected.size() - 1);
    QCOMPARE(rowTexts(), expected + QStringList{QString()});
}

void tst_WatchListWidget::hostChangesResetTheTree_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("resets");

    QTest::newRow("online") << QStringLiteral("online") << 1;
    QTest::newRow("online, then offline") << QStringLiteral("online offline") << 2;
    QTest::newRow("symbols synchronised while offline") << QStringLiteral("sync") << 1;
    QTest::newRow("soft-component comment") << QStringLiteral("comment") << 1;
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
        SafeProjectModel model(
            ProjectModelManager::instance()->projectModel(project.toStdString(), false));
        auto watchLists = qobject_cast<WatchListModel *>(model->subModel("WatchListModel"));
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
        QCOMPARE(list(QStringLiteral("Else"))->variables(),
                 (QStringList{QStringLiteral("D0"), QStringLiteral("D1"), QStringLiteral("D2")}));
}

QTEST_MAIN(tst_WatchListWidget)
#include "tst_watchlistwidget.moc"
