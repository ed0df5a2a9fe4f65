#include "accore.h"
#include "devicecatalog.h"

#include <QTest>

#include <memory>

using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
using Fields = QList<uint>;

namespace {

constexpr uint none = ~0u;
// What a refused address is left as.
const Fields refused{0, none, none, none, 0};

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

    void parse_data();
    void parse();
    void readWrite_data();
    void readWrite();

private:
    std::unique_ptr<ac::DeviceMemory> m_fx;
};

void tst_ACCore::init()
{
    m_fx = device("DEMO-FX");
}

void tst_ACCore::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("strict");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<Fields>("fields"); // area, byte offset, bit offset, data type, byte length

    const auto row = [](const QByteArray &text, bool strict, const Fields &fields = refused) {
        const QByteArray tag = (text.isEmpty() ? "(empty)" : text) + (strict ? " strict" : "");
        QTest::newRow(tag.constData())
            << QString::fromLatin1(text) << strict << (fields != refused) << fields;
    };
    // DEMO-FX areas: X 0, Y 1, M 2, D 3 (8000 words), R 4, W 5.
    row("D100", true, {3, 200, none, ac::TYPE_INT, 2});
    row("D7999", true, {3, 15998, none, ac::TYPE_INT, 2});
    row("D100.D", true, {3, 200, none, ac::TYPE_DINT, 4});
    row("D100.3", true, {3, 200, 3, ac::TYPE_BOOL, 1});
    row("D100.11", true, {3, 201, 3, ac::TYPE_BOOL, 1});
    row("X17", true, {0, 1, 7, ac::TYPE_BIT, 1});
    row("W1a", true, {5, 52, none, ac::TYPE_INT, 2});
    row("X400", false, {0, 32, 0, ac::TYPE_BIT, 1});
    row("D2147483647", false, {3, 4294967294u, none, ac::TYPE_INT, 2});
    // Past the end: the bit, a value's last bytes, a string's.
    for (const QByteArray &text : QByteArray("X400 R32767.D D7999.T").split(' '))
        row(text, true);
    // Empty, octal 8, unknown area, lower-case suffix, two suffixes, bit 16, bit
    // of a bit area, offset and numbers beyond 32 and 64 bits.
    const QByteArray wrong(
        ",X18,Q100,D100.f,D100.3.1,D100.16,X17.3,D2147483648,M4294967296,D99999999999999999999999");
    for (const QByteArray &text : wrong.split(','))
        row(text, false);
}

void tst_ACCore::parse()
{
    QFETCH(QString, text);
    QFETCH(bool, strict);
    QFETCH(bool, ok);
    QFETCH(Fields, fields);

    ac::HeapAddress address;
    address.byteOffset = 12345;
    QCOMPARE(m_fx->string2IecAddress(text.toStdString(), &address, strict), ok);
    QCOMPARE((Fields{address.area,
                     address.byteOffset,
                     address.bitOffset,
                     uint(address.dataType),
                     address.byteLength}),
             fields);
    QCOMPARE(uint(m_fx->iecAddressType(address)), ok ? fields[3] : uint(ac::TYPE_NONE));
}

void tst_ACCore::readWrite_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<Bytes>("bytes");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("read");
    QTest::addColumn<Bytes>("expected"); // empty: not readable

    const auto row = [](const char *tag,
                        const char *written,
                        const Bytes &bytes,
                        bool writable,
                        const char *read,
                        const Bytes &expected) {
        QTest::newRow(tag) << QString::fromLatin1(written) << bytes << writable
                           << QString::fromLatin1(read) << expected;
    };
    row("bit 11 into word", "D100.11", {1}, true, "D100", {0, 0x08});
    row("value reaching past end", "R32767.D", {1, 2, 3, 4}, false, "R32767.D", {});
    row("offset far past end", "D2147483647", {1, 2}, false, "D2147483647", {});
    row("too few bytes", "D100.D", {1, 2}, false, "D100.D", {0, 0, 0, 0});
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

QTEST_GUILESS_MAIN(tst_ACCore)
#include "tst_accore.moc"
