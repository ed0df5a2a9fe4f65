#include "accore.h"
#include "application.h"
#include "cookies.h"
#include "devicecatalog.h"
#include "objectregistry.h"
#include "projectmodel.h"
#include "projectmodelmanager.h"
#include "controllertransfer.h"
#include "simulatedcontroller.h"
#include "softcomponentmodel.h"
#include "vartreewidget.h"

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

Bytes text(const QByteArray &text, size_t length, int unitSize)
{
    Bytes bytes(length, 0);
    for (int i = 0; i < text.size(); ++i)
        bytes[size_t(i * unitSize)] = uint8_t(text[i]);
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
    void projectFromCookie();

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
    m_transfer->simulation()->setInterval(24 * 3600 * 1000); // values change only when a test writes them
    m_application->objectRegistry()->insert(m_cookies);
    m_application->objectRegistry()->insert(m_transfer);
    m_application->publish();

    auto project = new ProjectModel("p");
    const auto symbol = [](const char *name, const char *type, const char *address) {
        return Symbol{QLatin1String(name), QLatin1String(type), QLatin1String(address), {}, {}};
    };
    project->setSymbols({symbol("Counter", "DINT", "D200"), symbol("Nowhere", "INT", "")});
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
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("committed");

    QTest::newRow("F2 on the empty last row") << "F2" << 2 << "D100" << true;
    QTest::newRow("typing on a row") << "type" << 0 << "M10" << true;
    QTest::newRow("escape") << "escape" << 1 << "D5" << false;
    QTest::newRow("enter without a change") << "F2" << 1 << "" << false;
}

void tst_VarTree::editCommitsName()
{
    QFETCH(QString, how);
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(bool, committed);
    const QString expected = committed ? typed : QStringLiteral("D%1").arg(row);

    setRows(m_tree.get(), {QStringLiteral("D0"), QStringLiteral("D1")});
    QSignalSpy changed(m_tree.get(), &VarTreeWidget::variableChanged);
    QTreeWidgetItem *item = m_tree->topLevelItem(row);
    m_tree->setCurrentItem(item, VarTreeWidget::ValueColumn);

    const bool typing = how == QLatin1String("type");
    if (typing)
        QTest::keyClick(m_tree.get(), typed.at(0).toLatin1());
    else
        QTest::keyClick(m_tree.get(), Qt::Key_F2);
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = m_tree->viewport()->findChild<QLineEdit *>()) && editor->isVisible());
    if (!typing)
        editor->selectAll();
    QTest::keyClicks(editor, typing ? typed.mid(1) : typed);
    QTest::keyClick(editor, how == QLatin1String("escape") ? Qt::Key_Escape : Qt::Key_Return);
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
    row("D100", 16, "D100", little(0x800a, 2), "800A|INT|D100|boiler", "1000000000001010");
    row("D100.D", 16, "D101", little(0x12, 2), "120000|DINT|D100.D|"); // over two words
    row("D100.D", 2, "D100.D", little(5, 4), "101|DINT|D100.D|");
    row("D100.F", 16, "D100.F", little(0xbe800000, 4), "-0.25|REAL|D100.F|"); // in any radix
    row("D100.DF", 10, "D100.DF", little(0x3fb999999999999a, 8), "0.1|LREAL|D100.DF|");
    row("D100.15", 10, "D100", little(0x8000, 2), "1|BOOL|D100.15|");
    row("X17", 10, "X17", Bytes{1}, "1|BOOL|X17|");
    row("W1a", 16, "W1A", little(0x8005, 2), "8005|INT|W1a|", "1000000000000101");
    row("D100.T", 10, "D100.T", text("Hello", 81, 1), "Hello|STRING|D100.T|");
    row("D100.WT", 10, "D100.WT", text("Ab", 162, 2), "Ab|WSTRING|D100.WT|");
    row("Counter", 10, "D200.D", little(70000, 4), "70000|DINT|D200|"); // a DINT symbol
    row("Nowhere", 10, "D0", little(1, 2), "|INT||");                   // symbol without address
    row("D8000", 10, "D7999", little(1, 2), "|||");                     // past the end
    row("Nonsense", 10, "D0", little(1, 2), "|||");
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
    QCOMPARE(m_tree->topLevelItemCount(), 2);
    QCOMPARE(m_tree->topLevelItem(0), item);
    QCOMPARE(m_tree->getItemData(item, 0), variable);
    QCOMPARE(rowText().mid(rowText().indexOf(QLatin1Char('|'))), offline);
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
    // Updating and dropping the bits walk one path for every word.
    if (bits.isEmpty() || showMode != 10)
        return;
    // Only bits on screen are read again.
    QVERIFY(write("p", written, little(0x0002, 2)));
    QTRY_COMPARE(shownBits().right(4), QStringLiteral("0010"));

    // Another variable in the row takes its bits with it.
    m_tree->setVariable(0, QStringLiteral("D7"), QStringLiteral("D7"));
    QCOMPARE(item->childCount(), 0);
    QVERIFY(!item->isExpanded());
}

