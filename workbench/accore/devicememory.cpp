#include "accore.h"
#include "addressproblem.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ac {

namespace {

struct TypeSuffix
{
    const char *suffix;
    BasicDataType type;
    uint32_t byteLength;
};

const TypeSuffix typeSuffixes[] = {
    {"S", TYPE_INT, 2},
    {"U", TYPE_UINT, 2},
    {"D", TYPE_DINT, 4},
    {"UD", TYPE_UDINT, 4},
    {"L", TYPE_LINT, 8},
    {"UL", TYPE_ULINT, 8},
    {"F", TYPE_REAL, 4},
    {"DF", TYPE_LREAL, 8},
    {"T", TYPE_STRING, 81},
    {"WT", TYPE_WSTRING, 162},
};

constexpr uint64_t maxOffset = std::numeric_limits<uint32_t>::max();
constexpr uint64_t pageSize = 64 * 1024;

// Reads [begin, end) as a number in radix; false for an empty text, a foreign
// digit or a value that does not fit 32 bits.
bool parseNumber(const std::string &text, size_t begin, size_t end, uint32_t radix, uint64_t *value)
{
    if (begin >= end)
        return false;
    uint64_t result = 0;
    for (size_t i = begin; i < end; ++i) {
        const int digit = addressDigitValue(text[i]);
        if (digit >= int(radix))
            return false;
        result = result * radix + uint64_t(digit);
        if (result > maxOffset)
            return false;
    }
    *value = result;
    return true;
}

using Pages = std::map<uint32_t, std::vector<uint8_t>>;

// The byte at byteOffset of an area of areaSize bytes, its page allocated
// (zeroed) on first use.
uint8_t *byteAt(Pages &pages, uint32_t areaSize, uint32_t byteOffset)
{
    const uint32_t index = uint32_t(byteOffset / pageSize);
    std::vector<uint8_t> &page = pages[index];
    if (page.empty()) {
        const uint64_t pageStart = uint64_t(index) * pageSize;
        page.resize(size_t(std::min<uint64_t>(pageSize, areaSize - pageStart)), 0);
    }
    return page.data() + byteOffset % pageSize;
}

bool isWordArea(const JapanMemLayout &layout)
{
    return layout.elementSize != 0;
}

// Reverses the order of the 2-byte words of a multi-word value, which turns
// the device's high-word-first order into the low-word-first one the rest of
// the memory's users decode, and back.
void swapWords(std::vector<uint8_t> *bytes)
{
    const size_t words = bytes->size() / 2;
    for (size_t i = 0; i < words / 2; ++i) {
        std::swap((*bytes)[2 * i], (*bytes)[2 * (words - 1 - i)]);
        std::swap((*bytes)[2 * i + 1], (*bytes)[2 * (words - 1 - i) + 1]);
    }
}

// The area whose name starts the text, the longest such ("DS" over "D");
// the layouts' size for none.
size_t
areaNamed(const std::vector<JapanMemLayout> &layouts, const std::string &text, size_t *nameLength)
{
    size_t areaIndex = layouts.size();
    *nameLength = 0;
    for (size_t i = 0; i < layouts.size(); ++i) {
        const std::string &name = layouts[i].name;
        if (!name.empty() && name.size() > *nameLength && text.compare(0, name.size(), name) == 0) {
            areaIndex = i;
            *nameLength = name.size();
        }
    }
    return areaIndex;
}

// A word's suffix after the dot: a bit from 0 to 15 (of 2-byte words only)
// or a type; false for anything else.
bool applySuffix(const std::string &suffix,
                 const JapanMemLayout &layout,
                 HeapAddress *parsed,
                 uint64_t *byteOffset)
{
    uint64_t bit = 0;
    if (parseNumber(suffix, 0, suffix.size(), 10, &bit)) {
        if (layout.elementSize != 2 || bit > 15)
            return false;
        *byteOffset += bit / 8;
        parsed->bitOffset = uint32_t(bit % 8);
        parsed->dataType = TYPE_BOOL;
        parsed->byteLength = 1;
        return true;
    }
    const auto found =
        std::find_if(std::begin(typeSuffixes),
                     std::end(typeSuffixes),
                     [&suffix](const TypeSuffix &entry) { return suffix == entry.suffix; });
    if (found == std::end(typeSuffixes))
        return false;
    parsed->dataType = found->type;
    parsed->byteLength = found->byteLength;
    return true;
}

} // namespace

DeviceMemory::DeviceMemory(std::string deviceName, std::vector<JapanMemLayout> areas)
    : m_deviceName(std::move(deviceName))
    , m_layouts(std::move(areas))
    , m_pages(m_layouts.size())
{}

DeviceMemory::~DeviceMemory() = default;

const std::string &DeviceMemory::deviceName() const
{
    return m_deviceName;
}

std::vector<JapanMemLayout> DeviceMemory::japanMemLayout() const
{
    return m_layouts;
}

JapanMemLayout DeviceMemory::japanMemLayout(const std::string &name) const
{
    for (const JapanMemLayout &layout : m_layouts) {
        if (layout.name == name)
            return layout;
    }
    JapanMemLayout none;
    none.dataType = TYPE_NONE;
    return none;
}

