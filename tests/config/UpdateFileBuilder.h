#pragma once
// Test fixtures: an encoder that is the exact inverse of the update-file
// decoder (written here from the file format, independently of the program's
// decoder), and a builder of update files and scripts in formats 1, 2 and 3,
// plain and encoded. The program itself never writes encoded files.
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace testfiles {

// The generator and table of the decoder, run forwards to encode.
class TTestEncoder {
public:
    explicit TTestEncoder(std::uint32_t low = 0, std::uint32_t high = 0) {
        const std::uint64_t key = (std::uint64_t(high) << 32) | low;
        Seed(low);
        for (int i = 0; i < 256; ++i) {
            const std::uint64_t r1 = Next(), r2 = Next();
            std::uint8_t t = std::uint8_t(r1 * key + r2 + 21);
            while (t == 0)
                t = std::uint8_t(Next() + 115);
            FTable[i] = t;
        }
        FIndex = FTable[0];
        Seed(0);
    }
    // Encodes bytes in place so that decoding them in the same order gives
    // the input back.
    void Encode(std::uint8_t* data, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t plain = data[i];
            const std::uint8_t t = FTable[FIndex];
            data[i] = std::uint8_t(plain - t);
            FIndex = std::uint8_t(FIndex + t + plain + (Next() & 0xFF));
        }
    }
    std::uint8_t Table(int i) const { return FTable[i]; }

private:
    void Seed(std::uint32_t s) {
        FState = s;
        Next();
    }
    std::uint32_t Next() {
        FState = FState * 22695477u + 1u;
        return (FState >> 16) & 0x7FFF;
    }
    std::uint32_t FState = 0;
    std::array<std::uint8_t, 256> FTable{};
    std::uint8_t FIndex = 0;
};

inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (8 * i));
}

inline std::array<std::uint8_t, 20> Section(std::uint8_t command, std::uint8_t structure, std::int32_t item,
                                            std::uint8_t op, std::int32_t operand) {
    std::array<std::uint8_t, 20> r{};
    r[0] = command;
    r[4] = structure;
    for (int i = 0; i < 4; ++i) {
        r[8 + i] = std::uint8_t(std::uint32_t(item) >> (8 * i));
        r[16 + i] = std::uint8_t(std::uint32_t(operand) >> (8 * i));
    }
    r[12] = op;
    return r;
}

struct TFilterSpec {
    std::uint8_t CheckType = 0;
    std::uint32_t Mask = 0;
    std::vector<std::string> Serials, Models;
    std::vector<std::int32_t> MapTypes;
};

struct TScriptSpec {
    std::string Name;
    TFilterSpec Filter;
    std::vector<std::array<std::uint8_t, 20>> Sections;
    std::uint32_t Reserved = 0;
    std::optional<std::uint32_t> SectionCount;  // stored in place of the real count
    // Encode only the header, as a reader that stops after it (a script with
    // a nonzero reserved word) consumes the decoder.
    bool EncodeHeaderOnly = false;
};

struct TUpdateSpec {
    std::uint32_t Format = 2;
    std::uint32_t BootValue = 0;
    std::uint32_t FirmwareVersion = 0;
    std::uint32_t Key1[2] = {0, 0};
    std::uint32_t Key2[2] = {0, 0};
    TFilterSpec Filter;
    std::vector<std::uint8_t> Image;
    std::vector<TScriptSpec> Scripts;
    bool ImageFlag = true;  // format 1
};

// Where the parts of a built file lie, for damage tests.
struct TLayout {
    std::size_t Filter = 0, Serials = 0, Models = 0, MapTypes = 0, Image = 0, ScriptTable = 0;
    std::vector<std::size_t> Scripts;
};

