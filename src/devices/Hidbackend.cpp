#include "Hidbackend.h"

#include <cstdlib>

#include "Hidapibackend.h"
#include "Linkbackend.h"

std::optional<TDeviceSource> TDeviceSource::FromOption(const std::optional<std::string>& option) {
    if (!option) {
        const char* dir = std::getenv("KZD_LINK_DIR");
        return TDeviceSource{dir ? std::string(dir) : std::string()};
    }
    if (*option == "usb")
        return TDeviceSource{};
    const std::string prefix = "link:";
    if (option->compare(0, prefix.size(), prefix) == 0 && option->size() > prefix.size())
        return TDeviceSource{option->substr(prefix.size())};
    return std::nullopt;
}

std::optional<std::uint16_t> ParseHexId(const std::string& text) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<std::uint16_t>(value);
}

std::uint16_t FamilyVendorId() {
    constexpr std::uint16_t KFamilyVendorId = 0xF1A0;
    const char* text = std::getenv("KZD_VENDOR_ID");
    if (!text)
        return KFamilyVendorId;
    return ParseHexId(text).value_or(KFamilyVendorId);
}

std::shared_ptr<THIDBackend> MakeHIDBackend(const TDeviceSource& source) {
    if (source.IsLink())
        return std::make_shared<TLinkBackend>(source.LinkDir);
    return std::make_shared<THidapiBackend>();
}
