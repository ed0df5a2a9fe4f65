#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "accore.h"
#include "batchmonotordlg.h"
#include "cookies.h"
#include "devicecatalog.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

namespace {

const QString project = QStringLiteral("Plant");

// Areas the demo devices lack: 100 words, a binary bit area, double words.
const char testDevice[] = R"({"name": "TEST-100", "areas": [
    {"name": "H", "byteSize": 200, "radix": 10, "elementSize": 2, "dataType": 2},
    {"name": "B", "byteSize": 2, "radix": 2, "elementSize": 0, "dataType": 24},
    {"name": "E", "byteSize": 400, "radix": 10, "elementSize": 4, "dataType": 3}]})";

// The device a table's area is looked at on: M is DEMO-WIDE's 2^32 bits, G
// HUGE-BITS' nearly 2^35 bits, H, B and E are TEST-100's.
QString deviceOf(const QString &area)
{
    if (area == QLatin1String("M"))
        return QStringLiteral("DEMO-WIDE");
    if (area == QLatin1String("G"))
        return QStringLiteral("HUGE-BITS");
    return QStringLiteral("HBE").contains(area) ? QStringLiteral("TEST-100")
                                                : QStringLiteral("DEMO-FX");
}

template<typename T> T *part(QObject *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

} // namespace

class tst_BatchMonitor : public QObject
{
    Q_OBJECT

private slots:
    void init() { host = std::make_unique<HostFixture>(); }
    void cleanup();

    void withoutProject();
    void areas_data();
    void areas();
    void onOk_data();
    void onOk();
    void expansion_data();
    void expansion();
    void throughTheWindow_data();
    void throughTheWindow();

private:
    // Opens the project on that device: "DEMO-FX", "DEMO-WIDE", or "TEST-100" and
    // "HUGE-BITS" (DEMO-FX projects whose controller core has other areas).
    bool openProject(const QString &device, const QString &name = project);
    WatchListObject *list() const { return host->watchList(project, QStringLiteral("Main")); }

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListWidget> widget;
};

