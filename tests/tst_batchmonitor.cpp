#include "hostfixture.h"
#include "modaldriver.h"
#include "names.h"

#include "accore.h"
#include "batchmonotordlg.h"
#include "cookies.h"
#include "devicecatalog.h"
#include "controllertransfer.h"
#include "vartreewidget.h"
#include "watchlistobject.h"
#include "watchlistwidget.h"
#include "workbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <malloc.h>

#include <memory>

namespace {

const QString project = QStringLiteral("Plant");

// Areas the demo devices lack: 100 words, a binary bit area, double words.
const char testDevice[] = R"({"name": "TEST-100", "areas": [
    {"name": "H", "byteSize": 200, "radix": 10, "elementSize": 2, "dataType": 2},
    {"name": "B", "byteSize": 2, "radix": 2, "elementSize": 0, "dataType": 24},
    {"name": "E", "byteSize": 400, "radix": 10, "elementSize": 4, "dataType": 3}]})";

QStringList bitsOf(const QString &word)
{
    QStringList names;
    for (int bit = 0; bit < 16; ++bit)
        names.append(word + QLatin1Char('.') + QString::number(bit));
    return names;
}

template<typename T> T *part(QObject *dialog, const char *name)
{
    return dialog->findChild<T *>(QLatin1String(name));
}

// A 512 MiB area allocated at once shows here.
[[maybe_unused]] qint64 heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
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
    void wideDeviceGoesOnlineSparsely();

private:
    // Opens the project on that device: "DEMO-FX", "DEMO-WIDE", or "TEST-100" and
    // "HUGE-BITS" (DEMO-FX projects whose controller core has other areas).
    bool openProject(const QString &device, const QString &name = project);
    WatchListObject *list() const { return host->watchList(project, QStringLiteral("Main")); }
    // Fills the form and presses OK; the message shown, as "title|text".
    QString pressOk(BatchMonotorDlg *dialog,
                    const QString &type,
                    const QString &begin,
                    const QString &end,
                    int length);

    std::unique_ptr<HostFixture> host;
    std::unique_ptr<WatchListWidget> widget;
};

void tst_BatchMonitor::cleanup()
{
    widget.reset();
    host->workbench().transfer()->setOnline(false);
    host.reset();
    QTRY_VERIFY(!QApplication::activeModalWidget());
}