bool DeviceMemory::string2IecAddress(const std::string &text,
                                     HeapAddress *address,
                                     bool strict) const
{
    if (!address)
        return false;
    *address = HeapAddress();

    size_t nameLength = 0;
    const size_t areaIndex = areaNamed(m_layouts, text, &nameLength);
    if (areaIndex == m_layouts.size())
        return false;
    const JapanMemLayout &layout = m_layouts[areaIndex];

    const size_t dot = std::min(text.find('.', nameLength), text.size());
    uint64_t number = 0;
    if (!parseNumber(text, nameLength, dot, layout.radix, &number))
        return false;

    HeapAddress parsed;
    parsed.area = uint32_t(areaIndex);
    uint64_t byteOffset = 0;
    if (!isWordArea(layout)) {
        if (dot != text.size())
            return false;
        byteOffset = number / 8;
        parsed.bitOffset = uint32_t(number % 8);
        parsed.dataType = layout.dataType;
        parsed.byteLength = 1;
    } else {
        byteOffset = number * layout.elementSize;
        parsed.dataType = layout.dataType;
        parsed.byteLength = layout.elementSize;
        if (dot != text.size() && !applySuffix(text.substr(dot + 1), layout, &parsed, &byteOffset))
            return false;
    }
    if (byteOffset > maxOffset)
        return false;
    if (strict && byteOffset + parsed.byteLength > layout.byteSize)
        return false;
    parsed.byteOffset = uint32_t(byteOffset);
    *address = parsed;
    return true;
}

BasicDataType DeviceMemory::iecAddressType(const HeapAddress &address) const
{
    if (address.area >= m_layouts.size() || address.dataType == ~0u)
        return TYPE_NONE;
    return BasicDataType(address.dataType);
}

bool DeviceMemory::read(const HeapAddress &address, std::vector<uint8_t> *bytes) const
{
    if (!bytes || address.area >= m_layouts.size() || address.byteLength == 0)
        return false;
    const uint64_t end = uint64_t(address.byteOffset) + address.byteLength;
    if (end > m_layouts[address.area].byteSize)
        return false;
    const bool isBit = address.bitOffset != ~0u;
    if (isBit && (address.bitOffset > 7 || address.byteLength != 1))
        return false;

    // Pages never written read as zeros without being allocated.
    bytes->assign(address.byteLength, 0);
    const auto &pages = m_pages[address.area];
    uint64_t offset = address.byteOffset;
    while (offset < end) {
        const auto page = pages.find(uint32_t(offset / pageSize));
        const uint64_t inPage = offset % pageSize;
        const uint64_t chunk = std::min(end - offset, pageSize - inPage);
        if (page != pages.end()) {
            std::memcpy(bytes->data() + (offset - address.byteOffset),
                        page->second.data() + inPage,
                        size_t(chunk));
        }
        offset += chunk;
    }
    if (isBit)
        (*bytes)[0] = ((*bytes)[0] >> address.bitOffset) & 1u;
    else if (hasWordOrder(address))
        swapWords(bytes);
    return true;
}

bool DeviceMemory::write(const HeapAddress &address, const std::vector<uint8_t> &bytes)
{
    if (address.area >= m_layouts.size() || address.byteLength == 0 ||
        bytes.size() != address.byteLength) {
        return false;
    }
    const uint64_t end = uint64_t(address.byteOffset) + address.byteLength;
    if (end > m_layouts[address.area].byteSize)
        return false;
    const bool isBit = address.bitOffset != ~0u;
    if (isBit && (address.bitOffset > 7 || address.byteLength != 1))
        return false;

    if (isBit) {
        uint8_t &byte =
            *byteAt(m_pages[address.area], m_layouts[address.area].byteSize, address.byteOffset);
        const uint8_t mask = uint8_t(1u << address.bitOffset);
        if (bytes[0])
            byte |= mask;
        else
            byte &= uint8_t(~mask);
        return true;
    }
    std::vector<uint8_t> ordered;
    const std::vector<uint8_t> *source = &bytes;
    if (hasWordOrder(address)) {
        ordered = bytes;
        swapWords(&ordered);
        source = &ordered;
    }
    uint64_t offset = address.byteOffset;
    while (offset < end) {
        const uint64_t chunk = std::min(end - offset, pageSize - offset % pageSize);
        std::memcpy(
            byteAt(m_pages[address.area], m_layouts[address.area].byteSize, uint32_t(offset)),
            source->data() + (offset - address.byteOffset),
            size_t(chunk));
        offset += chunk;
    }
    return true;
}

uint8_t *DeviceMemory::areaData(uint32_t area)
{
    if (area >= m_layouts.size() || m_layouts[area].byteSize == 0 ||
        m_layouts[area].byteSize > pageSize) {
        return nullptr;
    }
    return byteAt(m_pages[area], m_layouts[area].byteSize, 0);
}

uint32_t DeviceMemory::areaCount() const
{
    return uint32_t(m_layouts.size());
}

void DeviceMemory::setHighWordFirst(bool highWordFirst)
{
    m_highWordFirst = highWordFirst;
}

bool DeviceMemory::isHighWordFirst() const
{
    return m_highWordFirst;
}

bool DeviceMemory::hasWordOrder(const HeapAddress &address) const
{
    return m_highWordFirst && address.bitOffset == ~0u &&
           m_layouts[address.area].elementSize == 2 &&
           (address.byteLength == 4 || address.byteLength == 8);
}

int addressDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

} // namespace ac
