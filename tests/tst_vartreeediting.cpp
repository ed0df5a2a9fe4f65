#include "tst_vartree.h"

// What a REAL or LREAL cell shows writes back the same bits when confirmed.
void tst_VarTree::floatingRoundTrip_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<QString>("shown");

    const auto real = [](const char *tag, float value, const char *shown) {
        Bytes bytes(4);
        std::memcpy(bytes.data(), &value, 4);
        QTest::addRow("REAL %s", tag) << uint(ac::TYPE_REAL) << bytes << QString::fromLatin1(shown);
    };
    const auto lreal = [](const char *tag, double value, const char *shown) {
        Bytes bytes(8);
        std::memcpy(bytes.data(), &value, 8);
        QTest::addRow("LREAL %s", tag)
            << uint(ac::TYPE_LREAL) << bytes << QString::fromLatin1(shown);
    };
    real("2^24", 16777216.0f, "16777216");
    real("2^24 + 2", 16777218.0f, "16777218");
    real("0.1", 0.1f, "0.1");
    real("a third", 1.0f / 3, "0.33333334");
    real("-0.25", -0.25f, "-0.25");
    real("smallest denormal", std::numeric_limits<float>::denorm_min(), "1e-45");
    real("smallest normal", std::numeric_limits<float>::min(), "1.1754944e-38");
    real("max", std::numeric_limits<float>::max(), "3.4028235e+38");
    real("lowest", std::numeric_limits<float>::lowest(), "-3.4028235e+38");
    real("negative zero", -0.0f, "-0");
    real("zero", 0.0f, "0");
    lreal("many digits", 123456789.123456789, "123456789.12345679");
    lreal("0.1", 0.1, "0.1");
    lreal("smallest denormal", std::numeric_limits<double>::denorm_min(), "5e-324");
    lreal("max", std::numeric_limits<double>::max(), "1.7976931348623157e+308");
    lreal("negative zero", -0.0, "-0");
    lreal("2^53 + 2", 9007199254740994.0, "9007199254740994");
}

void tst_VarTree::floatingRoundTrip()
{
    QFETCH(uint, type);
    QFETCH(Bytes, bytes);
    QFETCH(QString, shown);

    QCOMPARE(ValueFormat::format(type, bytes, 10), shown);
    for (int showMode : {10, 16}) {
        Bytes written;
        QString error;
        QVERIFY2(ValueFormat::parse(type, shown, showMode, &written, &error), qPrintable(error));
        QCOMPARE(written, bytes);
    }
}

// Values a REAL or LREAL cannot hold as typed are refused, not written as
// something else; those it holds but cannot be typed show as words.
void tst_VarTree::floatingRefused_data()
{
    QTest::addColumn<uint>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message"); // a part of it

    const auto row = [](ac::BasicDataType type, const char *text, const char *message) {
        QTest::addRow("%s %s", type == ac::TYPE_REAL ? "REAL" : "LREAL", text)
            << uint(type) << QString::fromLatin1(text) << QString::fromLatin1(message);
    };
    row(ac::TYPE_REAL, "nan", "NaN cannot be written");
    row(ac::TYPE_REAL, "inf", "infinity cannot be written");
    row(ac::TYPE_LREAL, "-inf", "infinity cannot be written");
    row(ac::TYPE_REAL, "3.4028236e38", "does not fit in REAL");
    row(ac::TYPE_LREAL, "1e309", "does not fit in LREAL");
    row(ac::TYPE_REAL, "1e-46", "too small for a REAL");
    row(ac::TYPE_LREAL, "2e-324", "too small for a LREAL");
    row(ac::TYPE_REAL, "1.5x", "is not a REAL value");
    row(ac::TYPE_LREAL, "e-5", "is not a LREAL value");
}