void tst_BatchMonitor::cleanup()
{
    widget.reset();
    host.reset();
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

bool tst_BatchMonitor::openProject(const QString &device, const QString &name)
{
    const bool demo = device.startsWith(QLatin1String("DEMO"));
    QString error;
    if (!host->workbench().openProject(
            host->writeProject(name, {QStringLiteral("Main")}, demo ? device : QStringLiteral("DEMO-FX")), &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    std::unique_ptr<ac::DeviceMemory> memory;
    if (device == QLatin1String("TEST-100")) {
        memory = DeviceCatalog::parse(QByteArray(testDevice), &error);
    } else if (device == QLatin1String("HUGE-BITS")) {
        // Past what the catalogue accepts: the dialog must not rely on it.
        memory = std::make_unique<ac::DeviceMemory>(
            "HUGE-BITS",
            std::vector<ac::JapanMemLayout>{{"G", 0xFFFFFFFFu, 10, 0, ac::TYPE_BIT}});
    }
    if (memory)
        ac::ACCore::open(std::make_unique<ac::ACCore>(name.toStdString(), std::move(memory)));
    return error.isEmpty();
}

// No core to ask; the length controls need none.
void tst_BatchMonitor::withoutProject()
{
    BatchMonotorDlg dialog;
    QCOMPARE(dialog.addressCountOf(QStringLiteral("D")), quint64(0));
    QCOMPARE(dialog.radixOf(QStringLiteral("D")), 10u);
    QCOMPARE(dialog.dataTypeOf(QStringLiteral("D")), 0);
    QCOMPARE(part<QComboBox>(&dialog, "comboSCType")->count(), 0);
    QCOMPARE(part<QLineEdit>(&dialog, "editBeginAddr")->text(), QStringLiteral("0"));

    auto spin = part<QSpinBox>(&dialog, "spinLength");
    QCOMPARE(qMakePair(spin->minimum(), spin->maximum()), qMakePair(1, 999999999));
    dialog.show();
    for (bool lengthChecked : {true, false}) {
        QTest::mouseClick(part<QCheckBox>(&dialog, "checkLength"), Qt::LeftButton);
        QCOMPARE(spin->isEnabled(), lengthChecked);
        QCOMPARE(part<QLineEdit>(&dialog, "editEndAddr")->isEnabled(), !lengthChecked);
    }
}

void tst_BatchMonitor::areas_data()
{
    QTest::addColumn<quint64>("count");
    QTest::addColumn<quint32>("radix");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<QStringList>("typeAndMode"); // the lists' texts, enabled only for words
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *area, quint64 count, quint32 radix, int dataType,
                        const char *typeAndMode, const char *typed, const char *shown) {
        QTest::newRow(area) << count << radix << dataType << names(typeAndMode)
                            << QString::fromLatin1(typed) << QString::fromLatin1(shown);
    };
    row("X", 256, 8, ac::TYPE_BOOL, "BOOL,Binary", "178", "17");
    row("D", 8000, 10, ac::TYPE_INT, "INT,Decimal", "-1A2", "12");
    row("W", 512, 16, ac::TYPE_INT, "INT,Decimal", "1A1a", "1A1");
    row("B", 16, 2, ac::TYPE_BOOL, "BOOL,Binary", "1021", "101");
    row("E", 100, 10, ac::TYPE_DINT, "DINT,Decimal", "-1A2", "12");
    row("M", quint64(1) << 32, 10, ac::TYPE_BOOL, "BOOL,Binary", "-1A2", "12");
}

void tst_BatchMonitor::areas()
{
    const QString area = QString::fromLatin1(QTest::currentDataTag());
    QFETCH(QStringList, typeAndMode);
    QFETCH(QString, typed);

    QVERIFY(openProject(deviceOf(area)));
    BatchMonotorDlg dialog;
    dialog.show();
    QTEST(dialog.addressCountOf(area), "count");
    QTEST(dialog.radixOf(area), "radix");
    QTEST(dialog.dataTypeOf(area), "dataType");
    const QString unknown = QStringLiteral("Q");
    QCOMPARE(dialog.addressCountOf(unknown), quint64(0));
    QCOMPARE(dialog.radixOf(unknown), 10u);
    QCOMPARE(dialog.dataTypeOf(unknown), 0);

    auto types = part<QComboBox>(&dialog, "comboSCType");
    auto dataTypes = part<QComboBox>(&dialog, "comboDataType");
    auto showModes = part<QComboBox>(&dialog, "comboShowMode");
    auto begin = part<QLineEdit>(&dialog, "editBeginAddr");
    auto end = part<QLineEdit>(&dialog, "editEndAddr");
    // Opened on the first area, with its address fields emptied.
    QVERIFY(begin->text().isEmpty() && end->text().isEmpty());
    // Start from another area, with something typed in.
    types->setCurrentIndex(types->findText(area) == 0 ? 1 : 0);
    begin->setText(QStringLiteral("12"));
    end->setText(QStringLiteral("13"));
    types->setCurrentIndex(types->findText(area));

    QCOMPARE(QStringList({dataTypes->currentText(), showModes->currentText()}), typeAndMode);
    const bool words = typeAndMode.at(0) != QLatin1String("BOOL");
    QCOMPARE(dataTypes->isEnabled(), words);
    QCOMPARE(showModes->isEnabled(), words);
    for (QLineEdit *edit : {begin, end}) {
        QVERIFY(edit->text().isEmpty());
        QTest::keyClicks(edit, typed);
        QTEST(edit->text(), "shown");
    }
}

// Areas H (100 words), M (2^32 bits) and G (nearly 2^35 bits); a length of 0
// gives the range by its end address.
void tst_BatchMonitor::onOk_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("begin");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("message");
    QTest::addColumn<quint32>("acceptedBegin");
    QTest::addColumn<quint32>("acceptedLength");

    const char *beginOut = "Tip|Begin address out of limt!";
    const char *endOut = "Tip|End address out of limt!";
    const auto row = [](const char *tag, const char *area, const char *begin, const char *end,
                        int length, const char *message, quint32 acceptedBegin = 0,
                        quint32 acceptedLength = 0) {
        QTest::newRow(tag) << QString::fromLatin1(area) << QString::fromLatin1(begin)
                           << QString::fromLatin1(end) << length << QString::fromLatin1(message)
                           << acceptedBegin << acceptedLength;
    };
    row("last address", "H", "99", "99", 0, "", 99, 1);
    row("begin past the end", "H", "100", "100", 0, beginOut);
    row("end past the end", "H", "10", "100", 0, endOut);
    row("end before begin", "H", "10", "9", 0, "Tip|End address can not less than begin address!");
    row("begin checked first", "H", "100", "9", 0, beginOut);
    row("length to the end", "H", "90", "", 10, "", 90, 10);
    row("length past the end", "H", "90", "", 11, endOut);
    row("empty begin reads 0", "H", "", "4", 0, "", 0, 5);
    row("begin too long for any area", "H", "99999999999999999999999", "5", 0, beginOut);
    row("2^32 bits: last bit", "M", "4294967295", "4294967295", 0, "", 4294967295u, 1);
    row("2^32 bits: begin + length wraps", "M", "4294967295", "", 2, endOut);
    row("2^32 bits: long range wraps", "M", "4294967000", "", 999999999, endOut);
    row("2^32 bits: the whole area", "M", "0", "4294967295", 0, endOut);
    row("huge bit area: begin past 32 bits", "G", "4294967301", "", 1, beginOut);
    row("huge bit area: end past 32 bits", "G", "4294967295", "", 2, endOut);
}

void tst_BatchMonitor::onOk()
{
    QFETCH(QString, area);
    QFETCH(QString, begin);
    QFETCH(int, length);
    QFETCH(QString, message);

    QVERIFY(openProject(deviceOf(area)));
    BatchMonotorDlg dialog;
    dialog.show();
    auto types = part<QComboBox>(&dialog, "comboSCType");
    types->setCurrentIndex(types->findText(area));
    // Set, not typed: some texts are past what the validators let through.
    part<QLineEdit>(&dialog, "editBeginAddr")->setText(begin);
    if (length > 0) {
        QTest::mouseClick(part<QCheckBox>(&dialog, "checkLength"), Qt::LeftButton);
        part<QSpinBox>(&dialog, "spinLength")->setValue(length);
    } else {
        QFETCH(QString, end);
        part<QLineEdit>(&dialog, "editEndAddr")->setText(end);
    }
    QString shown;
    ModalDriver driver;
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&shown));
    // A message box runs modally inside the click.
    QTest::mouseClick(part<QPushButton>(&dialog, "btnOK"), Qt::LeftButton);

    QCOMPARE(shown, message);
    QCOMPARE(dialog.result() == QDialog::Accepted, message.isEmpty());
    if (message.isEmpty()) {
        QCOMPARE(dialog.param.scType, area);
        QTEST(dialog.param.beginAddress, "acceptedBegin");
        QTEST(dialog.param.length, "acceptedLength");
        QCOMPARE(dialog.param.scDataType, dialog.dataTypeOf(area));
        QCOMPARE(dialog.param.dataType,
                 part<QComboBox>(&dialog, "comboDataType")->currentData().toInt());
        QCOMPARE(dialog.param.showMode,
                 part<QComboBox>(&dialog, "comboShowMode")->currentData().toInt());
    } else {
        // Left open as the user left it.
        QVERIFY(dialog.isVisible());
        QCOMPARE(part<QLineEdit>(&dialog, "editBeginAddr")->text(), begin);
    }
}

