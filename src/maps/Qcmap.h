#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "Qcdevicemap.h"

// A whole map: one device map per module type (1, 2, 3 and 6 on creation).
//   FSource: 0 empty or cleared, 1 loaded from a map file, 2 read from a device.
//   FFileName: the bare file name last opened or saved.
// Lock and Unlock (recursive) bracket whole transfers; lock order: map,
// device map, list.
class TQCMap {
public:
    TQCMap();
    // Copies source and file name and deep-copies device maps 1, 2, 3 and 6.
    TQCMap(const TQCMap& source);
    TQCMap& operator=(const TQCMap&) = delete;

    TQCDeviceMapList FDeviceMaps;
    std::uint8_t FSource = 0;
    std::string FFileName;

    void Lock() const { FLock.lock(); }
    void Unlock() const { FLock.unlock(); }
    std::recursive_mutex& Mutex() const { return FLock; }

    TQCDeviceMap* GetDeviceMap(int moduleType) const { return FDeviceMaps.Find(moduleType); }
    // The device map of that type, created empty when missing.
    TQCDeviceMap* AddDeviceMap(int moduleType);
    TQCDeviceMap* PrimaryMap() const { return GetDeviceMap(QC_MODULE_PRIMARY); }
    TQCDeviceMap* SecondaryMap() const { return GetDeviceMap(QC_MODULE_SECONDARY); }
    TQCDeviceMap* IgnitionMap() const { return GetDeviceMap(QC_MODULE_IGNITION); }
    TQCDeviceMap* KZDMap() const { return GetDeviceMap(QC_MODULE_KZD); }
    // The existing device map of that module type (not copied), else a new deep copy.
    TQCDeviceMap* AddCopyOf(const TQCDeviceMap& deviceMap);

    void Clear();
    bool IsEmpty() const;
    int UsedDeviceMaps() const;
    // Keeps the file-name part of path.
    void SetFileName(const std::string& path);

private:
    mutable std::recursive_mutex FLock;
};