// Builds a file as the producing tool lays it out: header, filter record,
// serials, models, map types, image, script table, scripts. Parts that the
// reader decodes are encoded, in the reader's order, when a key word is set.
class TUpdateBuilder {
public:
    std::vector<std::uint8_t> Build(const TUpdateSpec& spec) {
        FBytes.clear();
        FRanges.clear();
        if (spec.Format == 1)
            return BuildFormat1(spec);
        FBytes.assign(76, 0);
        PutWord(FBytes, 0, spec.Format);
        PutWord(FBytes, 8, spec.BootValue);
        PutWord(FBytes, 12, spec.FirmwareVersion);
        PutWord(FBytes, 16, spec.Key1[0]);
        PutWord(FBytes, 20, spec.Key1[1]);
        PutWord(FBytes, 24, spec.Key2[0]);
        PutWord(FBytes, 28, spec.Key2[1]);
        AppendFilter(spec.Filter, 0, 32);
        FLayout.Image = FBytes.size();
        PutWord(FBytes, 60, std::uint32_t(spec.Image.size()));
        PutWord(FBytes, 64, std::uint32_t(FBytes.size()));
        AppendCoded(spec.Image);
        FLayout.ScriptTable = FBytes.size();
        PutWord(FBytes, 68, std::uint32_t(spec.Scripts.size()));
        PutWord(FBytes, 72, std::uint32_t(FBytes.size()));
        FBytes.resize(FBytes.size() + 8 * spec.Scripts.size(), 0);
        FLayout.Scripts.clear();
        for (std::size_t i = 0; i < spec.Scripts.size(); ++i) {
            FLayout.Scripts.push_back(FBytes.size());
            PutWord(FBytes, FLayout.ScriptTable + 8 * i, 0xA5A5A5A5u);
            PutWord(FBytes, FLayout.ScriptTable + 8 * i + 4, std::uint32_t(FBytes.size()));
            AppendScript(spec.Scripts[i]);
        }
        const bool encoded = spec.Key1[0] || spec.Key1[1] || spec.Key2[0] || spec.Key2[1];
        if (encoded) {
            TTestEncoder encoder(spec.Key2[0], spec.Key2[1]);
            for (const auto& [at, size] : FRanges)
                encoder.Encode(FBytes.data() + at, size);
        }
        return FBytes;
    }
    const TLayout& Layout() const { return FLayout; }

private:
    std::vector<std::uint8_t> BuildFormat1(const TUpdateSpec& spec) {
        FBytes.assign(16, 0);
        PutWord(FBytes, 0, 1);
        PutWord(FBytes, 8, spec.BootValue);
        PutWord(FBytes, 12, spec.ImageFlag ? 1 : 0);
        FLayout.Image = 16;
        FBytes.insert(FBytes.end(), spec.Image.begin(), spec.Image.end());
        return FBytes;
    }

    // Appends bytes that the reader decodes, in one decoding read.
    void AppendCoded(const std::vector<std::uint8_t>& part) {
        if (part.empty())
            return;
        FRanges.push_back({FBytes.size(), part.size()});
        FBytes.insert(FBytes.end(), part.begin(), part.end());
    }
    void AppendText(const std::string& text) {
        std::vector<std::uint8_t> field(16, 0);
        std::memcpy(field.data(), text.data(), std::min<std::size_t>(16, text.size()));
        AppendCoded(field);
    }
    void AppendWord(std::uint32_t value) {
        std::vector<std::uint8_t> w(4);
        PutWord(w, 0, value);
        AppendCoded(w);
    }

    // The filter record and the three lists; their offsets (relative to
    // base) go into the header words from headerAt (filter, S, S offset,
    // M, M offset, T, T offset).
    void AppendFilter(const TFilterSpec& f, std::size_t base, std::size_t headerAt) {
        FLayout.Filter = FBytes.size();
        PutWord(FBytes, headerAt, std::uint32_t(FBytes.size() - base));
        AppendCoded({f.CheckType});
        AppendWord(f.Mask);
        FLayout.Serials = FBytes.size();
        PutWord(FBytes, headerAt + 4, std::uint32_t(f.Serials.size()));
        PutWord(FBytes, headerAt + 8, std::uint32_t(FBytes.size() - base));
        for (const auto& s : f.Serials)
            AppendText(s);
        FLayout.Models = FBytes.size();
        PutWord(FBytes, headerAt + 12, std::uint32_t(f.Models.size()));
        PutWord(FBytes, headerAt + 16, std::uint32_t(FBytes.size() - base));
        for (const auto& m : f.Models)
            AppendText(m);
        FLayout.MapTypes = FBytes.size();
        PutWord(FBytes, headerAt + 20, std::uint32_t(f.MapTypes.size()));
        PutWord(FBytes, headerAt + 24, std::uint32_t(FBytes.size() - base));
        for (auto t : f.MapTypes)
            AppendWord(std::uint32_t(t));
    }

    void AppendScript(const TScriptSpec& s) {
        const std::size_t base = FBytes.size();
        std::vector<std::uint8_t> header(108, 0);
        PutWord(header, 0, 0x5A5A5A5Au);
        PutWord(header, 4, s.Reserved);
        std::memcpy(header.data() + 8, s.Name.data(), std::min<std::size_t>(64, s.Name.size()));
        AppendCoded(header);
        const std::size_t rangesAfterHeader = FRanges.size();
        const TLayout saved = FLayout;
        AppendFilter(s.Filter, base, base + 72);
        PutWord(FBytes, base + 100, s.SectionCount ? *s.SectionCount : std::uint32_t(s.Sections.size()));
        PutWord(FBytes, base + 104, std::uint32_t(FBytes.size() - base));
        for (const auto& r : s.Sections)
            AppendCoded(std::vector<std::uint8_t>(r.begin(), r.end()));
        if (s.EncodeHeaderOnly)
            FRanges.resize(rangesAfterHeader);
        FLayout.Filter = saved.Filter;
        FLayout.Serials = saved.Serials;
        FLayout.Models = saved.Models;
        FLayout.MapTypes = saved.MapTypes;
    }

    std::vector<std::uint8_t> FBytes;
    std::vector<std::pair<std::size_t, std::size_t>> FRanges;  // decoded parts in read order
    TLayout FLayout;
};

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace testfiles
