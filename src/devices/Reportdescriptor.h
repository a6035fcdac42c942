#pragma once
#include <cstddef>
#include <cstdint>

// Report lengths of a HID device taken from its report descriptor, the way
// the platform's own HID services state them: the longest input and output
// report in bytes, including the report id byte (1 + the report's data for
// unnumbered reports).
struct TReportLengths {
    int Input = 0;        // 0 when the descriptor declares no input report
    int Output = 0;       // 0 when the descriptor declares no output report
    bool Numbered = false;  // the descriptor uses report ids
};

// Parses a report descriptor; nothing beyond length bytes is read. Returns
// false for a descriptor that cannot be walked (a truncated item).
bool ParseReportDescriptor(const std::uint8_t* descriptor, std::size_t length, TReportLengths& lengths);
