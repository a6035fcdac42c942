#include "Reportdescriptor.h"

#include <algorithm>
#include <map>

namespace {

struct TReportBits {
    std::uint64_t Input = 0;
    std::uint64_t Output = 0;
};

std::uint32_t ItemValue(const std::uint8_t* data, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    return value;
}

int BytesOf(std::uint64_t bits) { return static_cast<int>(std::min<std::uint64_t>((bits + 7) / 8, 1u << 20)); }

}  // namespace

bool ParseReportDescriptor(const std::uint8_t* descriptor, std::size_t length, TReportLengths& lengths) {
    std::map<std::uint32_t, TReportBits> reports;
    std::uint32_t reportSize = 0, reportCount = 0, reportId = 0;
    std::size_t pos = 0;
    while (pos < length) {
        const std::uint8_t prefix = descriptor[pos];
        if (prefix == 0xFE) {  // long item: skip its data
            if (pos + 2 >= length)
                return false;
            pos += 3 + descriptor[pos + 1];
            continue;
        }
        const int size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + static_cast<std::size_t>(size) > length)
            return false;
        const std::uint32_t value = ItemValue(descriptor + pos + 1, size);
        switch (prefix & 0xFC) {
        case 0x74: reportSize = value; break;   // Report Size
        case 0x94: reportCount = value; break;  // Report Count
        case 0x84: reportId = value; lengths.Numbered = true; break;  // Report ID
        case 0x80: reports[reportId].Input += std::uint64_t(reportSize) * reportCount; break;   // Input
        case 0x90: reports[reportId].Output += std::uint64_t(reportSize) * reportCount; break;  // Output
        default: break;
        }
        pos += 1 + static_cast<std::size_t>(size);
    }
    lengths.Input = lengths.Output = 0;
    for (const auto& [id, bits] : reports) {
        if (bits.Input)
            lengths.Input = std::max(lengths.Input, 1 + BytesOf(bits.Input));
        if (bits.Output)
            lengths.Output = std::max(lengths.Output, 1 + BytesOf(bits.Output));
    }
    return true;
}