void tst_VarTree::floatingRefused()
{
    QFETCH(uint, type);
    QFETCH(QString, text);
    QFETCH(QString, message);

    Bytes written{7};
    QString error;
    QVERIFY(!ValueFormat::parse(type, text, 10, &written, &error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QCOMPARE(written, Bytes{7});

    const auto shown = [type](quint32 real, quint64 lreal) {
        return ValueFormat::format(
            type, type == ac::TYPE_REAL ? little(real, 4) : little(lreal, 8), 10);
    };
    QCOMPARE(shown(0x7fc00000u, 0x7ff8000000000000u), QStringLiteral("NaN"));
    QCOMPARE(shown(0x7f800000u, 0x7ff0000000000000u), QStringLiteral("inf"));
    QCOMPARE(shown(0xff800000u, 0xfff0000000000000u), QStringLiteral("-inf"));
}

// Typing names a row only on its Name cell; online it writes a value on its Value cell.
void tst_VarTree::typingOnACell_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shownValue");
    QTest::addColumn<int>("row"); // typed on: 0 D100, 1 the empty row below it

    QTest::newRow("value offline") << false << int(VarTreeWidget::ValueColumn) << "42"
                                   << "D100"
                                   << "" << 0;
    QTest::newRow("value online") << true << int(VarTreeWidget::ValueColumn) << "42"
                                  << "D100"
                                  << "42" << 0;
    QTest::newRow("comment online") << true << int(VarTreeWidget::CommentColumn) << "42"
                                    << "D100"
                                    << "7" << 0;
    QTest::newRow("show mode online") << true << int(VarTreeWidget::ShowModeColumn) << "1"
                                      << "D100"
                                      << "7" << 0;
    QTest::newRow("data type offline") << false << int(VarTreeWidget::DataTypeColumn) << "M1"
                                       << "D100"
                                       << "" << 0;
    QTest::newRow("name offline") << false << int(VarTreeWidget::NameColumn) << "M1"
                                  << "M1"
                                  << "" << 0;
    QTest::newRow("name online") << true << int(VarTreeWidget::NameColumn) << "D5"
                                 << "D5"
                                 << "0" << 0;
    // Keys that start nothing go nowhere: not to the row whose value they begin.
    QTest::newRow("value of the empty row online")
        << true << int(VarTreeWidget::ValueColumn) << "75"
        << "D100"
        << "7" << 1;
}

void tst_VarTree::typingOnACell()
{
    QFETCH(bool, online);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, shownValue);
    QFETCH(int, row);

    setRows(m_tree.get(), {QStringLiteral("D100")});
    QVERIFY(write("p", QStringLiteral("D100"), little(7, 2)));
    m_transfer->setOnline(online);
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    if (online)
        QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("7"));
    QSignalSpy renamed(m_tree.get(), &VarTreeWidget::variableChanged);
    m_tree->setCurrentItem(m_tree->topLevelItem(row), column);

    QTest::keyClick(m_tree.get(), typed.at(0).toLatin1());
    QPointer<QLineEdit> editor = m_tree->viewport()->findChild<QLineEdit *>();
    const bool edits = name != QLatin1String("D100") || shownValue == typed;
    QCOMPARE(editor && editor->isVisible(), edits);
    if (editor) {
        QTest::keyClicks(editor, typed.mid(1));
        QCOMPARE(editor->text(), typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!editor);
    } else {
        QTest::keyClicks(m_tree.get(), typed.mid(1));
        QTest::keyClick(m_tree.get(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(m_tree->currentIndex().row(), row);
    }
    QTRY_COMPARE(value(*m_tree, 0), shownValue);
    QCOMPARE(m_tree->getItemData(item, VarTreeWidget::NameColumn), name);
    QCOMPARE(renamed.count(), name == QLatin1String("D100") ? 0 : 1);
}

void tst_VarTree::showModeCell_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("written");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("shownValue"); // online, after the choice

    const auto row = [](const char *tag,
                        const char *variable,
                        const char *written,
                        const Bytes &bytes,
                        const char *shown,
                        Qt::Key key,
                        int mode,
                        const char *value) {
        QTest::newRow(tag) << QString::fromLatin1(variable) << QString::fromLatin1(written) << bytes
                           << QString::fromLatin1(shown) << int(key) << mode
                           << QString::fromLatin1(value);
    };
    const Bytes word = little(0xfffe, 2);
    row("INT to hexadecimal", "D100", "D100", word, "Decimal", Qt::Key_Down, 16, "FFFE");
    row("INT to binary", "D100", "D100", word, "Decimal", Qt::Key_Up, 2, "1111111111111110");
    row("DINT symbol", "Counter", "D200.D", little(255, 4), "Decimal", Qt::Key_Down, 16, "FF");
    row("UINT", "D100.U", "D100", word, "Decimal", Qt::Key_Down, 16, "FFFE");
    // Rows that are no integers have no show mode to choose.
    row("REAL", "D100.F", "D100", word, "", Qt::Key_Down, 10, "");
    row("bit of a word", "D100.3", "D100", word, "", Qt::Key_Down, 10, "");
    row("bit area", "X17", "X17", Bytes{1}, "", Qt::Key_Down, 10, "");
    row("STRING", "D100.T", "D100", word, "", Qt::Key_Down, 10, "");
    row("unknown", "NoSuchVar", "D100", word, "", Qt::Key_Down, 10, "");
    row("empty row", "", "D100", word, "", Qt::Key_Down, 10, "");
}

