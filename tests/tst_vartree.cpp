#include "tst_vartree.h"

void tst_VarTree::initTestCase()
{
    m_application = std::make_unique<Application>(nullptr);
    m_cookies = new Cookies(m_application.get());
    m_transfer = new ControllerTransfer(m_application.get());
    // Values change only when a test writes them.
    m_transfer->simulation()->setInterval(24 * 3600 * 1000);
    m_application->objectRegistry()->insert(m_cookies);
    m_application->objectRegistry()->insert(m_transfer);
    m_application->publish();

    auto project = new ProjectModel("p");
    project->setSymbols({Symbol{
        QStringLiteral("Counter"), QStringLiteral("DINT"), QStringLiteral("D200"), {}, {}}});
    project->softComponentModel()->setComment(QStringLiteral("D100"), QStringLiteral("boiler"));
    QVERIFY(ProjectModelManager::instance()->addProject(project));
}

void tst_VarTree::cleanupTestCase()
{
    ProjectModelManager::instance()->closeProject("p");
    ac::ACCore::close("p");
    m_application.reset();
}

void tst_VarTree::init()
{
    m_cookies->setValue(QStringLiteral("Project.Name"), QStringLiteral("p"));
    openCore("p");
    // Values are refreshed for what is on screen.
    m_tree = std::make_unique<VarTreeWidget>();
    m_tree->resize(600, 300);
    m_tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
}

void tst_VarTree::cleanup()
{
    m_tree.reset();
    m_transfer->setOnline(false);
    ac::ACCore::close("q");
}

void tst_VarTree::editCommitsName_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("committed");

    QTest::newRow("on the empty last row") << 2 << "D100" << true;
    QTest::newRow("on a row") << 0 << "M10" << true;
    QTest::newRow("escape") << 1 << "D5" << false;
}

void tst_VarTree::editCommitsName()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(bool, committed);
    const QString expected = committed ? typed : QStringLiteral("D%1").arg(row);

    setRows(m_tree.get(), {QStringLiteral("D0"), QStringLiteral("D1")});
    QSignalSpy changed(m_tree.get(), &VarTreeWidget::variableChanged);
    QTreeWidgetItem *item = m_tree->topLevelItem(row);
    m_tree->setCurrentItem(item, VarTreeWidget::ValueColumn);

    QTest::keyClick(m_tree.get(), Qt::Key_F2);
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = m_tree->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, committed ? Qt::Key_Return : Qt::Key_Escape);
    QTRY_VERIFY(!editor);

    QCOMPARE(changed.count(), committed ? 1 : 0);
    if (committed)
        QCOMPARE(changed.first(), QVariantList({row, expected}));
    QCOMPARE(m_tree->getItemData(item, 0), expected);
    QVERIFY(item->text(VarTreeWidget::ValueColumn).isEmpty());
}

void tst_VarTree::values_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<int>("showMode");
    QTest::addColumn<QString>("written");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<QString>("shown"); // value | data type | address | comment
    QTest::addColumn<QString>("bits");  // of an expanded word, bit 15 first; empty: no bits

    const auto row = [](const char *variable,
                        int showMode,
                        const char *written,
                        const Bytes &bytes,
                        const char *shown,
                        const char *bits = "") {
        QTest::addRow("%s in radix %d", variable, showMode)
            << QString::fromLatin1(variable) << showMode << QString::fromLatin1(written) << bytes
            << QString::fromLatin1(shown) << QString::fromLatin1(bits);
    };
    row("D100", 10, "D100", little(0xffff, 2), "-1|INT|D100|boiler", "1111111111111111");
    row("D100.D", 2, "D100.D", little(5, 4), "101|DINT|D100.D|");
    row("D100.F", 16, "D100.F", little(0xbe800000, 4), "-0.25|REAL|D100.F|"); // in any radix
    row("X17", 10, "X17", Bytes{1}, "1|BOOL|X17|");
    row("W1a", 16, "W1A", little(0x8005, 2), "8005|INT|W1a|", "1000000000000101");
    row("Counter", 10, "D200.D", little(70000, 4), "70000|DINT|D200|"); // a DINT symbol
}

