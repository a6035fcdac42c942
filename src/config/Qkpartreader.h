#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "Encodedfile.h"
#include "Qcfilefilter.h"

// The little-endian 32-bit word at bytes[at..at+3].
std::uint32_t LeWord(const std::uint8_t* bytes, std::size_t at);

// Reads the parts of an update file or a script from one stream: plain reads,
// or decoding reads when the file is encoded, each part by exactly one read
// (the decoder state depends on the read sizes). Every read and every list is
// checked against the size of the file, and the first failure is kept as a
// text for the caller's error.
class TQKPartReader {
public:
    TQKPartReader(TEncodedFile& stream, bool encoded) : FStream(stream), FEncoded(encoded) {}

    // Seeks to offset and reads count bytes in one read (decoded when the
    // file is encoded); false, with Error set, when fewer bytes arrive.
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, const char* what);
    // Reads count bytes in one read at the current position.
    bool ReadNext(void* buffer, std::size_t count, const char* what);
    // Whether count records of recordSize bytes from offset lie inside the
    // file; false, with Error set, otherwise. Checked before anything is
    // allocated for the list.
    bool ListFits(std::uint64_t offset, std::uint64_t count, std::uint64_t recordSize, const char* what);

    // The device filter record (check flag 1 byte, mask 4 bytes, two reads).
    bool ReadFilterRecord(std::uint64_t offset, TQCFileFilter& filter);
    // count texts of 16 bytes from offset, one read each. Model numbers when
    // models is true, serial numbers otherwise.
    bool ReadTexts(std::uint64_t offset, std::uint32_t count, TQCFileFilter& filter, bool models);
    // count map types of 4 bytes from offset, one read each.
    bool ReadMapTypes(std::uint64_t offset, std::uint32_t count, TQCFileFilter& filter);

    bool Encoded() const { return FEncoded; }
    TEncodedFile& Stream() { return FStream; }
    const std::string& Error() const { return FError; }
    bool Fail(const std::string& why);

private:
    TEncodedFile& FStream;
    bool FEncoded;
    std::string FError;
};
