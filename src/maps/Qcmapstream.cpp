#include "Qcmapstream.h"

#include <cstring>

namespace {
bool Fits(std::int64_t offset, std::size_t length, std::int64_t size) {
    return offset >= 0 && offset <= size && length <= static_cast<std::uint64_t>(size - offset);
}
}  // namespace

bool TQCMapMemoryStream::ReadAt(std::int64_t offset, std::uint8_t* buffer, std::size_t length) {
    if (!Fits(offset, length, Size()))
        return false;
    if (length > 0)
        std::memcpy(buffer, FBytes.data() + offset, length);
    return true;
}

bool TQCMapMemoryStream::WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) {
    if (offset < 0 || offset > (std::int64_t{1} << 31))
        return false;
    const std::size_t end = static_cast<std::size_t>(offset) + length;
    if (end > FBytes.size())
        FBytes.resize(end, 0);
    if (length > 0)
        std::memcpy(FBytes.data() + offset, buffer, length);
    return true;
}

TQCMapFileStream::~TQCMapFileStream() {
    if (FFile)
        std::fclose(FFile);
}

std::unique_ptr<TQCMapFileStream> TQCMapFileStream::OpenForReading(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0) {
        std::fclose(file);
        return nullptr;
    }
    return std::unique_ptr<TQCMapFileStream>(new TQCMapFileStream(file, size));
}

std::unique_ptr<TQCMapFileStream> TQCMapFileStream::Create(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "w+bx");
    if (!file)
        return nullptr;
    return std::unique_ptr<TQCMapFileStream>(new TQCMapFileStream(file, 0));
}

bool TQCMapFileStream::ReadAt(std::int64_t offset, std::uint8_t* buffer, std::size_t length) {
    if (!FFile || !Fits(offset, length, FSize) || std::fseek(FFile, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(buffer, 1, length, FFile) == length;
}

bool TQCMapFileStream::WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) {
    if (!FFile || offset < 0 || std::fseek(FFile, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    if (std::fwrite(buffer, 1, length, FFile) != length)
        return false;
    const std::int64_t end = offset + static_cast<std::int64_t>(length);
    if (end > FSize)
        FSize = end;
    return true;
}

bool TQCMapFileStream::Finish() {
    if (!FFile)
        return false;
    const bool flushed = std::fflush(FFile) == 0 && !std::ferror(FFile);
    const bool closed = std::fclose(FFile) == 0;
    FFile = nullptr;
    return flushed && closed;
}
