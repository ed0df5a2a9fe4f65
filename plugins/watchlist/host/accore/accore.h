#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class SafeAccore;

namespace ac {

// Data-type codes of the controller core.
enum BasicDataType : int {
    TYPE_NONE = 0,
    TYPE_SINT = 1,
    TYPE_INT = 2,
    TYPE_DINT = 3,
    TYPE_LINT = 4,
    TYPE_USINT = 5,
    TYPE_UINT = 6,
    TYPE_UDINT = 7,
    TYPE_ULINT = 8,
    TYPE_BOOL = 9,
    TYPE_REAL = 10,
    TYPE_LREAL = 11,
    TYPE_TIME = 12,
    TYPE_BYTE = 14,
    TYPE_WORD = 15,
    TYPE_DWORD = 16,
    TYPE_LWORD = 17,
    TYPE_STRING = 18,
    TYPE_WSTRING = 19,
    TYPE_BIT = 24, // a single bit of a bit area
};

// A parsed device address. An unparsed one holds 0, ~0, ~0, ~0, 0.
struct HeapAddress
{
    uint32_t area = 0;         // index of the area in the device memory
    uint32_t byteOffset = ~0u; // first byte of the addressed value in the area
    uint32_t bitOffset = ~0u;  // bit within that byte, ~0 for whole bytes
    uint32_t dataType = ~0u;   // BasicDataType of the value
    uint32_t byteLength = 0;   // bytes the value spans (1 for a bit)
};

// One soft-component area of a device: its name is also the prefix of its
// addresses (D100 is address 100 of area D), written in the area's radix.
struct JapanMemLayout
{
    std::string name;
    uint32_t byteSize = 0;
    uint32_t radix = 10;           // 2, 8, 10 or 16
    uint32_t elementSize = 0;      // bytes per address; 0 for an area of single bits
    uint32_t dataType = TYPE_NONE; // the area's own data type
};

class DeviceMemory
{
public:
    DeviceMemory(std::string deviceName, std::vector<JapanMemLayout> areas);
    ~DeviceMemory();
    DeviceMemory(const DeviceMemory &) = delete;
    DeviceMemory &operator=(const DeviceMemory &) = delete;

    const std::string &deviceName() const;

    std::vector<JapanMemLayout> japanMemLayout() const;
    // The area of that name; an empty layout (no name, no bytes) when unknown.
    JapanMemLayout japanMemLayout(const std::string &name) const;

    // Parses a device address: D100, D100.3 (bit 3 of the word), D100.D, .UD,
    // .S, .U, .L, .UL, .F, .DF, .T, .WT (typed values starting at that word),
    // X17 (a bit of a bit area). strict refuses addresses past the area's end.
    bool string2IecAddress(const std::string &text, HeapAddress *address, bool strict) const;
    BasicDataType iecAddressType(const HeapAddress &address) const;

    // The live image of the device's memory, as the controller holds it.
    bool read(const HeapAddress &address, std::vector<uint8_t> *bytes) const;
    bool write(const HeapAddress &address, const std::vector<uint8_t> &bytes);
    // The bytes of an area that fits one page, allocated on first use; null
    // for a larger area, whose memory is paged: use read() and write().
    uint8_t *areaData(uint32_t area);
    uint32_t areaCount() const;
    // A value of two or four words in a word area (D100.D, D100.F, D100.DF,
    // ...) is read and written low word first unless the device puts the high
    // word first; each word itself is little-endian.
    void setHighWordFirst(bool highWordFirst);
    bool isHighWordFirst() const;

private:
    bool hasWordOrder(const HeapAddress &address) const;

    std::string m_deviceName;
    std::vector<JapanMemLayout> m_layouts;
    // Per area, its pages that were ever written, by page index. A device may
    // declare areas of gigabytes of which a program touches a few bytes.
    std::vector<std::map<uint32_t, std::vector<uint8_t>>> m_pages;
    bool m_highWordFirst = false;
};

// The controller core of one open project.
class ACCore
{
public:
    ACCore(std::string projectName, std::unique_ptr<DeviceMemory> memory);
    ~ACCore();

    const std::string &projectName() const;
    DeviceMemory *deviceMemory() const;

    // The cores of open projects. open() replaces a core of the same name.
    static void open(std::unique_ptr<ACCore> core);
    static void close(const std::string &projectName);

private:
    friend class ::SafeAccore;
    std::string m_projectName;
    std::unique_ptr<DeviceMemory> m_memory;
    int m_pins = 0;
    bool m_closing = false;
};

} // namespace ac

// Holds the controller core of a project for the length of one use; the core
// of a project closed meanwhile is deleted when the last guard goes.
class SafeAccore
{
public:
    // create: open an empty core for a project that has none (no device areas).
    SafeAccore(const std::string &projectName, bool create);
    ~SafeAccore();
    SafeAccore(const SafeAccore &) = delete;
    SafeAccore &operator=(const SafeAccore &) = delete;

    ac::ACCore *get() const { return m_core; }
    ac::ACCore *operator->() const { return m_core; }
    explicit operator bool() const { return m_core != nullptr; }

private:
    ac::ACCore *m_core = nullptr;
};
