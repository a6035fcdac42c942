#pragma once
#include <cstdint>
#include <string>

#include "Deviceid.h"
#include "Locklist.h"

class TDevManager;

// One entry of a controller's error log: a code word (bits 0..26 the code
// number, bits 30..31 the severity) and the entry's value.
class TQC7ErrorCode {
public:
    TQC7ErrorCode(std::uint32_t codeWord, std::int32_t value) : FCodeWord(codeWord), FValue(value) {}

    std::uint32_t CodeWord() const { return FCodeWord; }
    // The code word with bits 27..31 cleared.
    std::uint32_t Number() const { return FCodeWord & 0x07FFFFFFu; }
    std::int32_t Value() const { return FValue; }
    // The text of the code number, "???" for a number without one.
    std::string Message() const;
    // "Low", "Medium", "High" or "Fatal".
    std::string Severity() const;

    // The text for a code number, or nullptr when it has none.
    static const char* TextOf(std::uint32_t number);

private:
    std::uint32_t FCodeWord;
    std::int32_t FValue;
};

// Owned error codes, newest first once filled from a log.
class TQC7ErrorCodeList : public TOwningLockList<TQC7ErrorCode> {};

// The error log record as a controller returns it: a count word and five
// (code word, value) pairs, little-endian.
constexpr int KQC7ErrorLogSize = 44;
constexpr int KQC7ErrorLogEntries = 5;

// Appends the valid entries of a 44-byte log record to list, the last entry
// first. A count above 5 is taken as 5; nothing beyond the record is read.
void AppendErrorLog(const std::uint8_t (&record)[KQC7ErrorLogSize], TQC7ErrorCodeList& list);

// Fetches a controller's error log through the device manager.
class TQC7ErrorCodeManager {
public:
    TQC7ErrorCodeManager(const TDevManager& manager, const TDeviceID& id) : FManager(manager), FId(id) {}
    // Clears the codes, then reads the log of the device's driver (DriverOf).
    // 0 with the codes newest first; -1 without a driver; otherwise the
    // driver's status, with the list left empty.
    int Refresh();
    const TQC7ErrorCodeList& Codes() const { return FCodes; }

private:
    const TDevManager& FManager;
    TDeviceID FId;
    TQC7ErrorCodeList FCodes;
};