bool tst_BatchMonitor::openProject(const QString &device, const QString &name)
{
    const QString projectDevice = device == QLatin1String("DEMO-WIDE") ? device
                                                                       : QStringLiteral("DEMO-FX");
    QString error;
    if (!host->workbench().openProject(
            host->writeProject(name, {QStringLiteral("Main")}, projectDevice), &error)) {
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

QString tst_BatchMonitor::pressOk(BatchMonotorDlg *dialog,
                                  const QString &type,
                                  const QString &begin,
                                  const QString &end,
                                  int length)
{
    auto types = part<QComboBox>(dialog, "comboSCType");
    types->setCurrentIndex(types->findText(type));
    // Set, not typed: some texts are past what the validators let through.
    part<QLineEdit>(dialog, "editBeginAddr")->setText(begin);
    if (length > 0) {
        QTest::mouseClick(part<QCheckBox>(dialog, "checkLength"), Qt::LeftButton);
        part<QSpinBox>(dialog, "spinLength")->setValue(length);
    } else {
        part<QLineEdit>(dialog, "editEndAddr")->setText(end);
    }

    QString message;
    ModalDriver driver;
    driver.onNext("QMessageBox", ModalDriver::noteMessage(&message));
    // A message box runs modally inside the click.
    QTest::mouseClick(part<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
    return message;
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
    auto end = part<QLineEdit>(&dialog, "editEndAddr");
    spin->setValue(0);
    QCOMPARE(spin->value(), 1);
    spin->setValue(1000000000);
    QCOMPARE(spin->value(), 999999999);
    dialog.show();
    for (bool lengthChecked : {true, false}) {
        QTest::mouseClick(part<QCheckBox>(&dialog, "checkLength"), Qt::LeftButton);
        QVERIFY(spin->isEnabled() == lengthChecked && end->isEnabled() != lengthChecked);
    }
}

void tst_BatchMonitor::areas_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("area");
    QTest::addColumn<quint64>("count");
    QTest::addColumn<quint32>("radix");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<QStringList>("typeAndMode"); // the lists' texts, enabled only for words
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *device, const char *area, quint64 count, quint32 radix,
                        int dataType, const char *typeAndMode, const char *typed,
                        const char *shown) {
        QTest::newRow(area) << QString::fromLatin1(device) << QString::fromLatin1(area) << count
                            << radix << dataType << names(typeAndMode) << QString::fromLatin1(typed)
                            << QString::fromLatin1(shown);
    };
    row("DEMO-FX", "X", 256, 8, ac::TYPE_BOOL, "BOOL,Binary", "178", "17");
    row("DEMO-FX", "D", 8000, 10, ac::TYPE_INT, "INT,Decimal", "-1A2", "12");
    row("DEMO-FX", "W", 512, 16, ac::TYPE_INT, "INT,Decimal", "1A1a", "1A1");
    row("TEST-100", "B", 16, 2, ac::TYPE_BOOL, "BOOL,Binary", "1021", "101");
    row("TEST-100", "E", 100, 10, ac::TYPE_DINT, "DINT,Decimal", "-1A2", "12");
    row("DEMO-WIDE", "M", quint64(1) << 32, 10, ac::TYPE_BOOL, "BOOL,Binary", "-1A2", "12");
}

void tst_BatchMonitor::areas()
{
    QFETCH(QString, device);
    QFETCH(QString, area);
    QFETCH(QStringList, typeAndMode);
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    QVERIFY(openProject(device));
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
        QCOMPARE(edit->text(), shown);
    }
}

// Areas H (100 words, on TEST-100), M (2^32 bits, on DEMO-WIDE) and G (nearly
// 2^35 bits, on HUGE-BITS); a length of 0 gives the range by its end address.
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
    QFETCH(QString, message);

    const QString device = area == QLatin1String("H")   ? QStringLiteral("TEST-100")
                           : area == QLatin1String("M") ? QStringLiteral("DEMO-WIDE")
                                                        : QStringLiteral("HUGE-BITS");
    QVERIFY(openProject(device));
    BatchMonotorDlg dialog;
    dialog.show();
    QFETCH(QString, end);
    QFETCH(int, length);
    QCOMPARE(pressOk(&dialog, area, begin, end, length), message);
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

void tst_BatchMonitor::expansion_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("area");
    QTest::addColumn<quint32>("begin");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<int>("showMode");
    QTest::addColumn<QStringList>("names");

    const auto row = [](const char *tag, const char *device, const char *area, quint32 begin,
                        quint32 length, int dataType, int showMode, const QStringList &names) {
        QTest::newRow(tag) << QString::fromLatin1(device) << QString::fromLatin1(area) << begin
                           << length << dataType << showMode << names;
    };
    row("octal bits", "DEMO-FX", "X", 8, 3, 9, 2, names("X10,X11,X12"));
    row("INT, the area's own", "DEMO-FX", "D", 100, 3, 2, 10, names("D100,D101,D102"));
    row("DINT", "DEMO-FX", "D", 100, 5, 3, 16, names("D100.D,D102.D"));
    row("LREAL", "DEMO-FX", "D", 100, 5, 11, 10, names("D100.DF"));
    row("BOOL", "DEMO-FX", "D", 100, 1, 9, 2, bitsOf(QStringLiteral("D100")));
    row("STRING shorter than a value", "DEMO-FX", "D", 100, 40, 18, 10, {});
    row("STRING", "DEMO-FX", "D", 100, 41, 18, 10, names("D100.T"));
    row("hex names in lower case", "DEMO-FX", "W", 26, 4, 3, 16, names("W1a.D,W1c.D"));
    row("other type on double words", "TEST-100", "E", 0, 10, 2, 10, {});
    row("range past the area", "DEMO-FX", "D", 7999, 2, 2, 10, {});
    row("wrapping past 2^32 bits", "DEMO-WIDE", "M", 4294967295u, 2, 9, 2, {});
}

