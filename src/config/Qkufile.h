#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Encodedfile.h"
#include "Qcfilefilter.h"
#include "Qksfile.h"

// An update file (".kzu", ".qku") read into memory: the firmware image, the
// boot value and firmware version, the decoder keys, the device filter and
// the configuration scripts. Files are made elsewhere; this class only reads.
//
// Format 1: 0 format, 8 boot value, 12 image flag, 16.. the image (never
// encoded). Formats 2 and 3: a plain 76-byte header (0 format, 4 reserved,
// 8 boot value, 12 firmware version, 16/20 first key, 24/28 second key,
// 32 filter offset, 36/40 serial count/offset, 44/48 model count/offset,
// 52/56 map type count/offset, 60/64 image length/offset, 68/72 script
// count/offset), a plain script table of 8-byte entries (word 1 the offset of
// a script), and every other part encoded when a key word is nonzero.
class TQKUFile {
public:
    static constexpr std::size_t KHeaderSize = 76;

    // Replaces the content by the file's. Returns false, with Error telling
    // why, when the file cannot be opened, its header is short, its reserved
    // word is not 0, its format is unknown, or any of its own parts (filter
    // record, serial, model and map type lists, image, script table) does not
    // lie inside the file or cannot be read completely; the object is then
    // left with no image and no scripts. A script that does not load is
    // skipped (see SkippedScripts); the others still load.
    bool Load(const std::string& fileName);
    // The same, from an open stream (its decoder must be fresh).
    bool Load(TEncodedFile& stream);

    // True when any of the four key words is nonzero.
    bool IsEncoded() const { return FKey1[0] || FKey1[1] || FKey2[0] || FKey2[1]; }
    // Discards the image and allocates n zero bytes when n > 0; nothing
    // happens when n equals the current size.
    void SetImageSize(std::int32_t n);

    const std::vector<std::uint8_t>& Image() const { return FImage; }
    std::int32_t ImageSize() const { return FImageSize; }
    std::uint32_t FirmwareVersion() const { return FFirmwareVersion; }
    std::uint32_t Format() const { return FFormat; }
    std::uint32_t BootValue() const { return FBootValue; }
    const std::uint32_t* Key1() const { return FKey1; }
    const std::uint32_t* Key2() const { return FKey2; }
    const TQKSFileList& Scripts() const { return FScripts; }
    const TQCFileFilter& Filter() const { return FFilter; }
    const std::string& Error() const { return FError; }
    // One line per script that did not load: its table entry and why.
    const std::vector<std::string>& SkippedScripts() const { return FSkipped; }

private:
    bool LoadFormat1(TEncodedFile& stream);
    bool LoadFormat23(TEncodedFile& stream, const std::uint8_t* header);
    bool LoadScripts(TEncodedFile& stream, std::uint64_t tableOffset, std::uint32_t count);
    bool Fail(const std::string& why);

    std::vector<std::uint8_t> FImage;
    std::int32_t FImageSize = 0;
    std::uint32_t FFirmwareVersion = 0;
    std::uint32_t FFormat = 3;
    std::uint32_t FBootValue = 0;
    std::uint32_t FKey1[2] = {0, 0};
    std::uint32_t FKey2[2] = {0, 0};
    TQKSFileList FScripts;
    TQCFileFilter FFilter;
    std::string FError;
    std::vector<std::string> FSkipped;
};
