#include "valueformat.h"

#include "accore.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace ValueFormat {

namespace {

struct TypeInfo
{
    uint32_t code;
    const char *name;
    uint32_t byteLength;
    bool isSigned;
};

const TypeInfo types[] = {
    {ac::TYPE_SINT, "SINT", 1, true},       {ac::TYPE_INT, "INT", 2, true},
    {ac::TYPE_DINT, "DINT", 4, true},       {ac::TYPE_LINT, "LINT", 8, true},
    {ac::TYPE_USINT, "USINT", 1, false},    {ac::TYPE_UINT, "UINT", 2, false},
    {ac::TYPE_UDINT, "UDINT", 4, false},    {ac::TYPE_ULINT, "ULINT", 8, false},
    {ac::TYPE_BOOL, "BOOL", 1, false},      {ac::TYPE_REAL, "REAL", 4, false},
    {ac::TYPE_LREAL, "LREAL", 8, false},    {ac::TYPE_TIME, "TIME", 4, true},
    {ac::TYPE_BYTE, "BYTE", 1, false},      {ac::TYPE_WORD, "WORD", 2, false},
    {ac::TYPE_DWORD, "DWORD", 4, false},    {ac::TYPE_LWORD, "LWORD", 8, false},
    {ac::TYPE_STRING, "STRING", 81, false}, {ac::TYPE_WSTRING, "WSTRING", 162, false},
    {ac::TYPE_BIT, "BOOL", 1, false},
};

const TypeInfo *info(uint32_t code)
{
    for (const TypeInfo &type : types) {
        if (type.code == code)
            return &type;
    }
    return nullptr;
}

uint64_t littleEndian(const std::vector<uint8_t> &bytes)
{
    uint64_t raw = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        raw = (raw << 8) | bytes[i];
    return raw;
}

// A signed value's bits of its own width, widened to 64 with its sign.
uint64_t signExtended(uint64_t raw, const TypeInfo &type)
{
    const int bits = int(type.byteLength * 8);
    if (type.isSigned && bits < 64 && (raw >> (bits - 1)) & 1u)
        raw |= ~uint64_t(0) << bits;
    return raw;
}

QString integerText(uint64_t raw, const TypeInfo &type, int showMode)
{
    if (showMode == 2 || showMode == 16)
        return QString::number(raw, showMode).toUpper();
    if (type.isSigned)
        return QString::number(qint64(signExtended(raw, type)));
    return QString::number(raw);
}

QString tr(const char *text)
{
    return QCoreApplication::translate("ValueFormat", text);
}

void putLittleEndian(uint64_t raw, uint32_t length, std::vector<uint8_t> *bytes)
{
    bytes->resize(length);
    for (uint32_t i = 0; i < length; ++i)
        (*bytes)[i] = uint8_t(raw >> (8 * i));
}

const int maximumStringLength = 80;

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A number too close to zero for any double ("1e-400"), which the reader
// answers as not ok, like a text that is no number.
bool underflows(const QString &text)
{
    const int e = text.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    if (e < 0)
        return false;
    bool mantissaOk = false;
    bool exponentOk = false;
    const double mantissa = QLocale::c().toDouble(text.left(e), &mantissaOk);
    const qint64 exponent = text.mid(e + 1).toLongLong(&exponentOk);
    return mantissaOk && exponentOk && mantissa != 0 && exponent < 0;
}

// The fewest digits that read back (through parse()) as the same bits: a
// value confirmed unchanged in its cell must write back what it was.
QString floatingText(double value, bool single)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    if (value == 0)
        return std::signbit(value) ? QStringLiteral("-0") : QStringLiteral("0");
    if (!single)
        return QString::number(value, 'g', QLocale::FloatingPointShortest);
    // Shortest for the float itself: the double it widens to needs up to 17 digits.
    for (int precision = 1; precision < 9; ++precision) {
        const QString text = QString::number(value, 'g', precision);
        if (sameBits(float(QLocale::c().toDouble(text)), float(value)))
            return text;
    }
    return QString::number(value, 'g', 9);
}

} // namespace

uint32_t typeCode(const QString &typeName)
{
    for (const TypeInfo &type : types) {
        if (typeName.compare(QLatin1String(type.name), Qt::CaseInsensitive) == 0)
            return type.code;
    }
    return ac::TYPE_NONE;
}

QString typeName(uint32_t typeCode)
{
    // One shared string per type: every row of a long list names its type.
    static const std::vector<QString> names = [] {
        std::vector<QString> all;
        for (const TypeInfo &type : types)
            all.push_back(QLatin1String(type.name));
        return all;
    }();
    const TypeInfo *type = info(typeCode);
    return type ? names[size_t(type - types)] : QString();
}