void tst_BatchMonitor::expansion()
{
    QFETCH(QString, device);
    QFETCH(QString, area);
    QFETCH(int, showMode);
    QFETCH(QStringList, names);

    QVERIFY(openProject(device));
    list()->setVariables({QStringLiteral("Y0")});
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    widget->resize(600, 150);

    BatchMonitorParam param;
    param.scDataType = BatchMonotorDlg().dataTypeOf(area);
    param.scType = area;
    QFETCH(quint32, begin);
    QFETCH(quint32, length);
    QFETCH(int, dataType);
    param.beginAddress = begin;
    param.length = length;
    param.dataType = dataType;
    param.showMode = showMode;
    widget->addBatchVariables(param);

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
    QTest::addColumn<QStringList>("names");

    QTest::newRow("OK") << true << names("R20000.D,R20002.D,R20004.D");
    QTest::newRow("Cancel") << false << QStringList();
}

// The window asks about its own project's device, whichever project the
// solution tree has made current (DEMO-WIDE has no R area).
void tst_BatchMonitor::throughTheWindow()
{
    QFETCH(bool, accept);
    QFETCH(QStringList, names);

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
    QCOMPARE(areas.join(QLatin1Char(',')), QStringLiteral("X,Y,M,D,R,W"));

    QCOMPARE(list()->variables(), QStringList{QStringLiteral("M0")} + names);
    VarTreeWidget *tree = widget->tree();
    QCOMPARE(tree->topLevelItemCount(), names.size() + 2);
    for (int row = 1; row <= names.size(); ++row)
        QCOMPARE(tree->integerShowMode(row), 16);
    QCOMPARE(tree->getItemData(tree->topLevelItem(0), 0), QStringLiteral("M0"));
}

// The simulated controller writes the first bytes of a 2^32-bit M area; the
// area must not be allocated for it.
void tst_BatchMonitor::wideDeviceGoesOnlineSparsely()
{
    QVERIFY(openProject(QStringLiteral("DEMO-WIDE")));
#if !defined(__SANITIZE_ADDRESS__)
    const qint64 heapBefore = heapBytes();
#endif
    host->workbench().transfer()->setOnline(true);

    SafeAccore core(project.toStdString(), false);
    ac::DeviceMemory *memory = core->deviceMemory();
    const auto bit = [memory](const char *name) {
        ac::HeapAddress address;
        std::vector<uint8_t> bytes;
        if (!memory->string2IecAddress(name, &address, true) || !memory->read(address, &bytes))
            return -1;
        return int(bytes.at(0));
    };
    // M0 to M7 count in binary: M1 turns on within a few steps.
    QTRY_COMPARE(bit("M1"), 1);
    host->workbench().transfer()->setOnline(false);

    ac::HeapAddress top;
    QVERIFY(memory->string2IecAddress("M4294967295", &top, true));
    QVERIFY(memory->write(top, {1}));
    QCOMPARE(bit("M4294967295"), 1);
    QCOMPARE(bit("M4294967294"), 0);
    QCOMPARE(bit("M2147483648"), 0);

    // Bytes across a page boundary.
    ac::HeapAddress span = top;
    span.byteOffset = 65534;
    span.bitOffset = ~0u;
    span.byteLength = 4;
    QVERIFY(memory->write(span, {1, 2, 3, 4}));
    std::vector<uint8_t> bytes;
    QVERIFY(memory->read(span, &bytes));
    QCOMPARE(bytes, (std::vector<uint8_t>{1, 2, 3, 4}));
    QVERIFY(!memory->areaData(top.area));

#if defined(__SANITIZE_ADDRESS__)
    QSKIP("The sanitizer's allocator keeps its own books.");
#else
    QVERIFY2(heapBytes() - heapBefore < 16 * 1024 * 1024,
             qPrintable(QString::number(heapBytes() - heapBefore)));
#endif
}

QTEST_MAIN(tst_BatchMonitor)
#include "tst_batchmonitor.moc"
