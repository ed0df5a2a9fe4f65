#include "accore.h"
#include "application.h"
#include "controllertransfer.h"
#include "cookies.h"
#include "devicecatalog.h"
#include "objectregistry.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "simulatedcontroller.h"
#include "softcomponentmodel.h"
#include "vartreewidget.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes little(quint64 value, int length)
{
    Bytes bytes(size_t(length), 0);
    for (int i = 0; i < length; ++i)
        bytes[size_t(i)] = uint8_t(value >> (8 * i));
    return bytes;
}

void openCore(const std::string &project)
{
    QString error;
    auto memory = DeviceCatalog::create(QStringLiteral("DEMO-FX"), &error);
    QVERIFY2(memory, qPrintable(error));
    ac::ACCore::open(std::make_unique<ac::ACCore>(project, std::move(memory)));
}

bool write(const std::string &project, const QString &address, const Bytes &bytes)
{
    SafeAccore core(project, false);
    ac::HeapAddress heapAddress;
    return core &&
           core->deviceMemory()->string2IecAddress(address.toStdString(), &heapAddress, true) &&
           core->deviceMemory()->write(heapAddress, bytes);
}

QString value(const VarTreeWidget &tree, int row)
{
    return tree.topLevelItem(row)->text(VarTreeWidget::ValueColumn);
}

void setRows(VarTreeWidget *tree, const QStringList &variables)
{
    tree->setRowCount(variables.size() + 1);
    for (int row = 0; row < variables.size(); ++row)
        tree->setVariable(row, variables[row], variables[row]);
}

// The items the tree announces as changed in their Show Mode column.
struct ShowModeChanges
{
    explicit ShowModeChanges(QTreeWidget *tree)
    {
        QObject::connect(tree, &QTreeWidget::itemChanged, &context, [this](QTreeWidgetItem *item, int column) {
            if (column == VarTreeWidget::ShowModeColumn)
                items.append(item);
        });
    }
    QObject context;
    QList<QTreeWidgetItem *> items;
};

} // namespace

class tst_VarTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void editCommitsName_data();
    void editCommitsName();
    void values_data();
    void values();
    void valuesOnlyWhileWatchingOnline();
    void typingOnACell_data();
    void typingOnACell();
    void showModeCell_data();
    void showModeCell();
    void showModeSetByCodeIsNotAnnounced();

private:
    std::unique_ptr<Application> m_application;
    Cookies *m_cookies = nullptr;
    ControllerTransfer *m_transfer = nullptr;
    std::unique_ptr<VarTreeWidget> m_tree;
};

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
    row("D8000", 10, "D7999", little(1, 2), "|||");                     // past the end
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

// Typing names a row only on its Name cell; online it writes a value on its Value cell.
void tst_VarTree::typingOnACell_data()
{
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shownValue");

    QTest::newRow("value offline") << false << int(VarTreeWidget::ValueColumn) << "42" << "D100"
                                   << "";
    QTest::newRow("value online") << true << int(VarTreeWidget::ValueColumn) << "42" << "D100"
                                  << "42";
    QTest::newRow("comment online")
        << true << int(VarTreeWidget::CommentColumn) << "42" << "D100" << "7";
    QTest::newRow("show mode online")
        << true << int(VarTreeWidget::ShowModeColumn) << "1" << "D100" << "7";
    QTest::newRow("data type offline")
        << false << int(VarTreeWidget::DataTypeColumn) << "M1" << "D100" << "";
    QTest::newRow("name offline") << false << int(VarTreeWidget::NameColumn) << "M1" << "M1" << "";
    QTest::newRow("name online") << true << int(VarTreeWidget::NameColumn) << "D5" << "D5" << "0";
}

void tst_VarTree::typingOnACell()
{
    QFETCH(bool, online);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QFETCH(QString, shownValue);

    setRows(m_tree.get(), {QStringLiteral("D100")});
    QVERIFY(write("p", QStringLiteral("D100"), little(7, 2)));
    m_transfer->setOnline(online);
    QTreeWidgetItem *item = m_tree->topLevelItem(0);
    if (online)
        QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("7"));
    QSignalSpy renamed(m_tree.get(), &VarTreeWidget::variableChanged);
    m_tree->setCurrentItem(item, column);

    QTest::keyClick(m_tree.get(), typed.at(0).toLatin1());
    QPointer<QLineEdit> editor = m_tree->viewport()->findChild<QLineEdit *>();
    const bool edits = name != QLatin1String("D100") || shownValue == typed;
    QCOMPARE(editor && editor->isVisible(), edits);
    if (editor) {
        QTest::keyClicks(editor, typed.mid(1));
        QCOMPARE(editor->text(), typed);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!editor);
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
        QTest::newRow(tag) << QString::fromLatin1(variable) << QString::fromLatin1(written)
                           << bytes << QString::fromLatin1(shown) << int(key) << mode
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

QTEST_MAIN(tst_VarTree)
#include "tst_vartree.moc"
