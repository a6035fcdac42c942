#pragma once
#include <cstdint>
#include <vector>

#include "Qcmaptransfer.h"

class TQC7;
class TUIBridge;

// Reads a controller's map into the model and sends a device map back. The
// controller keeps its map in FRAM in the form of a map file:
//   0x0000..0x5FFF  table data, packed from 0 in send order (24576 bytes)
//   0x6000          directory: header count N, header table address | bit 31
//   0x6008          N 16-byte header records
//   0x6008 + 16N    compact axis blocks (4 + ByteSize bytes each), up to 0x67FF
//   names           modules 1..3: 0x7700 + 256n (n = 1, 2);
//                   modules 6, 7: 0x7780 + 128n (n = 1..10), position 0 at
//                   0x7C80 (the slot of position 10)
//
// Statuses: 0 success; -1 no driver, no device map, directory or header
// table address outside 0x6000..0x67FF, header count outside 1..100, a
// damaged axis (more breakpoints than its block holds), or a map that does
// not fit (see SendDeviceMap); any other value is the driver's status
// passed through unchanged. Every driver request has the driver's time
// limit (1000 ms on USB), so a silent device ends a transfer after one limit.
//
// Transfers run on the caller's thread and hold the map's lock for their
// whole duration. Progress events run on that thread.
class TQCMapTransferDevice : public TQCMapTransfer {
public:
    // Limits of the controller's map area.
    static constexpr std::int32_t TableAreaSize = 0x6000;      // 24576 bytes of tables
    static constexpr std::int32_t DirectoryAddress = 0x6000;
    static constexpr std::int32_t HeaderTableAddress = 0x6008;
    static constexpr std::int32_t MapAreaEnd = 0x67FF;
    static constexpr int HeaderAreaSize = MapAreaEnd + 1 - HeaderTableAddress;   // 2040 bytes
    static constexpr int MaxHeaders = 100;

    // ui shows the two notices of ReadDeviceMap; may be nullptr (no notice).
    explicit TQCMapTransferDevice(TQCMap* map, TUIBridge* ui = nullptr) : TQCMapTransfer(map), FUI(ui) {}

    TQC7* FDriver = nullptr;   // not owned
    std::int32_t FDeviceIndex = 0;
    std::int32_t FDeviceCount = 1;

    // ReadFram / WriteFram of FDriver at address with bit 31 cleared; -1 without a driver.
    int ReadBlock(std::int32_t address, std::uint8_t* buffer, std::int32_t length) override;
    int WriteBlock(std::int32_t address, const std::uint8_t* buffer, std::int32_t length) override;

    // Clears the map, then reads the device map of the module type that
    // deviceId names with the driver DriverOfIdentical gives. FSource = 2.
    // A failed read leaves what was read so far in the map.
    int ReadMap(TDevManager* deviceManager, const TDeviceID& deviceId) override;
    // Sends that device map. The map itself is not changed, except that the
    // FAddress of tables, axes and headers and the header records' position
    // and address fields are refreshed on success.
    int SendMap(TDevManager* deviceManager, const TDeviceID& deviceId) override;

    // Configuration, directory, headers (ParseHeader), names and, for the
    // primary module, the SFM mode mask (read even when the steps before
    // failed). Any failed axis or table read ends the read with its status.
    int ReadDeviceMap();
    // Checks the map before anything is sent (CheckSendable), then writes
    // tables, directory, headers, axes and names inside BeginMapWrite /
    // EndMapWrite. EndMapWrite follows every BeginMapWrite, also after a
    // failure (of the begin too); its own status is not reported.
    int SendDeviceMap();

    // 0 when FDeviceMap can be sent: 1..100 headers, each with an X axis, a
    // Y axis and a table of this device map; tables of at most 24576 bytes in
    // all; 16 N + the compact axis bytes at most 2040; no damaged axis.
    // Otherwise -1.
    int CheckSendable() const;

private:
    TUIBridge* FUI;

    int ReadConfiguration();
    int ReadDirectory(std::uint32_t& count, std::int32_t& headerTable);
    int ReadHeaders(std::uint32_t count, std::int32_t headerTable);
    int ReadNames();
    void ReadSfmMask();
    void ClearSpareAxisBytes();
    int WriteTables();
    int WriteHeadersAndAxes();
    int WriteNames();
    int NameSlot(int position, std::int32_t& address, int& size) const;
    void Notice(const char* text) const;
};
