#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qkufile.h"
#include "UpdateFileBuilder.h"

using namespace testfiles;

namespace {

TScriptSpec AccelScript() {
    TScriptSpec s;
    s.Name = "Accel Pump Defaults";
    s.Filter.CheckType = 1;
    s.Filter.Mask = 0x08;
    s.Filter.Serials = {"SN-0001"};
    s.Filter.MapTypes = {4660};
    s.Sections = {Section(2, 23, 3, 1, 250), Section(2, 23, 5, 2, -3), Section(1, 18, 0, 0, 0)};
    return s;
}

TUpdateSpec FullSpec(std::uint32_t format) {
    TUpdateSpec spec;
    spec.Format = format;
    spec.BootValue = 0x1234ABCD;
    spec.FirmwareVersion = 66571;
    spec.Filter.CheckType = 1;
    spec.Filter.Mask = 0xFF;
    spec.Filter.Serials = {"abc123", "SIXTEEN-CHARS-XY"};
    spec.Filter.Models = {"KZD-200"};
    spec.Filter.MapTypes = {4660, -2};
    spec.Image.resize(1000);
    for (std::size_t i = 0; i < spec.Image.size(); ++i)
        spec.Image[i] = std::uint8_t(i * 7 + 3);
    TScriptSpec second;
    second.Name = std::string(70, 'N');  // cut to 64
    second.Sections = {Section(3, 19, 0, 0, 0)};
    spec.Scripts = {AccelScript(), second};
    return spec;
}

struct TFormatCase {
    const char* Name;
    std::uint32_t Format;
    std::uint32_t Key1[2];
    std::uint32_t Key2[2];
    bool Encoded;
};

class UpdateFileFormats : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(UpdateFileFormats, LoadsEveryPart) {
    const auto& c = GetParam();
    TUpdateSpec spec = FullSpec(c.Format);
    spec.Key1[0] = c.Key1[0], spec.Key1[1] = c.Key1[1];
    spec.Key2[0] = c.Key2[0], spec.Key2[1] = c.Key2[1];
    TUpdateBuilder builder;
    auto bytes = builder.Build(spec);
    if (c.Encoded) {  // the image bytes on disk are not the plain ones
        ASSERT_NE(std::vector<std::uint8_t>(bytes.begin() + long(builder.Layout().Image),
                                            bytes.begin() + long(builder.Layout().Image) + 1000),
                  spec.Image);
    }
    TEncodedFile stream(bytes);
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    EXPECT_EQ(file.IsEncoded(), c.Encoded);
    EXPECT_EQ(file.Format(), c.Format);
    EXPECT_EQ(file.BootValue(), 0x1234ABCDu);
    EXPECT_EQ(file.FirmwareVersion(), 66571u);
    EXPECT_EQ(file.Filter().CheckType(), 1);
    EXPECT_EQ(file.Filter().TypeMask(), 0x3F);
    EXPECT_EQ(file.Filter().SerialNumbers(), (std::vector<std::string>{"abc123", "SIXTEEN-CHARS-XY"}));
    EXPECT_EQ(file.Filter().ModelNumbers(), (std::vector<std::string>{"KZD-200"}));
    EXPECT_EQ(file.Filter().MapTypes(), (std::vector<std::int32_t>{4660, -2}));
    EXPECT_EQ(file.ImageSize(), 1000);
    EXPECT_EQ(file.Image(), spec.Image);
    ASSERT_EQ(file.Scripts().Count(), 2);
    const TQKSFile* s = file.Scripts().Get(0);
    EXPECT_EQ(s->Name(), "Accel Pump Defaults");
    EXPECT_EQ(s->Filter().CheckType(), 1);
    EXPECT_EQ(s->Filter().TypeMask(), 0x08);
    EXPECT_EQ(s->Filter().SerialNumbers(), (std::vector<std::string>{"SN-0001"}));
    EXPECT_EQ(s->Filter().MapTypes(), (std::vector<std::int32_t>{4660}));
    ASSERT_EQ(s->Sections().Count(), 3);
    EXPECT_EQ(s->Sections().Get(1)->Record(), Section(2, 23, 5, 2, -3));
    EXPECT_EQ(s->Sections().Get(1)->Operand(), -3);
    const TQKSFile* t = file.Scripts().Get(1);
    EXPECT_EQ(t->Name(), std::string(64, 'N'));
    ASSERT_EQ(t->Sections().Count(), 1);
    EXPECT_EQ(t->Sections().Get(0)->Structure(), 19);
    EXPECT_TRUE(file.SkippedScripts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, UpdateFileFormats,
    ::testing::Values(TFormatCase{"Format2Plain", 2, {0, 0}, {0, 0}, false},
                      TFormatCase{"Format3Plain", 3, {0, 0}, {0, 0}, false},
                      TFormatCase{"Format2Encoded", 2, {0x11223344, 0x55667788}, {0x99AABBCC, 0xDDEEFF00}, true},
                      TFormatCase{"Format3Encoded", 3, {1, 0}, {0xFFFFFFFF, 0x7FFFFFFF}, true},
                      // Only the first key set: the table comes from the second, key 0.
                      TFormatCase{"OnlyFirstKeySet", 3, {0xCAFEF00D, 0}, {0, 0}, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// A decoder keyed with the first key instead of the second, or reading the
// image in two pieces, would read different bytes.
TEST(UpdateFile, EncodedFileIsDecodedWithTheSecondKey) {
    TUpdateSpec spec = FullSpec(2);
    spec.Key1[0] = 0xCAFEF00D;
    auto bytes = TUpdateBuilder().Build(spec);
    TEncodedFile stream(bytes);
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    EXPECT_EQ(stream.Encoder().Key(), 0u);
    EXPECT_EQ(file.Image(), spec.Image);
}

TEST(UpdateFile, Format1WithImage) {
    TUpdateSpec spec;
    spec.Format = 1;
    spec.BootValue = 77;
    spec.Image = {1, 2, 3, 4, 5};
    spec.Key1[0] = 5;  // format 1 has no keys: never decoded
    auto bytes = TUpdateBuilder().Build(spec);
    TEncodedFile stream(bytes);
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    EXPECT_EQ(file.Format(), 1u);
    EXPECT_EQ(file.BootValue(), 77u);
    EXPECT_EQ(file.FirmwareVersion(), 0u);
    EXPECT_FALSE(file.IsEncoded());
    EXPECT_EQ(file.Image(), spec.Image);
    EXPECT_EQ(file.Scripts().Count(), 0);
}

TEST(UpdateFile, Format1WithoutImageFlagHasNoImage) {
    TUpdateSpec spec;
    spec.Format = 1;
    spec.ImageFlag = false;
    spec.Image = {1, 2, 3};
    TEncodedFile stream(TUpdateBuilder().Build(spec));
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream));
    EXPECT_EQ(file.ImageSize(), 0);
    EXPECT_TRUE(file.Image().empty());
    EXPECT_EQ(file.Scripts().Count(), 0);
}

TEST(UpdateFile, LoadsFromAFileOnDisk) {
    const std::string path = ::testing::TempDir() + "/kzd_update_file_test.kzu";
    TUpdateSpec spec = FullSpec(2);
    spec.Key2[0] = 0x5EED;
    WriteFile(path, TUpdateBuilder().Build(spec));
    TQKUFile file;
    ASSERT_TRUE(file.Load(path)) << file.Error();
    EXPECT_EQ(file.Image(), spec.Image);
    EXPECT_EQ(file.Scripts().Count(), 2);
    std::remove(path.c_str());
    TQKUFile missing;
    EXPECT_FALSE(missing.Load(path));
    EXPECT_EQ(missing.Error(), "cannot open the file");
}

struct TDamageCase {
    const char* Name;
    bool Encoded;
    std::size_t TLayout::*Part;  // cut the file one byte into this part
    const char* Error;
};

class UpdateFileTruncated : public ::testing::TestWithParam<TDamageCase> {};

// A file cut short inside one of its own parts is refused, never read as zeros.
TEST_P(UpdateFileTruncated, IsRefusedWithAClearError) {
    const auto& c = GetParam();
    TUpdateSpec spec = FullSpec(3);
    if (c.Encoded)
        spec.Key2[1] = 0x0BADF00D;
    TUpdateBuilder builder;
    auto bytes = builder.Build(spec);
    bytes.resize(builder.Layout().*c.Part + 1);
    TEncodedFile stream(bytes);
    TQKUFile file;
    EXPECT_FALSE(file.Load(stream));
    EXPECT_NE(file.Error().find(c.Error), std::string::npos) << file.Error();
    EXPECT_EQ(file.ImageSize(), 0);
    EXPECT_EQ(file.Scripts().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Parts, UpdateFileTruncated,
    ::testing::Values(TDamageCase{"FilterPlain", false, &TLayout::Filter, "device filter record"},
                      TDamageCase{"FilterEncoded", true, &TLayout::Filter, "device filter record"},
                      TDamageCase{"Serials", false, &TLayout::Serials, "serial number list"},
                      TDamageCase{"SerialsEncoded", true, &TLayout::Serials, "serial number list"},
                      TDamageCase{"Models", false, &TLayout::Models, "model number list"},
                      TDamageCase{"MapTypes", true, &TLayout::MapTypes, "map type list"},
                      TDamageCase{"Image", false, &TLayout::Image, "firmware image"},
                      TDamageCase{"ImageEncoded", true, &TLayout::Image, "firmware image"},
                      TDamageCase{"ScriptTable", false, &TLayout::ScriptTable, "script table"}),
    [](const auto& info) { return std::string(info.param.Name); });

std::vector<std::uint8_t> WithWord(std::vector<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    PutWord(bytes, at, value);
    return bytes;
}

struct THeaderCase {
    const char* Name;
    std::size_t At;
    std::uint32_t Value;
    const char* Error;
};

class UpdateFileHeader : public ::testing::TestWithParam<THeaderCase> {};

// Damaged header words: refused before anything of that size is allocated.
TEST_P(UpdateFileHeader, IsRefused) {
    const auto& c = GetParam();
    auto bytes = WithWord(TUpdateBuilder().Build(FullSpec(2)), c.At, c.Value);
    TEncodedFile stream(bytes);
    TQKUFile file;
    EXPECT_FALSE(file.Load(stream));
    EXPECT_NE(file.Error().find(c.Error), std::string::npos) << file.Error();
}

INSTANTIATE_TEST_SUITE_P(
    Words, UpdateFileHeader,
    ::testing::Values(THeaderCase{"UnknownFormat", 0, 4, "unknown format word 4"},
                      THeaderCase{"FormatZero", 0, 0, "unknown format word 0"},
                      THeaderCase{"ReservedWord", 4, 1, "reserved header word"},
                      THeaderCase{"FilterPastEnd", 32, 0x00100000, "device filter record beyond the end"},
                      THeaderCase{"HugeSerialCount", 36, 0x7FFFFFFF, "serial number list beyond the end"},
                      THeaderCase{"HugeModelCount", 44, 0xFFFFFFFF, "model number list beyond the end"},
                      THeaderCase{"HugeMapTypeCount", 52, 0x40000000, "map type list beyond the end"},
                      THeaderCase{"HugeImageLength", 60, 0x7FFFFFFF, "firmware image beyond the end"},
                      THeaderCase{"NegativeImageLength", 60, 0x80000000, "firmware image length"},
                      THeaderCase{"ImagePastEnd", 64, 0xFFFFFFF0, "firmware image beyond the end"},
                      THeaderCase{"HugeScriptCount", 68, 0x20000000, "script table beyond the end"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(UpdateFile, ShortFilesAreRefused) {
    for (std::size_t size : {0, 3, 4, 15, 40, 75}) {
        auto bytes = TUpdateBuilder().Build(FullSpec(2));
        bytes.resize(size);
        TEncodedFile stream(bytes);
        TQKUFile file;
        EXPECT_FALSE(file.Load(stream)) << size;
    }
    TUpdateSpec one;
    one.Format = 1;
    auto bytes = TUpdateBuilder().Build(one);
    bytes.resize(12);
    TEncodedFile stream(bytes);
    TQKUFile file;
    EXPECT_FALSE(file.Load(stream));
}

// A script that does not load is skipped; the scripts after it still load,
// also in an encoded file (where they decode with the running state).
class ScriptDamage : public ::testing::TestWithParam<bool> {};

TEST_P(ScriptDamage, SkipsAScriptWithAReservedWordAndKeepsTheRest) {
    TUpdateSpec spec = FullSpec(2);
    if (GetParam())
        spec.Key2[0] = 0x600D;
    TScriptSpec bad = AccelScript();
    bad.Reserved = 1;
    bad.EncodeHeaderOnly = true;
    spec.Scripts.insert(spec.Scripts.begin() + 1, bad);
    TEncodedFile stream(TUpdateBuilder().Build(spec));
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    ASSERT_EQ(file.Scripts().Count(), 2);
    EXPECT_EQ(file.Scripts().Get(0)->Name(), "Accel Pump Defaults");
    EXPECT_EQ(file.Scripts().Get(1)->Name(), std::string(64, 'N'));
    EXPECT_EQ(file.Scripts().Get(1)->Sections().Get(0)->Command(), 3);
    ASSERT_EQ(file.SkippedScripts().size(), 1u);
    EXPECT_NE(file.SkippedScripts()[0].find("reserved word"), std::string::npos);
}

TEST(UpdateFile, RefusesAScriptWithAHugeSectionCountWithoutAllocating) {
    TUpdateSpec spec = FullSpec(2);
    spec.Scripts[0].SectionCount = 0x7FFFFFFF;
    TEncodedFile stream(TUpdateBuilder().Build(spec));
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    ASSERT_EQ(file.Scripts().Count(), 1);
    EXPECT_EQ(file.Scripts().Get(0)->Name(), std::string(64, 'N'));
    ASSERT_EQ(file.SkippedScripts().size(), 1u);
    EXPECT_NE(file.SkippedScripts()[0].find("section list beyond the end"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(PlainAndEncoded, ScriptDamage, ::testing::Bool());

struct TScriptCut {
    const char* Name;
    int Cut;  // bytes of the last script kept
    const char* Error;
};

class ScriptTruncated : public ::testing::TestWithParam<TScriptCut> {};

// The last script cut short at each of its parts does not load (its reads
// come up short); the update file itself still loads with the other script.
TEST_P(ScriptTruncated, FailsItsLoad) {
    const auto& c = GetParam();
    TUpdateSpec spec = FullSpec(2);
    spec.Scripts = {spec.Scripts[1], AccelScript()};
    TUpdateBuilder builder;
    auto bytes = builder.Build(spec);
    bytes.resize(builder.Layout().Scripts[1] + std::size_t(c.Cut));
    TEncodedFile stream(bytes);
    TQKUFile file;
    ASSERT_TRUE(file.Load(stream)) << file.Error();
    ASSERT_EQ(file.Scripts().Count(), 1);
    ASSERT_EQ(file.SkippedScripts().size(), 1u);
    EXPECT_NE(file.SkippedScripts()[0].find(c.Error), std::string::npos) << file.SkippedScripts()[0];
}

// Layout of AccelScript: header 108, filter 5 (108..112), one serial
// (113..128), no models, one map type (129..132), three sections (133..192).
INSTANTIATE_TEST_SUITE_P(
    Parts, ScriptTruncated,
    ::testing::Values(TScriptCut{"Header", 50, "script header"}, TScriptCut{"Filter", 110, "device filter record"},
                      TScriptCut{"Serial", 120, "serial number list"}, TScriptCut{"MapType", 131, "map type list"},
                      TScriptCut{"Sections", 180, "section list"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(UpdateFile, SetImageSizeReplacesTheImage) {
    TQKUFile file;
    file.SetImageSize(10);
    EXPECT_EQ(file.Image().size(), 10u);
    file.SetImageSize(0);
    EXPECT_TRUE(file.Image().empty());
    file.SetImageSize(-5);
    EXPECT_EQ(file.ImageSize(), 0);
}

}  // namespace
