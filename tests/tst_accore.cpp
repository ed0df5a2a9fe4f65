#include "accore.h"
#include "devicecatalog.h"

#include <QTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

constexpr uint none = ~0u;

std::unique_ptr<ac::DeviceMemory> device(const char *name)
{
    QString error;
    auto memory = DeviceCatalog::create(QLatin1String(name), &error);
    if (!memory)
        qFatal("%s", qPrintable(error));
    return memory;
}

ac::HeapAddress parsed(const ac::DeviceMemory &memory, const QString &text)
{
    ac::HeapAddress address;
    memory.string2IecAddress(text.toStdString(), &address, false);
    return address;
}

} // namespace

class tst_ACCore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void brokenDescription_data();
    void brokenDescription();
    void parse_data();
    void parse();
    void readWrite_data();
    void readWrite();
    void refusedAccess_data();
    void refusedAccess();
    void guardDefersDeletion();
    void createOnlyWhenAsked();

private:
    std::unique_ptr<ac::DeviceMemory> m_fx;
};

void tst_ACCore::init()
{
    m_fx = device("DEMO-FX");
}

void tst_ACCore::cleanup()
{
    m_fx.reset();
    ac::ACCore::close("p");
}

void tst_ACCore::brokenDescription_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("problem");

    const auto withArea = [](const QByteArray &area) -> QByteArray {
        return R"({"name":"A","areas":[)" + area + "]}";
    };
    const char *d = R"({"name":"D","byteSize":16,"radix":10,"elementSize":2,"dataType":2})";
    QTest::newRow("not json") << QByteArray("{") << "Device description:";
    QTest::newRow("no areas") << QByteArray(R"({"name":"A"})") << "no list of areas";
    QTest::newRow("area twice") << withArea(QByteArray(d) + ',' + QByteArray(d))
                                << "D is listed twice";
    QTest::newRow("radix 7") << withArea(R"({"name":"D","byteSize":2,"radix":7,)"
                                         R"("elementSize":2,"dataType":2})")
                             << "radix must be";
    QTest::newRow("byte size over 32 bits")
        << withArea(R"({"name":"D","byteSize":4294967296,"radix":10,"elementSize":2,)"
                    R"("dataType":2})")
        << "byteSize is not";
    QTest::newRow("bit area over 2^32 bits")
        << withArea(R"({"name":"G","byteSize":536870913,"radix":10,"elementSize":0,)"
                    R"("dataType":24})")
        << "at most 2^32 bits";
}

void tst_ACCore::brokenDescription()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, problem);

    QString error;
    QVERIFY(!DeviceCatalog::parse(json, &error));
    QVERIFY2(error.contains(problem), qPrintable(error));
    QVERIFY(!DeviceCatalog::create(QStringLiteral("NO-SUCH-DEVICE"), &error));
    QVERIFY(error.contains(QStringLiteral("NO-SUCH-DEVICE")));
}

void tst_ACCore::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<uint>("area");
    QTest::addColumn<uint>("byteOffset");
    QTest::addColumn<uint>("bitOffset");
    QTest::addColumn<uint>("dataType");
    QTest::addColumn<uint>("byteLength");

    // DEMO-FX areas: X 0, Y 1, M 2, D 3, R 4, W 5.
    const auto good =
        [](const char *text, bool strict, uint area, uint byte, uint bit, uint type, uint length) {
            QTest::newRow(text) << text << strict << true << area << byte << bit << type << length;
        };
    const auto bad = [](const char *tag, const char *text, bool strict) {
        QTest::newRow(tag) << text << strict << false << 0u << none << none << none << 0u;
    };
    good("D100", true, 3, 200, none, ac::TYPE_INT, 2);
    good("D100.D", true, 3, 200, none, ac::TYPE_DINT, 4);
    good("D100.WT", true, 3, 200, none, ac::TYPE_WSTRING, 162);
    good("D100.3", true, 3, 200, 3, ac::TYPE_BOOL, 1);
    good("D100.11", true, 3, 201, 3, ac::TYPE_BOOL, 1);
    good("X17", true, 0, 1, 7, ac::TYPE_BIT, 1);
    good("W1a", true, 5, 52, none, ac::TYPE_INT, 2);
    good("W1A.15", true, 5, 53, 7, ac::TYPE_BOOL, 1);
    good("X400", false, 0, 32, 0, ac::TYPE_BIT, 1);
    good("D2147483647", false, 3, 4294967294u, none, ac::TYPE_INT, 2);

    bad("bit past end", "X400", true);
    bad("value reaching past end", "R32767.D", true);
    bad("string reaching past end", "D7999.T", true);
    bad("8 in octal", "X18", false);
    bad("empty", "", false);
    bad("unknown area", "Q100", false);
    bad("lower-case suffix", "D100.f", false);
    bad("two suffixes", "D100.3.1", false);
    bad("bit 16", "D100.16", false);
    bad("bit of a bit area", "X17.3", false);
    bad("offset over 32 bits", "D2147483648", false);
    bad("number over 32 bits", "M4294967296", false);
    bad("number over 64 bits", "D99999999999999999999999", false);
}

