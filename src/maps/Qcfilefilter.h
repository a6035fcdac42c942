#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Which devices an update file or a configuration script is meant for, as
// read from the file. Empty lists mean "any".
class TQCFileFilter {
public:
    // The device kinds allowed, one bit each: 0x01 QC7, 0x02 QC7 SFM,
    // 0x04 QC7 Ignition, 0x08 KZD, 0x10 KZR, 0x20 LBX.
    std::uint8_t TypeMask() const { return FTypeMask; }
    // Keeps bits 0..5 of value.
    void SetTypeMask(std::uint32_t value) { FTypeMask = static_cast<std::uint8_t>(value & 0x3F); }
    // 0: every kind passes the kind test; any other value turns the test on.
    std::uint8_t CheckType() const { return FCheckType; }
    void SetCheckType(std::uint8_t value) { FCheckType = value; }

    const std::vector<std::string>& SerialNumbers() const { return FSerialNumbers; }
    const std::vector<std::string>& ModelNumbers() const { return FModelNumbers; }
    const std::vector<std::int32_t>& MapTypes() const { return FMapTypes; }
    // Texts are cut to 16 characters.
    void AddSerialNumber(const std::string& text) { FSerialNumbers.push_back(text.substr(0, 16)); }
    void AddModelNumber(const std::string& text) { FModelNumbers.push_back(text.substr(0, 16)); }
    void AddMapType(std::int32_t value) { FMapTypes.push_back(value); }

    // Type mask 0 and the three lists emptied; the check-type flag stays.
    void Clear();

    // The kind bit of a device type (1, 2, 3, 6, 7, 8), 0 for other types.
    static std::uint8_t KindBit(std::uint8_t deviceType);

private:
    std::uint8_t FTypeMask = 0;
    std::uint8_t FCheckType = 0;
    std::vector<std::string> FSerialNumbers;
    std::vector<std::string> FModelNumbers;
    std::vector<std::int32_t> FMapTypes;
};

// The text of a fixed-size field: the bytes up to the first zero byte, or all
// of them.
std::string TextOfField(const std::uint8_t* bytes, std::size_t size);

// What the filter check needs to know about one attached device. A value that
// could not be read from the device is empty (the read failed); a value the
// filter does not ask for need not be read at all (see the Needs* tests).
struct TQCFilterDevice {
    std::uint8_t DeviceType = 0;
    bool HasDriver = false;
    std::optional<std::string> SerialNumber;  // ReadSerialNumber, as text
    std::optional<std::string> ModelNumber;   // ReadModelInfo bytes 4..19, as text
    std::optional<std::uint16_t> MapType;     // ReadModelInfo bytes 20..21

    // The serial number from the driver's 16-byte record.
    static std::string SerialOfRecord(const std::uint8_t (&record)[16]);
    // The model number and map type from the driver's 22-byte model record.
    static std::string ModelOfRecord(const std::uint8_t (&record)[22]);
    static std::uint16_t MapTypeOfRecord(const std::uint8_t (&record)[22]);
};

// Checks a filter against one device. Result codes of the last Check:
enum : std::uint8_t {
    KFilterPass = 0,          // the device passes
    KFilterNoDriver = 1,      // no driver (only types 1, 2, 3, 6 and 7 are looked up)
    KFilterKind = 2,          // device kind not allowed
    KFilterSerial = 3,        // serial number not listed (or not readable)
    KFilterModel = 4,         // model number not listed (or not readable)
    KFilterMapType = 5,       // map type not listed (or not readable)
};

class TQCFileFilterCompare {
public:
    // Runs the tests in order, stopping at the first failing one; true when
    // the device passes. Never raises an error of its own.
    bool Check(const TQCFileFilter& filter, const TQCFilterDevice& device);
    std::uint8_t Result() const { return FResult; }

    // Whether a device of this type is looked up at all (types 1, 2, 3, 6, 7).
    static bool IsLookedUp(std::uint8_t deviceType);
    static bool KindAllowed(const TQCFileFilter& filter, std::uint8_t deviceType);
    static bool SerialListed(const TQCFileFilter& filter, const TQCFilterDevice& device);
    static bool ModelListed(const TQCFileFilter& filter, const TQCFilterDevice& device);
    static bool MapTypeListed(const TQCFileFilter& filter, const TQCFilterDevice& device);

    // Whether the check will need the device's serial number or its model
    // record; a caller reads only what is needed.
    static bool NeedsSerial(const TQCFileFilter& filter) { return !filter.SerialNumbers().empty(); }
    static bool NeedsModelInfo(const TQCFileFilter& filter) {
        return !filter.ModelNumbers().empty() || !filter.MapTypes().empty();
    }

    // ASCII letters compared without regard to case, other bytes as they are.
    static bool SameText(const std::string& a, const std::string& b);

private:
    std::uint8_t FResult = KFilterPass;
};