uint32_t byteLength(uint32_t typeCode)
{
    const TypeInfo *type = info(typeCode);
    return type ? type->byteLength : 0;
}

bool isInteger(uint32_t typeCode)
{
    switch (typeCode) {
    case ac::TYPE_SINT:
    case ac::TYPE_INT:
    case ac::TYPE_DINT:
    case ac::TYPE_LINT:
    case ac::TYPE_USINT:
    case ac::TYPE_UINT:
    case ac::TYPE_UDINT:
    case ac::TYPE_ULINT:
    case ac::TYPE_BYTE:
    case ac::TYPE_WORD:
    case ac::TYPE_DWORD:
    case ac::TYPE_LWORD:
        return true;
    default:
        return false;
    }
}

QString format(uint32_t typeCode, const std::vector<uint8_t> &bytes, int showMode)
{
    const TypeInfo *type = info(typeCode);
    if (!type || bytes.size() != type->byteLength)
        return QString();

    switch (typeCode) {
    case ac::TYPE_BOOL:
    case ac::TYPE_BIT:
        return bytes[0] ? QStringLiteral("1") : QStringLiteral("0");
    case ac::TYPE_REAL: {
        float value = 0;
        std::memcpy(&value, bytes.data(), sizeof value);
        return floatingText(double(value), true);
    }
    case ac::TYPE_LREAL: {
        double value = 0;
        std::memcpy(&value, bytes.data(), sizeof value);
        return floatingText(value, false);
    }
    case ac::TYPE_STRING: {
        const auto end = std::find(bytes.begin(), bytes.end(), uint8_t(0));
        return QString::fromLatin1(reinterpret_cast<const char *>(bytes.data()),
                                   int(end - bytes.begin()));
    }
    case ac::TYPE_WSTRING: {
        QString text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const ushort unit = ushort(bytes[i] | (bytes[i + 1] << 8));
            if (unit == 0)
                break;
            text.append(QChar(unit));
        }
        return text;
    }
    case ac::TYPE_TIME: {
        uint32_t raw = 0;
        std::memcpy(&raw, bytes.data(), sizeof raw);
        return QStringLiteral("T#") + QString::number(int32_t(raw)) + QStringLiteral("ms");
    }
    default:
        break;
    }

    return integerText(littleEndian(bytes), *type, showMode);
}

bool toNumber(uint32_t typeCode, const std::vector<uint8_t> &bytes, double *number)
{
    const TypeInfo *type = info(typeCode);
    if (!type || bytes.size() != type->byteLength)
        return false;
    switch (typeCode) {
    case ac::TYPE_STRING:
    case ac::TYPE_WSTRING:
        return false;
    case ac::TYPE_BOOL:
    case ac::TYPE_BIT:
        *number = bytes[0] ? 1 : 0;
        return true;
    case ac::TYPE_REAL: {
        float value = 0;
        std::memcpy(&value, bytes.data(), sizeof value);
        *number = double(value);
        return true;
    }
    case ac::TYPE_LREAL:
        std::memcpy(number, bytes.data(), sizeof *number);
        return true;
    default:
        break;
    }
    const uint64_t raw = signExtended(littleEndian(bytes), *type);
    *number = type->isSigned ? double(int64_t(raw)) : double(raw);
    return true;
}

} // namespace ValueFormat

