#include "addressproblem.h"

#include <algorithm>
#include <limits>

namespace ac {

namespace {

constexpr uint64_t maxAddress = std::numeric_limits<uint32_t>::max();

bool isDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The area whose name starts the text, the longest such; null for none.
const JapanMemLayout *areaNamed(const std::vector<JapanMemLayout> &layouts, const std::string &text)
{
    const JapanMemLayout *layout = nullptr;
    for (const JapanMemLayout &candidate : layouts) {
        if (!candidate.name.empty() && (!layout || candidate.name.size() > layout->name.size()) &&
            text.compare(0, candidate.name.size(), candidate.name) == 0) {
            layout = &candidate;
        }
    }
    return layout;
}

// What is wrong with a suffix after the address's dot, as far as the area
// tells: any suffix on a bit area, a bit that is not 0 to 15 of a 2-byte word.
AddressProblem::Kind suffixProblem(const std::string &suffix, const JapanMemLayout &layout)
{
    if (layout.elementSize == 0)
        return AddressProblem::SuffixOnBit;
    const bool isBit =
        !suffix.empty() && suffix.find_first_not_of("0123456789") == std::string::npos;
    uint64_t bit = 0;
    for (const char c : suffix)
        bit = std::min<uint64_t>(bit * 10 + uint64_t(c - '0'), 16);
    if (isBit && (layout.elementSize != 2 || bit > 15))
        return AddressProblem::NoSuchBit;
    return AddressProblem::None;
}

} // namespace

AddressProblem addressProblem(const DeviceMemory &memory, const std::string &text)
{
    AddressProblem problem;
    HeapAddress address;
    if (memory.string2IecAddress(text, &address, true))
        return problem;

    problem.kind = AddressProblem::UnknownName;
    const std::vector<JapanMemLayout> layouts = memory.japanMemLayout();
    const JapanMemLayout *layout = areaNamed(layouts, text);
    if (!layout)
        return problem;

    const size_t begin = layout->name.size();
    const size_t dot = std::min(text.find('.', begin), text.size());
    // Motor_Run starts like an address of M: a name, not a mistyped address.
    if (begin == dot || !isDecimalDigit(text[begin]))
        return problem;
    bool foreignDigit = false;
    uint64_t number = 0;
    for (size_t i = begin; i < dot; ++i) {
        const int digit = addressDigitValue(text[i]);
        if (digit >= 16)
            return problem;
        foreignDigit = foreignDigit || digit >= int(layout->radix);
        number = std::min(number * layout->radix + uint64_t(digit), maxAddress + 1);
    }

    problem.area = layout->name;
    problem.radix = layout->radix;
    problem.elementSize = layout->elementSize;
    problem.addressCount = layout->elementSize == 0 ? uint64_t(layout->byteSize) * 8
                                                    : layout->byteSize / layout->elementSize;
    problem.addressCount = std::min(problem.addressCount, maxAddress + 1);
    if (foreignDigit) {
        problem.kind = AddressProblem::ForeignDigit;
        return problem;
    }
    if (dot != text.size()) {
        problem.suffix = text.substr(dot + 1);
        if (const AddressProblem::Kind kind = suffixProblem(problem.suffix, *layout);
            kind != AddressProblem::None) {
            problem.kind = kind;
            return problem;
        }
    }
    // What is left of the text reads as an address once the area's end is no limit.
    if (number <= maxAddress && memory.string2IecAddress(text, &address, false)) {
        problem.kind = AddressProblem::PastEnd;
        return problem;
    }
    if (number > maxAddress || uint64_t(number) * layout->elementSize > maxAddress) {
        problem.kind = AddressProblem::PastEnd;
        return problem;
    }
    if (!problem.suffix.empty() || dot != text.size())
        problem.kind = AddressProblem::UnknownSuffix;
    return problem;
}

} // namespace ac