// An empty list of names: nothing added.
void tst_BatchMonitor::expansion_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<quint32>("begin");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<int>("showMode");
    QTest::addColumn<QStringList>("names");

    const auto row = [](const char *tag, const char *area, quint32 begin, quint32 length,
                        int dataType, int showMode, const QStringList &names) {
        QTest::newRow(tag) << QString::fromLatin1(area) << begin << length << dataType << showMode
                           << names;
    };
    QStringList bits;
    for (int bit = 0; bit < 16; ++bit)
        bits.append(QStringLiteral("D100.%1").arg(bit));
    row("octal bits", "X", 8, 3, 9, 2, names("X10,X11,X12"));
    row("INT, the area's own", "D", 100, 3, 2, 10, names("D100,D101,D102"));
    row("DINT", "D", 100, 5, 3, 16, names("D100.D,D102.D"));
    row("LREAL", "D", 100, 5, 11, 10, names("D100.DF"));
    row("BOOL", "D", 100, 1, 9, 2, bits);
    row("STRING shorter than a value", "D", 100, 40, 18, 10, {});
    row("STRING", "D", 100, 41, 18, 10, names("D100.T"));
    row("hex names in lower case", "W", 26, 4, 3, 16, names("W1a.D,W1c.D"));
    row("other type on double words", "E", 0, 10, 2, 10, {});
    row("range past the area", "D", 7999, 2, 2, 10, {});
    row("wrapping past 2^32 bits", "M", 4294967295u, 2, 9, 2, {});
}