namespace ValueFormat {

namespace {

QString notAValue(const QString &input, const QString &name, const QString &how = QString())
{
    return tr("\"%1\" is not a %2 value%3.").arg(input, name, how);
}

// The REAL or LREAL the text reads as, into bytes; else why it is none.
QString parseReal(uint32_t typeCode,
                  const QString &input,
                  const QString &text,
                  const QString &name,
                  std::vector<uint8_t> *bytes)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (ok && std::isnan(value))
        return tr("NaN cannot be written: a %1 value must be a number.").arg(name);
    // The reader answers out-of-range numbers as not ok, with the infinity
    // or the zero they would round to.
    if (std::isinf(value))
        return ok ? tr("An infinity cannot be written: a %1 value must be finite.").arg(name)
                  : tr("%1 does not fit in %2.").arg(input, name);
    if (!ok && underflows(text))
        return tr("%1 is too small for a %2 value: it would be written as 0.").arg(input, name);
    if (!ok)
        return notAValue(input, name, tr(" (a decimal number such as -1.5 or 2e3)"));
    if (typeCode == ac::TYPE_LREAL) {
        bytes->resize(8);
        std::memcpy(bytes->data(), &value, 8);
        return QString();
    }
    // Halfway between the largest float and 2^128 a REAL rounds to infinity.
    if (std::fabs(value) >= std::ldexp(1.0, 128) - std::ldexp(1.0, 103))
        return tr("%1 does not fit in %2.").arg(input, name);
    const float single = float(value);
    if (single == 0 && value != 0)
        return tr("%1 is too small for a %2 value: it would be written as 0.").arg(input, name);
    bytes->resize(4);
    std::memcpy(bytes->data(), &single, 4);
    return QString();
}

QString parseString(uint32_t typeCode,
                    const TypeInfo &type,
                    const QString &input,
                    const QString &name,
                    std::vector<uint8_t> *bytes)
{
    if (input.size() > maximumStringLength)
        return tr("A %1 value holds at most %2 characters.").arg(name).arg(maximumStringLength);
    bytes->assign(type.byteLength, 0);
    for (int i = 0; i < input.size(); ++i) {
        const ushort unit = input.at(i).unicode();
        if (typeCode == ac::TYPE_STRING) {
            if (unit > 0xff || unit == 0)
                return tr("A STRING value holds only Latin-1 characters.");
            (*bytes)[size_t(i)] = uint8_t(unit);
        } else {
            if (unit == 0)
                return notAValue(input, name);
            (*bytes)[size_t(2 * i)] = uint8_t(unit);
            (*bytes)[size_t(2 * i + 1)] = uint8_t(unit >> 8);
        }
    }
    return QString();
}

// An integer (or a TIME, "T#…ms") in the row's radix, into bytes; else why not.
QString parseInteger(uint32_t typeCode,
                     const TypeInfo &type,
                     const QString &input,
                     const QString &text,
                     int showMode,
                     const QString &name,
                     std::vector<uint8_t> *bytes)
{
    QString digits = text;
    int radix = showMode == 2 || showMode == 16 ? showMode : 10;
    if (typeCode == ac::TYPE_TIME) {
        radix = 10;
        if (digits.startsWith(QLatin1String("T#"), Qt::CaseInsensitive) &&
            digits.endsWith(QLatin1String("ms"), Qt::CaseInsensitive)) {
            digits = digits.mid(2, digits.size() - 4);
        }
    }
    const int bits = int(type.byteLength * 8);
    const uint64_t mask = bits == 64 ? ~uint64_t(0) : (uint64_t(1) << bits) - 1;
    bool ok = false;
    uint64_t raw = 0;
    if (radix == 10 && type.isSigned) {
        // A sign only where the value can have one; toLongLong takes "+5" as well.
        const qint64 value = digits.toLongLong(&ok, 10);
        const qint64 low =
            bits == 64 ? std::numeric_limits<qint64>::min() : -(qint64(1) << (bits - 1));
        const qint64 high =
            bits == 64 ? std::numeric_limits<qint64>::max() : (qint64(1) << (bits - 1)) - 1;
        if (!ok || digits.startsWith(QLatin1Char('+')))
            return notAValue(input, name);
        if (value < low || value > high)
            return tr("%1 does not fit in %2 (%3 to %4).").arg(input, name).arg(low).arg(high);
        raw = uint64_t(value) & mask;
    } else {
        raw = digits.toULongLong(&ok, radix);
        if (!ok || digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')) ||
            (radix == 16 && digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))) {
            return notAValue(input, name, radix == 10 ? QString() : tr(" in radix %1").arg(radix));
        }
        if (raw > mask) {
            return tr("%1 does not fit in %2 (at most %3).")
                .arg(input, name, QString::number(mask, radix).toUpper());
        }
    }
    putLittleEndian(raw, type.byteLength, bytes);
    return QString();
}

} // namespace

bool parse(uint32_t typeCode,
           const QString &input,
           int showMode,
           std::vector<uint8_t> *bytes,
           QString *error)
{
    const TypeInfo *type = info(typeCode);
    const QString text = input.trimmed();
    QString refusal;
    if (!type) {
        refusal = tr("Values of this row cannot be written.");
    } else {
        const QString name = QLatin1String(type->name);
        switch (typeCode) {
        case ac::TYPE_BOOL:
        case ac::TYPE_BIT:
            if (text != QLatin1String("0") && text != QLatin1String("1"))
                refusal = notAValue(input, name, tr(" (0 or 1)"));
            else
                putLittleEndian(text == QLatin1String("1"), 1, bytes);
            break;
        case ac::TYPE_REAL:
        case ac::TYPE_LREAL:
            refusal = parseReal(typeCode, input, text, name, bytes);
            break;
        case ac::TYPE_STRING:
        case ac::TYPE_WSTRING:
            refusal = parseString(typeCode, *type, input, name, bytes);
            break;
        default:
            refusal = parseInteger(typeCode, *type, input, text, showMode, name, bytes);
            break;
        }
    }
    if (!refusal.isEmpty() && error)
        *error = refusal;
    return refusal.isEmpty();
}

} // namespace ValueFormat
