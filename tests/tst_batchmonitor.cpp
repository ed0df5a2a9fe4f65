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
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QUndoStack>

#include <memory>

namespace {

const QString project = QStringLiteral("Plant");

// A word area of 100 words, which the demo devices lack.
const char testDevice[] = R"({"name": "TEST-100", "areas": [
    {"name": "H", "byteSize": 200, "radix": 10, "elementSize": 2, "dataType": 2}]})";

// The device a table's area is looked at on: M is DEMO-WIDE's 2^32 bits, H
// TEST-100's.
QString deviceOf(const QString &area)
{
    if (area == QLatin1String("M"))
        return QStringLiteral("DEMO-WIDE");
    return area == QLatin1String("H") ? QStringLiteral("TEST-100") : QStringLiteral("DEMO-FX");
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

    void onOk_data();
    void onOk();
    void expansion_data();
    void expansion();
    void throughTheWindow_data();
    void throughTheWindow();
    void largeRanges_data();
    void largeRanges();

private:
    // Opens the project on that device: "DEMO-FX", "DEMO-WIDE", or "TEST-100" (a
    // DEMO-FX project whose controller core has other areas).
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
            host->writeProject(
                name, {QStringLiteral("Main")}, demo ? device : QStringLiteral("DEMO-FX")),
            &error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    if (device == QLatin1String("TEST-100")) {
        auto memory = DeviceCatalog::parse(QByteArray(testDevice), &error);
        ac::ACCore::open(std::make_unique<ac::ACCore>(name.toStdString(), std::move(memory)));
    }
    return error.isEmpty();
}

// Areas H (100 words) and M (2^32 bits); a length of 0 gives the range by its
// end address.
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
    const auto row = [](const char *tag,
                        const char *area,
                        const char *begin,
                        const char *end,
                        int length,
                        const char *message,
                        quint32 acceptedBegin = 0,
                        quint32 acceptedLength = 0) {
        QTest::newRow(tag) << QString::fromLatin1(area) << QString::fromLatin1(begin)
                           << QString::fromLatin1(end) << length << QString::fromLatin1(message)
                           << acceptedBegin << acceptedLength;
    };
    row("last address", "H", "99", "99", 0, "", 99, 1);
    row("begin past the end", "H", "100", "100", 0, beginOut);
    row("end past the end", "H", "10", "100", 0, endOut);
    row("end before begin", "H", "10", "9", 0, "Tip|End address can not less than begin address!");
    row("length to the end", "H", "90", "", 10, "", 90, 10);
    row("length past the end", "H", "90", "", 11, endOut);
    row("empty begin reads 0", "H", "", "4", 0, "", 0, 5);
    row("begin too long for any area", "H", "99999999999999999999999", "5", 0, beginOut);
    row("2^32 bits: last bit", "M", "4294967295", "4294967295", 0, "", 4294967295u, 1);
    row("2^32 bits: begin + length wraps", "M", "4294967295", "", 2, endOut);
    row("2^32 bits: the whole area", "M", "0", "4294967295", 0, endOut);
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

    const auto row = [](const char *tag,
                        const char *area,
                        quint32 begin,
                        quint32 length,
                        int dataType,
                        int showMode,
                        const QStringList &names) {
        QTest::newRow(tag) << QString::fromLatin1(area) << begin << length << dataType << showMode
                           << names;
    };
    QStringList bits;
    for (int bit = 0; bit < 16; ++bit)
        bits.append(QStringLiteral("D100.%1").arg(bit));
    row("octal bits", "X", 8, 3, 9, 2, names("X10,X11,X12"));
    row("INT, the area's own", "D", 100, 3, 2, 10, names("D100,D101,D102"));
    row("LREAL", "D", 100, 5, 11, 10, names("D100.DF"));
    row("BOOL", "D", 100, 1, 9, 2, bits);
    row("STRING shorter than a value", "D", 100, 40, 18, 10, {});
    row("STRING", "D", 100, 41, 18, 10, names("D100.T"));
    row("hex names in lower case", "W", 26, 4, 3, 16, names("W1a.D,W1c.D"));
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

// A mistyped length must not fill the machine's memory: above 100,000 rows
// the batch asks, past the most a list holds it refuses, and after No or a
// refusal nothing is added. What is added is one undo step.
void tst_BatchMonitor::largeRanges_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<int>("dataType");
    QTest::addColumn<QString>("answer"); // the button pressed in the message, if one comes
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("added");

    QTest::newRow("100,000 rows") << "M" << 100000u << 9 << ""
                                  << "" << 100000;
    QTest::newRow("100,016 bits of words, No") << "D" << 6251u << 9 << "&No"
                                               << "Add 100,016 rows to Main?" << 0;
    QTest::newRow("100,016 bits of words, Yes") << "D" << 6251u << 9 << "&Yes"
                                                << "Add 100,016 rows to Main?" << 100016;
    QTest::newRow("999,999,999 bits")
        << "M" << 999999999u << 9 << "OK"
        << "A watch list holds at most 10,000,000 entries: the 999,999,999 rows of this range "
           "do not fit into Main, which holds 1. Nothing was added."
        << 0;
}

void tst_BatchMonitor::largeRanges()
{
    QFETCH(QString, area);
    QFETCH(quint32, length);
    QFETCH(int, dataType);
    QFETCH(QString, answer);
    QFETCH(QString, message);
    QFETCH(int, added);

    QVERIFY(openProject(deviceOf(area)));
    list()->setVariables({QStringLiteral("Y0")});
    widget = std::make_unique<WatchListWidget>(QStringLiteral("Main"), project, nullptr);
    const int steps = host->workbench().undoStack(project)->count();
    QString shown;
    ModalDriver driver;
    if (!answer.isEmpty()) {
        driver.onNext("QMessageBox", [&shown, answer](QWidget *box) {
            shown = static_cast<QMessageBox *>(box)->text();
            ModalDriver::button(box, answer)->click();
        });
    }
    const int areaType = BatchMonotorDlg().dataTypeOf(area);
    widget->addBatchVariables({area, 0, length, dataType, areaType, 16});
    QVERIFY(driver.allHandled());
    QCOMPARE(shown, message);
    QCOMPARE(list()->getCount(), 1 + added);
    QCOMPARE(host->workbench().undoStack(project)->count(), steps + (added > 0 ? 1 : 0));
}

QTEST_MAIN(tst_BatchMonitor)
#include "tst_batchmonitor.moc"