void tst_ACCore::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, strict);
    QFETCH(bool, ok);
    QFETCH(uint, dataType);

    ac::HeapAddress address;
    address.byteOffset = 12345;
    QCOMPARE(m_fx->string2IecAddress(text.toStdString(), &address, strict), ok);
    QTEST(uint(address.area), "area");
    QTEST(uint(address.byteOffset), "byteOffset");
    QTEST(uint(address.bitOffset), "bitOffset");
    QCOMPARE(uint(address.dataType), dataType);
    QTEST(uint(address.byteLength), "byteLength");
    QCOMPARE(uint(m_fx->iecAddressType(address)), ok ? dataType : uint(ac::TYPE_NONE));
}

void tst_ACCore::readWrite_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<QString>("read");
    QTest::addColumn<Bytes>("expected");

    QTest::newRow("high word of DINT") << "D100.D" << Bytes{1, 2, 3, 4} << "D101" << Bytes{3, 4};
    QTest::newRow("bit 11 into word") << "D100.11" << Bytes{1} << "D100" << Bytes{0, 0x08};
    QTest::newRow("non-zero sets a bit") << "D100.0" << Bytes{0x80} << "D100.0" << Bytes{1};
    QTest::newRow("word to bit") << "D7" << Bytes{0, 0x80} << "D7.15" << Bytes{1};
    QTest::newRow("neighbour bit") << "X17" << Bytes{1} << "X16" << Bytes{0};
    QTest::newRow("never written") << "D5" << Bytes{1, 1} << "D6.DF" << Bytes(8, 0);
}

void tst_ACCore::readWrite()
{
    QFETCH(QString, written);
    QFETCH(Bytes, bytes);
    QFETCH(QString, read);

    QVERIFY(m_fx->write(parsed(*m_fx, written), bytes));
    Bytes actual;
    QVERIFY(m_fx->read(parsed(*m_fx, read), &actual));
    QTEST(actual, "expected");
}

void tst_ACCore::refusedAccess_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<bool>("readable");

    QTest::newRow("bit past end") << "X400" << Bytes{1} << false;
    QTest::newRow("value reaching past end") << "R32767.D" << Bytes{1, 2, 3, 4} << false;
    QTest::newRow("offset far past end") << "D2147483647" << Bytes{1, 2} << false;
    QTest::newRow("unparsed") << "" << Bytes{1, 2} << false;
    QTest::newRow("too few bytes") << "D100.D" << Bytes{1, 2} << true;
    QTest::newRow("two bytes into a bit") << "D100.3" << Bytes{1, 1} << true;
}

void tst_ACCore::refusedAccess()
{
    QFETCH(QString, text);
    QFETCH(Bytes, bytes);

    const ac::HeapAddress address = parsed(*m_fx, text);
    QVERIFY(!m_fx->write(address, bytes));
    Bytes read;
    QTEST(m_fx->read(address, &read), "readable");
}

void tst_ACCore::guardDefersDeletion()
{
    ac::ACCore::open(std::make_unique<ac::ACCore>("p", device("DEMO-FX")));
    SafeAccore outer("p", false);
    QVERIFY(outer);
    {
        SafeAccore inner("p", false);
        QCOMPARE(inner.get(), outer.get());
        ac::ACCore::close("p");
        QVERIFY(!SafeAccore("p", false));
    }
    // Still pinned by the outer guard: usable (ASan would report a use after free).
    ac::DeviceMemory *memory = outer->deviceMemory();
    QVERIFY(memory->write(parsed(*memory, QStringLiteral("D0")), {1, 2}));

    // Reopening while the old core is pinned gives the new core to new guards.
    ac::ACCore::open(std::make_unique<ac::ACCore>("p", device("DEMO-WIDE")));
    SafeAccore current("p", false);
    QCOMPARE(current->deviceMemory()->deviceName(), std::string("DEMO-WIDE"));
    QCOMPARE(outer->deviceMemory()->deviceName(), std::string("DEMO-FX"));
}

void tst_ACCore::createOnlyWhenAsked()
{
    QVERIFY(!SafeAccore("p", false));
    ac::ACCore *created = nullptr;
    {
        SafeAccore guard("p", true);
        QVERIFY(guard);
        created = guard.get();
        QCOMPARE(guard->deviceMemory()->areaCount(), 0u);
    }
    QCOMPARE(SafeAccore("p", true).get(), created);
}

QTEST_GUILESS_MAIN(tst_ACCore)
#include "tst_accore.moc"