void tst_BatchMonitor::expansion()
{
    QFETCH(QString, area);
    QFETCH(quint32, begin);
    QFETCH(quint32, length);
    QFETCH(int, dataType);
    QFETCH(int, showMode);
    QFETCH(QStringList, names);

    QVERIFY(openProject(deviceOf(area)));
    list()->setVariables({QStringLiteral("Y0")});
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->resize(600, 150);
    const int areaType = BatchMonotorDlg().dataTypeOf(area);
    widget->addBatchVariables({area, begin, length, dataType, areaType, showMode});

    QCOMPARE(list()->variables(), QStringList{QStringLiteral("Y0")} + names);
    VarTreeWidget *tree = widget->tree();
    // The batch ends by loading rows into view.
    QCOMPARE(widget->lastLoadedRow(), qMin(names.size(), 4 * (tree->height() / 15)));
    widget->showVariable(names.size());
    QCOMPARE(tree->integerShowMode(0), 10);
    for (int row = 1; row <= names.size(); ++row) {
        QCOMPARE(tree->getItemData(tree->topLevelItem(row), 0), names.at(row - 1));
        QCOMPARE(tree->integerShowMode(row), showMode);
    }
}

void tst_BatchMonitor::throughTheWindow_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("OK") << true << names("R20000.D,R20002.D,R20004.D");
    QTest::newRow("Cancel") << false << QStringList();
}

// The window asks about its own project's device, whichever project the
// solution tree has made current (DEMO-WIDE has no R area).
void tst_BatchMonitor::throughTheWindow()
{
    QFETCH(bool, accept);
    QFETCH(QStringList, added);

    QVERIFY(openProject(QStringLiteral("DEMO-FX")));
    list()->setVariables({QStringLiteral("M0")});
    QVERIFY(openProject(QStringLiteral("DEMO-WIDE"), QStringLiteral("Wide")));
    QCOMPARE(host->workbench().cookies()->value(QStringLiteral("Project.Name")).toString(),
             QStringLiteral("Wide"));
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);

    QStringList areas;
    ModalDriver driver;
    driver.onNext("BatchMonotorDlg", [accept, &areas](QWidget *dialog) {
        auto types = part<QComboBox>(dialog, "comboSCType");
        for (int i = 0; i < types->count(); ++i)
            areas.append(types->itemText(i));
        types->setCurrentIndex(types->findText(QStringLiteral("R")));
        auto dataTypes = part<QComboBox>(dialog, "comboDataType");
        dataTypes->setCurrentIndex(dataTypes->findText(QStringLiteral("DINT")));
        auto showModes = part<QComboBox>(dialog, "comboShowMode");
        showModes->setCurrentIndex(showModes->findText(QStringLiteral("Hexadecimal")));
        QTest::keyClicks(part<QLineEdit>(dialog, "editBeginAddr"), QStringLiteral("20000"));
        QTest::keyClicks(part<QLineEdit>(dialog, "editEndAddr"), QStringLiteral("20005"));
        part<QPushButton>(dialog, accept ? "btnOK" : "btnCancel")->click();
    });
    widget->onBatchMonitor();
    QVERIFY(driver.allHandled());
    QCOMPARE(areas, names("X,Y,M,D,R,W"));

    QCOMPARE(list()->variables(), QStringList{QStringLiteral("M0")} + added);
    VarTreeWidget *tree = widget->tree();
    QCOMPARE(tree->topLevelItemCount(), added.size() + 2);
    QCOMPARE(tree->getItemData(tree->topLevelItem(0), 0), QStringLiteral("M0"));
    for (int row = 1; row <= added.size(); ++row)
        QCOMPARE(tree->integerShowMode(row), 16);
}

QTEST_MAIN(tst_BatchMonitor)
#include "tst_batchmonitor.moc"
