#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TQC7;

// One line of the device information: a label ("Hardware Version") and its
// value text. Labels are the untranslated texts; a window translates them.
struct TDeviceInfoLine {
    std::string Label;
    std::string Value;
};

// The device information lines of a controller, in their order; a line is
// present only when its read succeeded. Runs the reads on the calling thread.
std::vector<TDeviceInfoLine> ReadDeviceInfoLines(TQC7& driver);

// The four bytes of value from the most significant down, in decimal,
// joined by "." (0x01020304 gives "1.2.3.4").
std::string DottedVersion(std::uint32_t value);
// Text of at most max bytes, cut at the first zero byte.
std::string FixedText(const std::uint8_t* bytes, int max);