void tst_VarTree::values()
{
    QFETCH(QString, variable);
    QFETCH(int, showMode);
    QFETCH(QString, written);
    QFETCH(Bytes, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, bits);

    setRows(m_tree.get(), {variable});
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    const auto rowText = [item] {
        QStringList texts;
        for (int column : {VarTreeWidget::ValueColumn,
                           VarTreeWidget::DataTypeColumn,
                           VarTreeWidget::AddressColumn,
                           VarTreeWidget::CommentColumn})
            texts.append(item->text(column));
        return texts.join(QLatin1Char('|'));
    };
    const QString offline = shown.mid(shown.indexOf(QLatin1Char('|')));
    QCOMPARE(rowText(), offline);
    QCOMPARE(item->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator, !bits.isEmpty());
    m_tree->setIntegerShowMode(0, showMode);
    QVERIFY(write("p", written, bytes));
    m_transfer->setOnline(true);

    m_tree->resetTree();
    QTRY_COMPARE(rowText(), shown);
    QVERIFY(value(*m_tree, 1).isEmpty());

    // Bit 15 first; each child names its bit and is read-only.
    const auto shownBits = [item, this, variable] {
        QString shown;
        for (int bit = 0; bit < item->childCount(); ++bit) {
            QTreeWidgetItem *child = item->child(bit);
            const bool named =
                m_tree->getItemData(child, 0) == variable + QLatin1Char('.') + QString::number(bit);
            const bool editable = child->flags() & Qt::ItemIsEditable;
            shown.prepend(named && !editable ? child->text(VarTreeWidget::ValueColumn)
                                             : QStringLiteral("?"));
        }
        return shown;
    };
    item->setExpanded(true);
    QCOMPARE(shownBits(), bits);
}

// Values show only while online and watching, read from the project the tree
// is given, else from the current one.
void tst_VarTree::valuesOnlyWhileWatchingOnline()
{
    const QString d100 = QStringLiteral("D100");
    openCore("q");
    QVERIFY(write("p", d100, little(7, 2)));
    QVERIFY(write("q", d100, little(2, 2)));
    setRows(m_tree.get(), {d100});
    m_tree->resetTree();
    QVERIFY(value(*m_tree, 0).isEmpty());

    m_transfer->setOnline(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("7"));
    QVERIFY(write("p", d100, little(42, 2)));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("42"));
    m_transfer->setOnline(false);
    QVERIFY(value(*m_tree, 0).isEmpty());

    m_transfer->setOnline(true);
    m_tree->enableWatch(false);
    QVERIFY(write("p", d100, little(43, 2)));
    m_tree->resetTree();
    QVERIFY(value(*m_tree, 0).isEmpty());
    m_tree->enableWatch(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("43"));

    m_cookies->setValue(QStringLiteral("Project.Name"), QStringLiteral("q"));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("2"));
    m_tree->setProperty("projectName", QStringLiteral("p"));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("43"));
}