void tst_VarTree::showModeCell()
{
    QFETCH(QString, variable);
    QFETCH(QString, written);
    QFETCH(Bytes, bytes);
    QFETCH(QString, shown);
    QFETCH(int, key);
    QFETCH(int, mode);
    QFETCH(QString, shownValue);

    setRows(m_tree.get(), {variable});
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    QCOMPARE(item->text(VarTreeWidget::ShowModeColumn), shown);
    QVERIFY(write("p", written, bytes));
    m_transfer->setOnline(true);
    const ShowModeChanges showModeChanges(m_tree.get());

    m_tree->setCurrentItem(item, VarTreeWidget::ShowModeColumn);
    QTest::keyClick(m_tree.get(), Qt::Key_F2);
    QCoreApplication::processEvents();
    QPointer<QComboBox> combo = m_tree->viewport()->findChild<QComboBox *>();
    QCOMPARE(combo && combo->isVisible(), !shown.isEmpty());
    if (combo) {
        QCOMPARE(combo->currentData().toInt(), 10);
        QTest::keyClick(combo, Qt::Key(key));
        QTRY_VERIFY(!combo || !combo->isVisible());
        QCOMPARE(showModeChanges.items, QList<QTreeWidgetItem *>{item});
        // The value follows at once, not with the next refresh.
        QCOMPARE(value(*m_tree, 0), shownValue);
    } else if (auto editor = m_tree->viewport()->findChild<QLineEdit *>()) {
        QTest::keyClick(editor, Qt::Key_Escape);
    }
    QCOMPARE(showModeChanges.items.size(), combo ? 1 : 0);
    QCOMPARE(item->data(VarTreeWidget::ShowModeColumn, Qt::UserRole).toInt(), mode);
    QCOMPARE(m_tree->integerShowMode(0), mode);
    QCOMPARE(item->text(VarTreeWidget::ShowModeColumn).isEmpty(), shown.isEmpty());
}

// Only a user's choice is announced on the Show Mode column; what the tree's
// users set themselves is not announced back to them.
void tst_VarTree::showModeSetByCodeIsNotAnnounced()
{
    setRows(m_tree.get(), {QStringLiteral("D100")});
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    const auto mode = [item] {
        return item->data(VarTreeWidget::ShowModeColumn, Qt::UserRole).toInt();
    };
    const ShowModeChanges showModeChanges(m_tree.get());

    m_tree->setIntegerShowMode(0, 16);
    QCOMPARE(mode(), 16);
    QCOMPARE(item->text(VarTreeWidget::ShowModeColumn), QStringLiteral("Hexadecimal"));
    m_tree->setVariable(0, QStringLiteral("D101"), QStringLiteral("D101"));
    QCOMPARE(mode(), 10);
    QMap<QString, QMap<QString, QVariant>> states;
    states[QStringLiteral("row")][QStringLiteral("showMode")] = 2;
    m_tree->restoreItemStates(item, states);
    QCOMPARE(mode(), 2);
    QVERIFY(showModeChanges.items.isEmpty());

    // The way a user's choice arrives: announced once, and only when it changes the mode.
    item->setData(VarTreeWidget::ShowModeColumn, Qt::EditRole, 16);
    item->setData(VarTreeWidget::ShowModeColumn, Qt::EditRole, 16);
    item->setData(VarTreeWidget::ShowModeColumn, Qt::EditRole, 8);
    QCOMPARE(mode(), 16);
    QCOMPARE(showModeChanges.items, QList<QTreeWidgetItem *>{item});
}
