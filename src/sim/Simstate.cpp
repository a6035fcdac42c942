#include "Simstate.h"
#include "Simmemory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr char Magic[8] = {'K', 'Z', 'D', 'S', 'I', 'M', 'S', 'T'};
constexpr std::uint32_t FormatVersion = 1;
constexpr std::size_t HeaderSize = 8 + 4 * 4;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    SimPut32(b, v);
    out.insert(out.end(), b, b + 4);
}

} // namespace

bool SimSaveState(const std::string& path, const TSimMemory& memory, const TSimStoredState& state, std::string* error) {
    std::vector<std::uint8_t> out(Magic, Magic + 8);
    Append32(out, FormatVersion);
    Append32(out, state.InBootloader ? 1 : 0);
    Append32(out, std::uint32_t(memory.Fram().size()));
    Append32(out, std::uint32_t(memory.Flash().size()));
    out.insert(out.end(), memory.Fram().begin(), memory.Fram().end());
    out.insert(out.end(), memory.Flash().begin(), memory.Flash().end());
    Append32(out, Crc32(out.data(), out.size()));
    const std::string temporary = path + ".tmp";
    std::error_code ec;
    if (const auto parent = std::filesystem::path(path).parent_path(); !parent.empty())
        std::filesystem::create_directories(parent, ec);
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return Fail(error, "cannot write '" + temporary + "': " + std::strerror(errno));
        file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
        if (!file.flush()) return Fail(error, "cannot write '" + temporary + "'");
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return Fail(error, "cannot replace '" + path + "': " + std::strerror(errno));
    return true;
}

bool SimLoadState(const std::string& path, TSimMemory& memory, TSimStoredState& state, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return Fail(error, "cannot read '" + path + "': " + std::strerror(errno));
    const std::vector<std::uint8_t> in((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string bad = "'" + path + "' is not a simulator state file";
    if (in.size() < HeaderSize + 4 || std::memcmp(in.data(), Magic, 8) != 0) return Fail(error, bad);
    if (SimGet32(&in[8]) != FormatVersion) return Fail(error, bad + " of this version");
    const std::uint32_t framSize = SimGet32(&in[16]);
    const std::uint32_t flashSize = SimGet32(&in[20]);
    if (framSize != memory.Fram().size() || flashSize != memory.Flash().size() ||
        in.size() != HeaderSize + framSize + flashSize + 4)
        return Fail(error, bad + " (sizes do not match)");
    if (Crc32(in.data(), in.size() - 4) != SimGet32(&in[in.size() - 4])) return Fail(error, bad + " (checksum)");
    const auto fram = in.begin() + HeaderSize;
    std::copy(fram, fram + framSize, memory.Fram().begin());
    std::copy(fram + framSize, fram + framSize + flashSize, memory.Flash().begin());
    state.InBootloader = SimGet32(&in[12]) != 0;
    return true;
}

std::string SimDefaultStateFile(const std::string& unitName) {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache) base = cache;
    else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.cache";
    else base = std::filesystem::temp_directory_path().string();
    return base + "/kzd-control-center/sim-" + unitName + ".state";
}