// The simulated controller moves the values of the symbols someone watches,
// whatever their type's length, follows the symbols as they change, and
// leaves the others alone.
void tst_VarTree::simulationStepsWatchedSymbols()
{
    auto project =
        static_cast<ProjectModel *>(ProjectModelManager::instance()->projectModel("p", false));
    const QVector<Symbol> kept = project->symbols();
    const auto symbol = [](const char *name, const char *type, const char *address) {
        return Symbol{QString::fromLatin1(name),
                      QString::fromLatin1(type),
                      QString::fromLatin1(address),
                      {},
                      {}};
    };
    project->setSymbols({symbol("Count", "INT", "D300"),
                         symbol("Level", "REAL", "D304"),
                         symbol("Total", "DINT", "D306"),
                         symbol("Spare", "INT", "D310")});
    const auto bytesAt = [](const char *address, int length) {
        SafeAccore core("p", false);
        ac::HeapAddress heapAddress;
        Bytes bytes;
        if (core && core->deviceMemory()->string2IecAddress(address, &heapAddress, true)) {
            heapAddress.byteLength = uint32_t(length);
            core->deviceMemory()->read(heapAddress, &bytes);
        }
        return bytes;
    };
    const auto stepped = [this](int cycles) {
        for (int i = 0; i < cycles; ++i)
            m_transfer->simulation()->step();
    };
    // Total is read whole and, through D306, as its first word: it moves once.
    setRows(m_tree.get(),
            {QStringLiteral("Count"),
             QStringLiteral("Level"),
             QStringLiteral("Total"),
             QStringLiteral("D306")});
    m_transfer->setOnline(true);
    QTRY_VERIFY(ac::LiveWatch::instance()->watched("p").size() == 4);

    const Bytes level = bytesAt("D304", 4);
    stepped(3);
    QCOMPARE(bytesAt("D300", 2), little(3, 2));
    QVERIFY(bytesAt("D304", 4) != level);
    QCOMPARE(bytesAt("D306", 4), little(3, 4));
    QCOMPARE(bytesAt("D310", 2), little(0, 2));

    // Other symbols, the same rows: the new addresses move.
    project->setSymbols({symbol("Count", "INT", "D320"), symbol("Level", "INT", "D321")});
    m_tree->resetTree();
    const auto watching = [](uint32_t byteOffset) {
        const std::vector<ac::HeapAddress> watched = ac::LiveWatch::instance()->watched("p");
        return std::any_of(watched.begin(), watched.end(), [&](const ac::HeapAddress &address) {
            return address.byteOffset == byteOffset;
        });
    };
    QTRY_VERIFY(watching(2 * 320));
    stepped(2);
    QCOMPARE(bytesAt("D300", 2), little(3, 2));
    QCOMPARE(bytesAt("D320", 2), little(2, 2));
    QCOMPARE(bytesAt("D321", 2), little(2, 2));

    m_transfer->setOnline(false);
    project->setSymbols(kept);
}

// A name that stands for nothing says why, in place of the value, online and
// offline; a valid row still waiting for its value stays blank.
// A row keeps its texts itself, so the view learns of a change only from what
// the row announces: the whole row for a name or its resolution, the one
// cell for a value, whose column the tree's users read as "a new value".
void tst_VarTree::changesReachTheView()
{
    const QString d100 = QStringLiteral("D100");
    QVERIFY(write("p", d100, little(7, 2)));
    QSignalSpy changes(m_tree->model(), &QAbstractItemModel::dataChanged);
    std::vector<std::pair<QTreeWidgetItem *, int>> itemChanges;
    connect(m_tree.get(), &QTreeWidget::itemChanged, this, [&](QTreeWidgetItem *item, int column) {
        itemChanges.emplace_back(item, column);
    });
    const auto announcedRow = [&](int row) {
        return std::any_of(changes.cbegin(), changes.cend(), [&](const QList<QVariant> &args) {
            const auto first = args[0].toModelIndex();
            const auto last = args[1].toModelIndex();
            return first.row() == row && last.row() == row && first.column() == 0 &&
                   last.column() == m_tree->columnCount() - 1;
        });
    };

    setRows(m_tree.get(), {d100, QStringLiteral("M0")});
    QVERIFY(announcedRow(0));
    QVERIFY(announcedRow(1));
    QCOMPARE(m_tree->topLevelItem(0)->text(VarTreeWidget::CommentColumn), QStringLiteral("boiler"));

    changes.clear();
    m_tree->setVariable(1, QStringLiteral("Counter"), QStringLiteral("Counter"));
    QVERIFY(announcedRow(1));
    QCOMPARE(m_tree->topLevelItem(1)->text(VarTreeWidget::AddressColumn), QStringLiteral("D200"));

    itemChanges.clear();
    m_transfer->setOnline(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("7"));
    const auto valueCell = std::make_pair(m_tree->topLevelItem(0), int(VarTreeWidget::ValueColumn));
    QVERIFY(std::find(itemChanges.cbegin(), itemChanges.cend(), valueCell) != itemChanges.cend());
}

