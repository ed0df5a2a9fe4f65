#pragma once

#include <QString>

#include <cstdint>
#include <vector>

// How the tree names data types and writes the bytes of a value as text.
namespace ValueFormat {

// Data-type name as symbols carry it ("INT", "REAL", ...) to its ac::BasicDataType
// code, TYPE_NONE (0) when unknown; case-insensitive.
uint32_t typeCode(const QString &typeName);
QString typeName(uint32_t typeCode);
// Bytes a value of that type spans in device memory; 0 when unknown.
uint32_t byteLength(uint32_t typeCode);
bool isInteger(uint32_t typeCode);

// Integers in radix showMode (2, 10, 16; hexadecimal digits upper-case, the
// bit pattern of the value's width for negative numbers outside radix 10),
// REAL/LREAL as floating point, STRING/WSTRING up to their terminating zero,
// bits as 0 or 1. Empty when the bytes do not fit the type.
QString format(uint32_t typeCode, const std::vector<uint8_t> &bytes, int showMode);
// The value as a number, for plotting: integers (beyond 2^53 rounded), REAL,
// LREAL, TIME in milliseconds, bits as 0 or 1. False for STRING and WSTRING
// and when the bytes do not fit the type.
bool toNumber(uint32_t typeCode, const std::vector<uint8_t> &bytes, double *number);

// The inverse of format(): integers in radix showMode (a minus sign only in
// radix 10; in radix 2 and 16 the bit pattern of the value's width), REAL and
// LREAL as decimals, BOOL as 0 or 1, TIME as milliseconds (T#...ms too),
// STRING as Latin-1 and WSTRING as text of at most 80 characters. False with
// a message for the user when the text is no such value or does not fit.
bool parse(uint32_t typeCode,
           const QString &text,
           int showMode,
           std::vector<uint8_t> *bytes,
           QString *error);

} // namespace ValueFormat
