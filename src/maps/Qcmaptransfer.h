#pragma once
#include <cstdint>
#include <functional>

#include "Qcmap.h"

class TDevManager;
class TDeviceID;

// What map files and the device transfer share: turning 16-byte header
// records into model objects of FDeviceMap, given ReadBlock.
//
// Every operation returns a status: 0 success, negative on failure (each
// subclass documents its codes). The base implementations return -1.
// Transfers run on the caller's thread and lock the map for their duration.
class TQCMapTransfer {
public:
    // (deviceIndex, deviceCount, total, done)
    using TProgressEvent = std::function<void(int, int, int, int)>;

    explicit TQCMapTransfer(TQCMap* map) : FMap(map) {}
    virtual ~TQCMapTransfer() = default;
    TQCMapTransfer(const TQCMapTransfer&) = delete;
    TQCMapTransfer& operator=(const TQCMapTransfer&) = delete;

    TQCMap* FMap;                         // not owned
    TQCDeviceMap* FDeviceMap = nullptr;   // the device map being filled or written, not owned
    TProgressEvent OnWriteProgress;
    TProgressEvent OnReadProgress;

    // Reads length bytes at address (a controller address or file offset).
    virtual int ReadBlock(std::int32_t address, std::uint8_t* buffer, std::int32_t length);
    virtual int WriteBlock(std::int32_t address, const std::uint8_t* buffer, std::int32_t length);
    virtual int LoadFromFile(const std::string& fileName);
    virtual int SaveToFile(const std::string& fileName);
    virtual int ReadMap(TDevManager* deviceManager, const TDeviceID& deviceId);
    virtual int SendMap(TDevManager* deviceManager, const TDeviceID& deviceId);

    // Turns one 16-byte record read at address into a header of FDeviceMap.
    // Axes and tables are looked up by (address, position) first, so headers
    // pointing at one table or axis share one object; missing ones are read
    // with ReadBlock (196 bytes per axis, DataSize bytes per table). A failed
    // read returns ReadBlock's status and a damaged axis (more breakpoints than
    // its block holds) -1; the header is then not added. 0 on success.
    int ParseHeader(std::int32_t address, const std::uint8_t* record);

    // The SFM mode of position n in a 64-bit mask: 2 bit set, 1 clear, 0 n outside 0..63.
    static int MaskState(std::uint64_t mask, int n);
    // Sets bit n for state 2, clears it otherwise; n outside 0..63 is ignored.
    static void SetMaskState(std::uint64_t& mask, int n, int state);

private:
    int LinkAxis(const TQCHeader& header, int word, TQCAxis*& axis);
    int LinkTable(TQCHeader& header);
};
