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
    void guardDefersDeletion();

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
    QTest::newRow("not json") << QByteArray("{") << "Device description:";
    QTest::newRow("radix 7") << withArea(R"({"name":"D","byteSize":2,"radix":7,)"
                                         R"("elementSize":2,"dataType":2})")
                             << "radix must be";
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
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("read");
    QTest::addColumn<Bytes>("expected"); // empty: not readable

    const auto row = [](const char *tag, const char *written, const Bytes &bytes, bool writable,
                        const char *read, const Bytes &expected) {
        QTest::newRow(tag) << QString::fromLatin1(written) << bytes << writable
                           << QString::fromLatin1(read) << expected;
    };
    row("high word of DINT", "D100.D", {1, 2, 3, 4}, true, "D101", {3, 4});
    row("bit 11 into word", "D100.11", {1}, true, "D100", {0, 0x08});
    row("non-zero sets a bit", "D100.0", {0x80}, true, "D100.0", {1});
    row("word to bit", "D7", {0, 0x80}, true, "D7.15", {1});
    row("neighbour bit", "X17", {1}, true, "X16", {0});
    row("never written", "D5", {1, 1}, true, "D6.DF", Bytes(8, 0));
    row("bit past end", "X400", {1}, false, "X400", {});
    row("value reaching past end", "R32767.D", {1, 2, 3, 4}, false, "R32767.D", {});
    row("offset far past end", "D2147483647", {1, 2}, false, "D2147483647", {});
    row("unparsed", "", {1, 2}, false, "", {});
    row("too few bytes", "D100.D", {1, 2}, false, "D100.D", {0, 0, 0, 0});
    row("two bytes into a bit", "D100.3", {1, 1}, false, "D100.3", {0});
}

void tst_ACCore::readWrite()
{
    QFETCH(QString, written);
    QFETCH(Bytes, bytes);
    QFETCH(QString, read);
    QFETCH(Bytes, expected);

    QTEST(m_fx->write(parsed(*m_fx, written), bytes), "writable");
    Bytes actual;
    QCOMPARE(m_fx->read(parsed(*m_fx, read), &actual), !expected.empty());
    if (!expected.empty())
        QCOMPARE(actual, expected);
}

// Only the host creates cores; a guard that merely asks must find none.
void tst_ACCore::guardDefersDeletion()
{
    QVERIFY(!SafeAccore("p", false));
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

QTEST_GUILESS_MAIN(tst_ACCore)
#include "tst_accore.moc"
