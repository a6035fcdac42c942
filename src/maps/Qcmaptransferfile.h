#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Qcmapstream.h"
#include "Qcmaptransfer.h"

// Map files (".kzm", ".qkm"): format 2 holds the primary device map only,
// format 3 a directory of up to 9 device maps. Both store, per device map,
// the configuration blocks, the header records, every axis block (196 bytes)
// and the tables and name of position 1; header address words hold file
// offsets with bit 31 set. All integers are little-endian.
//
// Load statuses: 0 success; -1 file missing, unreadable or damaged (a short
// read anywhere, an offset outside the file, an axis with more breakpoints
// than its block holds, a format-3 entry or header count out of range); -2 a
// format-2 header count outside 1..100 or an entry whose module type has no
// device map in the map; -3 an unknown format word. The map is cleared first
// and keeps what was read before a failure; FSource becomes 1 and FFileName
// the bare file name.
//
// Save statuses: 0 success; -1 refused (see SaveRefusal) or the file could
// not be written. The file is written beside the target under a temporary
// name and renamed over it only when every byte was written and flushed, so
// a failed save leaves the target as it was and no temporary file behind.
// Saving sets FAddress of the written axes and tables to their file offsets.
//
// Both hold the map's lock for their duration and run on the caller's thread.
class TQCMapTransferFile : public TQCMapTransfer {
public:
    enum : int { StatusDamaged = -1, StatusCountOutOfRange = -2, StatusUnknownFormat = -3 };

    explicit TQCMapTransferFile(TQCMap* map) : TQCMapTransfer(map) {}

    // -1 without an open stream or when fewer than length bytes were moved.
    int ReadBlock(std::int32_t address, std::uint8_t* buffer, std::int32_t length) override;
    int WriteBlock(std::int32_t address, const std::uint8_t* buffer, std::int32_t length) override;

    int LoadFromFile(const std::string& fileName) override;
    int SaveToFile(const std::string& fileName) override;
    // The same load from bytes in memory; fileName only names the map.
    int LoadFromMemory(const std::uint8_t* data, std::size_t size, const std::string& fileName);
    // The same save into bytes in memory.
    int SaveToMemory(std::vector<std::uint8_t>& bytes);

    // Why the map cannot be saved, or empty when it can: every device map to
    // be written must hold exactly one position, numbered 1, 1..100 headers of
    // that position, each with an X axis, a Y axis and a table of its own
    // device map; at most 9 device maps may be non-empty, and at least one.
    static std::string SaveRefusal(const TQCMap& map);

protected:
    // Creates the (temporary) file a save writes to; nullptr when it cannot.
    // Tests replace it to fail part way.
    virtual std::unique_ptr<TQCMapStream> CreateStream(const std::string& path);

private:
    struct TLayout {
        std::int64_t Headers = 0, Axes = 0, Tables = 0, Name = 0;
    };

    TQCMapStream* FStream = nullptr;
    std::int32_t FEntryOffset = 0;
    std::int32_t FDataOffset = 0;

    void BeginLoad(const std::string& fileName);
    int LoadStream(TQCMapStream& stream);
    int LoadFormat2();
    int LoadFormat3();
    int LoadEntry(const std::uint8_t* entry, std::uint64_t mask);
    int ReadHeaders(std::uint32_t count, std::uint32_t tableOffset);
    int ReadName(std::uint32_t offset);
    int ReadAtWord(std::uint32_t offset, std::uint8_t* buffer, std::int32_t length);

    int SaveStream(TQCMapStream& stream);
    int SaveFormat2(TQCDeviceMap& deviceMap);
    int SaveFormat3();
    int SaveEntry(TQCDeviceMap& deviceMap);
    TLayout Layout(TQCDeviceMap& deviceMap, std::int64_t headerOffset);
    int WriteContents(const TQCDeviceMap& deviceMap, const TLayout& layout);
    int WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length);
};
