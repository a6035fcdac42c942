#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "Locklist.h"
#include "Qcaxis.h"
#include "Qcheader.h"
#include "Qcmapobj.h"
#include "Qcposition.h"
#include "Qctabledata.h"

// Module types of device maps.
enum : int { QC_MODULE_PRIMARY = 1, QC_MODULE_SECONDARY = 2, QC_MODULE_IGNITION = 3, QC_MODULE_KZD = 6,
             QC_MODULE_KZR = 7 };

// The map of one module: headers, axes and positions (each list owns its
// elements) and the two configuration blocks.
//
// Output configuration (11 bytes): 0 number of outputs, 1 cylinder count,
// 2 gear count, 3..6 cylinder index served by output 0..3, 7..10 output kind
// (1 injector, 2 coil). Bank configuration (15 bytes): 4 number of O2
// sensors, 10 and 14 the cylinder masks of sensors 1 and 2; other bytes are
// carried as they are.
//
// Locking: Clear, CopyValuesFrom and CopyNamesFrom take the device map's
// recursive lock; every list operation takes the list's own. Lock order:
// map, device map, list.
class TQCDeviceMap {
public:
    TQCDeviceMap() = default;
    explicit TQCDeviceMap(std::uint8_t moduleType) : FModuleType(moduleType) {}
    // Deep copy: configuration blocks, module and map type, axes and headers
    // (tables and positions with them), keeping the address identity.
    TQCDeviceMap(const TQCDeviceMap& source);
    TQCDeviceMap& operator=(const TQCDeviceMap&) = delete;

    TQCHeaderList FHeaders;
    TQCAxisList FAxes;
    TQCPositionList FPositions;
    std::uint8_t FModuleType = 0;
    std::uint32_t FMapType = 0;
    TQCOutputConfig FOutputConfig{};
    TQCBankConfig FBankConfig{};

    void Lock() const { FLock.lock(); }
    void Unlock() const { FLock.unlock(); }
    std::recursive_mutex& Mutex() const { return FLock; }

    // Clears positions, headers and axes and zeroes both blocks; the module
    // and map type stay.
    void Clear();
    void AssignFrom(const TQCDeviceMap& source, std::uint8_t moduleType);
    void CopyAxes(const TQCDeviceMap& source);
    void CopyHeaders(const TQCDeviceMap& source);
    void CopyPositionAxes(const TQCDeviceMap& source, int fromPosition, int toPosition);
    void CopyPositionHeaders(const TQCDeviceMap& source, int fromPosition, int toPosition);
    void CopyPositionName(const TQCDeviceMap& source, int fromPosition, int toPosition);
    // Cell values from the tables of other that match (same position number
    // and identity, module checked).
    void CopyValuesFrom(const TQCDeviceMap& other);
    void CopyNamesFrom(const TQCDeviceMap& other);
    // FAddress 0, 1, 2, ... over headers, then axes, then tables.
    void Renumber();

    bool IsEmpty() const { return FPositions.Count() == 0; }
    int TableCount() const;
    int TableBytes() const;
    // Percent of the table area (24574 bytes) and of the header and axis area (2046 bytes).
    double TableMemoryUsage() const;
    double HeaderMemoryUsage() const;
    std::string ModuleName() const;
    static std::string ModuleNameOf(int moduleType);

    // Note the Y axis first.
    bool HasTable(int position, int tableType, int yAxisId, int xAxisId) const;
    std::uint8_t TableMode(int position, int tableType, int yAxisId, int xAxisId) const;

    // Sets the cylinder and gear flags that the header's selector and gear
    // mask give under this map's configuration (never clears a flag).
    void ApplySelectors(TQCTableData& table, const TQCHeader& header) const;
    // Difference of the first two breakpoints of the position's RPM axis; 0 without one.
    int RpmStep(int position) const;
    // Re-spaces the RPM axis from its first to its last value by step and
    // reallocates the tables on it; nothing when that gives fewer than 2 or
    // more than MaxCount breakpoints.
    void SetRpmStep(int position, int step);

    TQCAxis* FindAxis(std::int32_t address, std::int32_t position) const;
    TQCTableData* FindTable(std::int32_t address, std::int32_t position) const;

private:
    mutable std::recursive_mutex FLock;

    void CopyHeader(const TQCDeviceMap& source, const TQCHeader& header, bool moved, int toPosition);
    TQCAxis* LinkAxis(const TQCAxis* sourceAxis, int position) const;
    TQCPosition* TargetPosition(const TQCDeviceMap& source, int sourceNumber, int number);
    void ApplyOutputSelector(TQCTableData& table, int output) const;
    void ApplyBankSelector(TQCTableData& table, int mask) const;
};

// The device maps of a map, owned.
class TQCDeviceMapList : public TOwningLockList<TQCDeviceMap> {
public:
    TQCDeviceMap* Find(int moduleType) const;
};
