#include "Qcfilefilter.h"

#include <algorithm>

void TQCFileFilter::Clear() {
    FTypeMask = 0;
    FSerialNumbers.clear();
    FModelNumbers.clear();
    FMapTypes.clear();
}

std::uint8_t TQCFileFilter::KindBit(std::uint8_t deviceType) {
    switch (deviceType) {
    case 1: return 0x01;
    case 2: return 0x02;
    case 3: return 0x04;
    case 6: return 0x08;
    case 7: return 0x10;
    case 8: return 0x20;
    default: return 0;
    }
}

std::string TextOfField(const std::uint8_t* bytes, std::size_t size) {
    const std::uint8_t* end = std::find(bytes, bytes + size, std::uint8_t{0});
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(end - bytes));
}

std::string TQCFilterDevice::SerialOfRecord(const std::uint8_t (&record)[16]) {
    return TextOfField(record, 16);
}

std::string TQCFilterDevice::ModelOfRecord(const std::uint8_t (&record)[22]) {
    return TextOfField(record + 4, 16);
}

std::uint16_t TQCFilterDevice::MapTypeOfRecord(const std::uint8_t (&record)[22]) {
    return static_cast<std::uint16_t>(record[20] | (record[21] << 8));
}

bool TQCFileFilterCompare::Check(const TQCFileFilter& filter, const TQCFilterDevice& device) {
    if (!IsLookedUp(device.DeviceType) || !device.HasDriver)
        FResult = KFilterNoDriver;
    else if (!KindAllowed(filter, device.DeviceType))
        FResult = KFilterKind;
    else if (!SerialListed(filter, device))
        FResult = KFilterSerial;
    else if (!ModelListed(filter, device))
        FResult = KFilterModel;
    else if (!MapTypeListed(filter, device))
        FResult = KFilterMapType;
    else
        FResult = KFilterPass;
    return FResult == KFilterPass;
}

bool TQCFileFilterCompare::IsLookedUp(std::uint8_t deviceType) {
    return deviceType == 1 || deviceType == 2 || deviceType == 3 || deviceType == 6 || deviceType == 7;
}

bool TQCFileFilterCompare::KindAllowed(const TQCFileFilter& filter, std::uint8_t deviceType) {
    if (filter.CheckType() == 0)
        return true;
    return (filter.TypeMask() & TQCFileFilter::KindBit(deviceType)) != 0;
}

namespace {

bool Listed(const std::vector<std::string>& list, const std::optional<std::string>& text) {
    if (list.empty())
        return true;
    if (!text)
        return false;
    const std::string value = text->substr(0, 16);
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& entry) { return TQCFileFilterCompare::SameText(entry, value); });
}

}  // namespace

bool TQCFileFilterCompare::SerialListed(const TQCFileFilter& filter, const TQCFilterDevice& device) {
    return Listed(filter.SerialNumbers(), device.SerialNumber);
}

bool TQCFileFilterCompare::ModelListed(const TQCFileFilter& filter, const TQCFilterDevice& device) {
    return Listed(filter.ModelNumbers(), device.ModelNumber);
}

bool TQCFileFilterCompare::MapTypeListed(const TQCFileFilter& filter, const TQCFilterDevice& device) {
    const auto& types = filter.MapTypes();
    if (types.empty())
        return true;
    if (!device.MapType)
        return false;
    const std::int32_t value = *device.MapType;
    return std::find(types.begin(), types.end(), value) != types.end();
}

bool TQCFileFilterCompare::SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
