#include "valueformat.h"

#include "accore.h"

#include <algorithm>
#include <cstring>
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

QString integerText(uint64_t raw, const TypeInfo &type, int showMode)
{
    const int bits = int(type.byteLength * 8);
    if (showMode == 2 || showMode == 16)
        return QString::number(raw, showMode).toUpper();
    if (type.isSigned && bits < 64 && (raw >> (bits - 1)) & 1u)
        return QString::number(qint64(raw | (~uint64_t(0) << bits)));
    if (type.isSigned)
        return QString::number(qint64(raw));
    return QString::number(raw);
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
        return QString::number(double(value), 'g', 7);
    }
    case ac::TYPE_LREAL: {
        double value = 0;
        std::memcpy(&value, bytes.data(), sizeof value);
        return QString::number(value, 'g', 15);
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

    uint64_t raw = 0;
    for (size_t i = bytes.size(); i-- > 0;)
        raw = (raw << 8) | bytes[i];
    return integerText(raw, *type, showMode);
}

} // namespace ValueFormat