void tst_VarTree::rowProblems_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("online"); // the value cell while online

    const auto row = [](const char *variable, const QString &problem, const char *online = "") {
        QTest::newRow(*variable ? variable : "(empty)")
            << QString::fromLatin1(variable) << problem
            << (problem.isEmpty() ? QString::fromLatin1(online) : problem);
    };
    const QChar dash(0x2013);
    row("NoSuchVar", QStringLiteral("unknown variable"));
    row("Motor_Run", QStringLiteral("unknown variable"));
    row("D100.16", QStringLiteral("no bit 16 in a word"));
    row("D8000", QStringLiteral("past the end of D (D0") + dash + QStringLiteral("D7999)"));
    row("D7999.D", QStringLiteral("past the end of D (D0") + dash + QStringLiteral("D7999)"));
    row("X400", QStringLiteral("past the end of X (X0") + dash + QStringLiteral("X377)"));
    row("W200", QStringLiteral("past the end of W (W0") + dash + QStringLiteral("W1FF)"));
    row("X18", QStringLiteral("X addresses are octal"));
    row("D1A", QStringLiteral("D addresses are decimal"));
    row("Mad", QStringLiteral("unknown variable")); // letters, even those of hexadecimal digits
    row("X17.3", QStringLiteral("nothing may follow a bit address"));
    row("D100.Q", QStringLiteral("unknown suffix \".Q\""));
    row("", QString());
    row("D100", QString(), "0");
    row("Counter", QString(), "0");
}

void tst_VarTree::rowProblems()
{
    QFETCH(QString, variable);
    QFETCH(QString, problem);
    QFETCH(QString, online);

    setRows(m_tree.get(), {variable});
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    const auto shown = [item]() -> QString {
        const bool greyed =
            item->data(VarTreeWidget::ValueColumn, Qt::ForegroundRole).value<QBrush>().color() ==
            QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        const bool explained =
            !item->data(VarTreeWidget::ValueColumn, Qt::ToolTipRole).toString().isEmpty();
        return item->text(VarTreeWidget::ValueColumn) + QLatin1String(greyed ? "|grey" : "") +
               QLatin1String(explained ? "|tip" : "");
    };
    const QString said = problem.isEmpty() ? QString() : problem + QStringLiteral("|grey|tip");
    QCOMPARE(shown(), said);

    m_transfer->setOnline(true);
    QTRY_COMPARE(value(*m_tree, 0), online);
    QCOMPARE(shown(), problem.isEmpty() ? online : said);
    m_transfer->setOnline(false);
    QCOMPARE(shown(), said);

    // Another name, valid or not, says its own.
    m_tree->setVariable(0, QStringLiteral("D5"), QStringLiteral("D5"));
    QCOMPARE(shown(), QString());
    m_tree->setVariable(0, QStringLiteral("D5.16"), QStringLiteral("D5.16"));
    QCOMPARE(value(*m_tree, 0), QStringLiteral("no bit 16 in a word"));
    m_tree->setVariable(0, variable, variable);
    QCOMPARE(shown(), said);
}

void tst_VarTree::problemFollowsSymbols()
{
    ProjectModel *project =
        dynamic_cast<ProjectModel *>(ProjectModelManager::instance()->projectModel("p", false));
    QVERIFY(project);
    const QVector<Symbol> symbols = project->symbols();
    setRows(m_tree.get(), {QStringLiteral("Speed")});
    QCOMPARE(value(*m_tree, 0), QStringLiteral("unknown variable"));

    project->setSymbols(
        symbols +
        QVector<Symbol>{Symbol{
            QStringLiteral("Speed"), QStringLiteral("INT"), QStringLiteral("D300"), {}, {}}});
    m_tree->resetTree();
    QCOMPARE(value(*m_tree, 0), QString());
    QMap<QString, QMap<QString, QVariant>> states;
    m_tree->saveItemStates(m_tree->topLevelItem(0), states);

    project->setSymbols(symbols);
    m_tree->resetTree();
    QCOMPARE(value(*m_tree, 0), QStringLiteral("unknown variable"));
    // A problem is not kept as a value, and a kept value does not hide one.
    m_tree->restoreItemStates(m_tree->topLevelItem(0), states);
    QCOMPARE(value(*m_tree, 0), QStringLiteral("unknown variable"));
    m_tree->saveItemStates(m_tree->topLevelItem(0), states);
    QCOMPARE(states.value(QStringLiteral("row")).value(QStringLiteral("value")).toString(),
             QString());
}

QTEST_MAIN(tst_VarTree)
