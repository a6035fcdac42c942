#include "Qcmap.h"

namespace {
constexpr int CreatedTypes[] = {QC_MODULE_PRIMARY, QC_MODULE_SECONDARY, QC_MODULE_IGNITION, QC_MODULE_KZD};
}

TQCMap::TQCMap() {
    for (int type : CreatedTypes)
        FDeviceMaps.Append(new TQCDeviceMap(static_cast<std::uint8_t>(type)));
}

TQCMap::TQCMap(const TQCMap& source) : FSource(source.FSource), FFileName(source.FFileName) {
    std::lock_guard<std::recursive_mutex> guard(source.FLock);
    for (int type : CreatedTypes)
        if (const TQCDeviceMap* deviceMap = source.GetDeviceMap(type))
            AddCopyOf(*deviceMap);
}

TQCDeviceMap* TQCMap::AddDeviceMap(int moduleType) {
    std::lock_guard<std::recursive_mutex> guard(FDeviceMaps.Mutex());
    if (TQCDeviceMap* found = GetDeviceMap(moduleType))
        return found;
    auto* deviceMap = new TQCDeviceMap(static_cast<std::uint8_t>(moduleType));
    FDeviceMaps.Append(deviceMap);
    return deviceMap;
}

TQCDeviceMap* TQCMap::AddCopyOf(const TQCDeviceMap& deviceMap) {
    std::lock_guard<std::recursive_mutex> guard(FDeviceMaps.Mutex());
    if (TQCDeviceMap* found = GetDeviceMap(deviceMap.FModuleType))
        return found;
    auto* copy = new TQCDeviceMap(deviceMap);
    FDeviceMaps.Append(copy);
    return copy;
}

void TQCMap::Clear() {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    for (TQCDeviceMap* deviceMap : FDeviceMaps.Snapshot())
        deviceMap->Clear();
    FSource = 0;
}

bool TQCMap::IsEmpty() const { return UsedDeviceMaps() == 0; }

int TQCMap::UsedDeviceMaps() const {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    int used = 0;
    for (TQCDeviceMap* deviceMap : FDeviceMaps.Snapshot())
        used += deviceMap->IsEmpty() ? 0 : 1;
    return used;
}

void TQCMap::SetFileName(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    FFileName = slash == std::string::npos ? path : path.substr(slash + 1);
}
