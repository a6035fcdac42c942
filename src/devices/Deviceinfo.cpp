#include "Deviceinfo.h"

#include <cstdio>

#include "Qc7.h"

namespace {

std::uint32_t WordAt(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

std::string DottedVersion(std::uint32_t value) {
    return std::to_string(value >> 24) + "." + std::to_string((value >> 16) & 0xFF) + "." +
           std::to_string((value >> 8) & 0xFF) + "." + std::to_string(value & 0xFF);
}

std::string FixedText(const std::uint8_t* bytes, int max) {
    std::string text;
    for (int i = 0; i < max && bytes[i] != 0; ++i)
        text.push_back(static_cast<char>(bytes[i]));
    return text;
}

std::vector<TDeviceInfoLine> ReadDeviceInfoLines(TQC7& driver) {
    std::vector<TDeviceInfoLine> lines;
    std::uint8_t info[32] = {};
    if (driver.ReadDeviceInfo(info) == 0) {
        lines.push_back({"Hardware Version", std::to_string(WordAt(info + 4))});
        lines.push_back({"Bootloader Version", DottedVersion(WordAt(info + 8))});
    }
    std::uint8_t firmware[8] = {};
    if (driver.ReadFirmwareInfo(firmware) == 0)
        lines.push_back({"Firmware Version", DottedVersion(WordAt(firmware))});
    std::uint8_t guid[16] = {};
    if (driver.ReadGuid(guid) == 0) {
        std::string text;
        for (int i = 0; i < 4; ++i) {
            char word[9];
            std::snprintf(word, sizeof word, "%08X", static_cast<unsigned>(WordAt(guid + 4 * i)));
            text += word;
        }
        lines.push_back({"Guid", text});
    }
    std::uint8_t serial[16] = {};
    if (driver.ReadSerialNumber(serial) == 0)
        lines.push_back({"Serial Number", FixedText(serial, 16)});
    std::uint8_t model[22] = {};
    if (driver.ReadModelInfo(model) == 0) {
        lines.push_back({"Model Number", FixedText(model + 4, 16)});
        lines.push_back({"Map Type", std::to_string(unsigned(model[20]) | unsigned(model[21]) << 8)});
    }
    return lines;
}
