// Reads arbitrary bytes as an update file, as given and once more with a
// decoder key set, so that both the plain and the encoded read paths see
// every input. The reader must refuse damage without crashing, hanging or
// allocating more than the input's size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Qkufile.h"

namespace {

void LoadOnce(std::vector<std::uint8_t> bytes) {
    TEncodedFile stream(std::move(bytes));
    TQKUFile file;
    if (file.Load(stream)) {
        // Touch what a caller would use.
        std::size_t sections = 0;
        for (const TQKSFile* script : file.Scripts().Snapshot())
            sections += static_cast<std::size_t>(script->Sections().Count());
        (void)sections;
        if (file.ImageSize() != static_cast<std::int32_t>(file.Image().size()))
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    LoadOnce(bytes);
    if (size >= 76) {
        bytes[24] ^= 0x5A;  // second key low word: changes the encoded state
        bytes[31] |= 0x01;  // never all zero: always encoded
        LoadOnce(bytes);
    }
    return 0;
}