void tst_VarTree::valuesOnlyWhileWatchingOnline()
{
    setRows(m_tree.get(), {QStringLiteral("D100")});
    QVERIFY(write("p", QStringLiteral("D100"), little(7, 2)));
    m_tree->resetTree();
    QVERIFY(value(*m_tree, 0).isEmpty());

    m_transfer->setOnline(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("7"));
    QVERIFY(write("p", QStringLiteral("D100"), little(42, 2)));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("42"));
    m_transfer->setOnline(false);
    QVERIFY(value(*m_tree, 0).isEmpty());
    m_transfer->setOnline(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("42"));

    m_tree->enableWatch(false);
    QVERIFY(!m_tree->isWatchEnabled());
    QVERIFY(write("p", QStringLiteral("D100"), little(43, 2)));
    m_tree->resetTree();
    QVERIFY(value(*m_tree, 0).isEmpty());
    m_tree->enableWatch(true);
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("43"));

    // A row set while watching shows its value at once.
    m_tree->setVariable(1, QStringLiteral("D100.S"), QStringLiteral("D100.S"));
    QCOMPARE(value(*m_tree, 1), QStringLiteral("43"));

    // Rows scrolled into a shown tree get their values too.
    m_tree->setRowCount(1000);
    m_tree->setVariable(999, QStringLiteral("D999"), QStringLiteral("D999"));
    QVERIFY(write("p", QStringLiteral("D999"), little(5, 2)));
    m_tree->setCurrentRow(999);
    QTRY_COMPARE(value(*m_tree, 999), QStringLiteral("5"));

    // Online, but the project's controller core is gone.
    ac::ACCore::close("p");
    m_tree->resetTree();
    QVERIFY(value(*m_tree, 999).isEmpty());
}

void tst_VarTree::projectFromCookie()
{
    openCore("q");
    QVERIFY(write("p", QStringLiteral("D100"), little(1, 2)));
    QVERIFY(write("q", QStringLiteral("D100"), little(2, 2)));
    setRows(m_tree.get(), {QStringLiteral("D100")});
    m_transfer->setOnline(true);
    QCOMPARE(m_tree->projectName(), QStringLiteral("p"));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("1"));

    m_cookies->setValue(QStringLiteral("Project.Name"), QStringLiteral("q"));
    QCOMPARE(m_tree->projectName(), QStringLiteral("q"));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("2"));

    m_tree->setProperty("projectName", QStringLiteral("p"));
    QTRY_COMPARE(value(*m_tree, 0), QStringLiteral("1"));
    QCOMPARE(m_tree->projectName(), QStringLiteral("p"));
}

QTEST_MAIN(tst_VarTree)
#include "tst_vartree.moc"
