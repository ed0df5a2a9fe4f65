#pragma once

#include "accore.h"

#include <cstdint>
#include <string>

namespace ac {

// Why a text is no address of a device memory, for telling the user who
// typed it. Parsing itself stays DeviceMemory::string2IecAddress (strict).
struct AddressProblem
{
    enum Kind {
        None,          // an address of the memory
        UnknownName,   // no area of the memory, or letters where its number belongs
        ForeignDigit,  // a number with a digit the area's radix lacks (X8 in octal X)
        PastEnd,       // the value reaches past the area's last address
        SuffixOnBit,   // anything after the address of a bit area (X1.2)
        NoSuchBit,     // a bit a word does not have (D100.16), or of an area of other than words
        UnknownSuffix, // neither a bit nor a type after the dot (D100.Q)
    };

    Kind kind = None;
    std::string area;          // the area's name, for every kind but None and UnknownName
    uint32_t radix = 10;       // the area's address radix
    uint64_t addressCount = 0; // addresses of the area (bits of a bit area)
    uint32_t elementSize = 0;  // bytes per address, 0 for a bit area
    std::string suffix;        // what follows the dot
};

AddressProblem addressProblem(const DeviceMemory &memory, const std::string &text);

// The value of a digit of an address number in any radix up to 36, letters
// of either case; 99 for what is no digit.
int addressDigitValue(char c);

} // namespace ac
