#pragma once
#include <cstdint>
#include <string>

#include "Encodedfile.h"
#include "Locklist.h"
#include "Qcfilefilter.h"
#include "Qksfilesection.h"

// One configuration script as read from an update file: its name, its device
// filter and its sections (commands) in file order. Applying it to a device
// is the script loader's work; this class only holds what the file says.
//
// Script layout at offset O (offsets below relative to O, little-endian):
//   0 not interpreted, 4 reserved (must be 0), 8 name (64 bytes),
//   72 filter record offset, 76/80 serial count/offset, 84/88 model
//   count/offset, 92/96 map type count/offset, 100/104 section count/offset.
class TQKSFile {
public:
    static constexpr std::size_t KHeaderSize = 108;

    // Clears the filter and the sections, then reads the script at offset of
    // stream. When encoded, every part is read with decoding reads in this
    // order: header (108 bytes), filter flag (1), filter mask (4), each
    // serial number (16), each model number (16), each map type (4), each
    // section (20). Returns false, with Error telling why, when the header is
    // short or its reserved word is not 0, a list does not fit in the file,
    // or any read comes up short; sections read before the failure are
    // dropped then.
    bool Load(TEncodedFile& stream, std::int64_t offset, bool encoded);

    const std::string& Name() const { return FName; }
    const TQCFileFilter& Filter() const { return FFilter; }
    TQCFileFilter& Filter() { return FFilter; }
    const TQKSFileSectionList& Sections() const { return FSections; }
    TQKSFileSectionList& Sections() { return FSections; }
    // Why the last Load failed (empty after a successful one).
    const std::string& Error() const { return FError; }

private:
    bool ReadSections(class TQKPartReader& reader, std::uint64_t offset, std::uint32_t count);

    TQKSFileSectionList FSections;
    TQCFileFilter FFilter;
    std::string FName;
    std::string FError;
};

// An owning locked list of scripts, in file order.
class TQKSFileList : public TOwningLockList<TQKSFile> {};
