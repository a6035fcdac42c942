#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The pseudo-random generator that encoded update files were made with:
// state = state * 22695477 + 1 (mod 2^32), output (state >> 16) & 0x7FFF.
// Every decoder holds its own generator, so two files read on one thread
// never draw from a shared state.
class TEncoderRandom {
public:
    // state = s, then one draw whose output is discarded.
    void Seed(std::uint32_t s) {
        FState = s;
        Next();
    }
    // The next value, 0..32767.
    std::uint32_t Next() {
        FState = FState * 22695477u + 1u;
        return (FState >> 16) & 0x7FFFu;
    }
    std::uint32_t State() const { return FState; }

private:
    std::uint32_t FState = 0;
};

// The keyed byte-stream decoder of encoded update files. Decoding depends on
// the order and sizes of the Decode calls since the table was last built, not
// on file positions. Used by one thread at a time.
class TDataEncoder {
public:
    TDataEncoder() { FState.fill(0); }

    // Builds the substitution table for the key (low, high), resetting the
    // running index and the generator. A key equal to the current one (a new
    // decoder's key is 0) changes nothing, so the running state is kept.
    void SetKey(std::uint32_t low, std::uint32_t high);
    // Decodes count bytes in place; the running state carries on to the next call.
    void Decode(std::uint8_t* buffer, std::size_t count);

    std::uint64_t Key() const { return FKey; }
    // The running index (byte 0 of the state) and the table entry i (0..255).
    std::uint8_t Index() const { return FState[0]; }
    std::uint8_t TableEntry(int i) const { return FState[1 + static_cast<std::size_t>(i & 0xFF)]; }
    const TEncoderRandom& Random() const { return FRandom; }

private:
    void BuildTable();

    std::uint64_t FKey = 0;   // high word << 32 | low word
    std::uint64_t FSeed = 0;  // always 0
    std::array<std::uint8_t, 257> FState;  // [0] running index, [1..256] table
    TEncoderRandom FRandom;
};

// A read-only file (or in-memory image of one) whose reader may decode, in
// place, the bytes of one read (ReadDecoded). Plain Read and Seek never touch
// the decoder.
class TEncodedFile {
public:
    enum TSeekOrigin { soBeginning, soCurrent, soEnd };

    // Opens fileName for reading; IsOpen tells whether that worked.
    explicit TEncodedFile(const std::string& fileName);
    // A stream over bytes held in memory (tests, fuzzing, data already read).
    explicit TEncodedFile(std::vector<std::uint8_t> bytes);
    ~TEncodedFile();
    TEncodedFile(const TEncodedFile&) = delete;
    TEncodedFile& operator=(const TEncodedFile&) = delete;

    bool IsOpen() const { return FFile != nullptr || FInMemory; }
    // The size of the file in bytes (0 when not open).
    std::int64_t Size() const { return FSize; }
    std::int64_t Position() const { return FPosition; }

    // Reads up to count bytes at the current position; returns the bytes read
    // (fewer at the end of the file, 0 when not open or past the end).
    std::size_t Read(void* buffer, std::size_t count);
    // Moves the position; returns the new position, or -1 (position kept) when
    // it would be negative. A position past the end is allowed; reads there
    // return 0 bytes.
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin);
    // Reads like Read; only when all count bytes arrived are they decoded in
    // place. A short read returns the bytes undecoded and leaves the decoder
    // state as it was.
    std::size_t ReadDecoded(void* buffer, std::size_t count);

    // Both set the decoder key; the second call therefore replaces the key
    // set by the first.
    void SetKey(std::uint32_t low, std::uint32_t high) { FEncoder.SetKey(low, high); }
    void SetSecondKey(std::uint32_t low, std::uint32_t high) { FEncoder.SetKey(low, high); }
    const TDataEncoder& Encoder() const { return FEncoder; }

private:
    std::FILE* FFile = nullptr;
    bool FInMemory = false;
    std::vector<std::uint8_t> FBytes;
    std::int64_t FSize = 0;
    std::int64_t FPosition = 0;
    TDataEncoder FEncoder;
};
