#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// Random-access byte storage that map files are read from and written to.
// ReadAt and WriteAt are all or nothing as far as the caller can tell: false
// when not every byte could be moved (a read beyond the end is refused
// before anything is read). Finish flushes and closes; false when that failed.
class TQCMapStream {
public:
    virtual ~TQCMapStream() = default;
    virtual std::int64_t Size() const = 0;
    virtual bool ReadAt(std::int64_t offset, std::uint8_t* buffer, std::size_t length) = 0;
    virtual bool WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) = 0;
    virtual bool Finish() { return true; }
};

// A stream over bytes in memory (load from memory, save to memory).
class TQCMapMemoryStream : public TQCMapStream {
public:
    TQCMapMemoryStream() = default;
    TQCMapMemoryStream(const std::uint8_t* data, std::size_t size) : FBytes(data, data + size) {}
    std::int64_t Size() const override { return static_cast<std::int64_t>(FBytes.size()); }
    bool ReadAt(std::int64_t offset, std::uint8_t* buffer, std::size_t length) override;
    bool WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) override;
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
};

// A stream on a file. Open for reading opens an existing file; Create makes
// a new file and fails when one of that name exists.
class TQCMapFileStream : public TQCMapStream {
public:
    ~TQCMapFileStream() override;
    static std::unique_ptr<TQCMapFileStream> OpenForReading(const std::string& path);
    static std::unique_ptr<TQCMapFileStream> Create(const std::string& path);
    std::int64_t Size() const override { return FSize; }
    bool ReadAt(std::int64_t offset, std::uint8_t* buffer, std::size_t length) override;
    bool WriteAt(std::int64_t offset, const std::uint8_t* buffer, std::size_t length) override;
    bool Finish() override;

private:
    explicit TQCMapFileStream(std::FILE* file, std::int64_t size) : FFile(file), FSize(size) {}
    std::FILE* FFile;
    std::int64_t FSize;
};
