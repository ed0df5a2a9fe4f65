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
#include "valueformat.h"
#include "vartreewidget.h"

#include <QApplication>
#include <QBrush>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <limits>
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
        QObject::connect(
            tree, &QTreeWidget::itemChanged, &context, [this](QTreeWidgetItem *item, int column) {
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
    void rowProblems_data();
    void rowProblems();
    void problemFollowsSymbols();
    void floatingRoundTrip_data();
    void floatingRoundTrip();
    void floatingRefused_data();
    void floatingRefused();
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

// A name that stands for nothing says why, in place of the value, online and
// offline; a valid row still waiting for its value stays blank.
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
    row(ac::TYPE_REAL, "3.4028236e38", "does not fit a REAL");
    row(ac::TYPE_LREAL, "1e309", "does not fit a LREAL");
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

QTEST_MAIN(tst_VarTree)
#include "tst_vartree.moc"
