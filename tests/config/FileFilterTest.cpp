#include <gtest/gtest.h>

#include "Qcfilefilter.h"

namespace {

TQCFilterDevice Device(std::uint8_t type, const char* serial = "AB12", const char* model = "KZD-200",
                       std::uint16_t mapType = 4660) {
    TQCFilterDevice d;
    d.DeviceType = type;
    d.HasDriver = true;
    d.SerialNumber = serial;
    d.ModelNumber = model;
    d.MapType = mapType;
    return d;
}

TQCFileFilter Filter(std::uint8_t check, std::uint32_t mask, std::vector<std::string> serials = {},
                     std::vector<std::string> models = {}, std::vector<std::int32_t> types = {}) {
    TQCFileFilter f;
    f.SetCheckType(check);
    f.SetTypeMask(mask);
    for (auto& s : serials)
        f.AddSerialNumber(s);
    for (auto& m : models)
        f.AddModelNumber(m);
    for (auto t : types)
        f.AddMapType(t);
    return f;
}

struct TFilterCase {
    const char* Name;
    TQCFileFilter Filter;
    TQCFilterDevice Device;
    std::uint8_t Result;
};

class FileFilterCheck : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(FileFilterCheck, GivesTheResultCode) {
    const auto& c = GetParam();
    TQCFileFilterCompare compare;
    EXPECT_EQ(compare.Check(c.Filter, c.Device), c.Result == KFilterPass);
    EXPECT_EQ(compare.Result(), c.Result);
}

TQCFilterDevice NoDriver() {
    auto d = Device(6);
    d.HasDriver = false;
    return d;
}

TQCFilterDevice Unreadable() {
    TQCFilterDevice d;
    d.DeviceType = 6;
    d.HasDriver = true;  // every read failed
    return d;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileFilterCheck,
    ::testing::Values(
        TFilterCase{"OpenFilterPassesKZD", Filter(0, 0), Unreadable(), KFilterPass},
        TFilterCase{"OpenFilterPassesQC7", Filter(0, 0), Device(1), KFilterPass},
        TFilterCase{"OpenFilterPassesKZR", Filter(0, 0), Device(7), KFilterPass},
        TFilterCase{"LbxIsNeverLookedUp", Filter(0, 0), Device(8), KFilterNoDriver},
        TFilterCase{"BootloaderIsNeverLookedUp", Filter(0, 0), Device(4), KFilterNoDriver},
        TFilterCase{"NoDriver", Filter(0, 0), NoDriver(), KFilterNoDriver},
        TFilterCase{"KzdMaskPassesKzd", Filter(1, 0x08), Device(6), KFilterPass},
        TFilterCase{"KzdMaskFailsQC7", Filter(1, 0x08), Device(1), KFilterKind},
        TFilterCase{"SerialNotListed", Filter(1, 0x08, {"ZZ99"}), Device(6), KFilterSerial},
        TFilterCase{"SerialInOtherCaseListed", Filter(1, 0x08, {"zz99", "ab12"}), Device(6), KFilterPass},
        TFilterCase{"SerialUnreadable", Filter(0, 0, {"AB12"}), Unreadable(), KFilterSerial},
        TFilterCase{"ModelNotListed", Filter(0, 0, {"AB12"}, {"KZD-100"}), Device(6), KFilterModel},
        TFilterCase{"ModelUnreadable", Filter(0, 0, {}, {"KZD-200"}), Unreadable(), KFilterModel},
        TFilterCase{"MapTypeNotListed", Filter(0, 0, {}, {"kzd-200"}, {1, 2}), Device(6), KFilterMapType},
        TFilterCase{"MapTypeUnreadable", Filter(0, 0, {}, {}, {4660}), Unreadable(), KFilterMapType},
        TFilterCase{"EverythingListed", Filter(1, 0x3F, {"AB12"}, {"KZD-200"}, {7, 4660}), Device(6), KFilterPass}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(FileFilter, SetTypeMaskKeepsSixBits) {
    TQCFileFilter f;
    f.SetTypeMask(0xFF);
    EXPECT_EQ(f.TypeMask(), 0x3F);
    f.SetTypeMask(0x1C8);
    EXPECT_EQ(f.TypeMask(), 0x08);
}

TEST(FileFilter, ClearKeepsTheCheckFlag) {
    auto f = Filter(1, 0x08, {"A"}, {"B"}, {3});
    f.Clear();
    EXPECT_EQ(f.CheckType(), 1);
    EXPECT_EQ(f.TypeMask(), 0);
    EXPECT_TRUE(f.SerialNumbers().empty() && f.ModelNumbers().empty() && f.MapTypes().empty());
}

TEST(FileFilter, DeviceRecordsGiveTextsAndMapType) {
    const std::uint8_t serial[16] = {'S', 'N', '0', '1', 0, 'x', 'x'};
    std::uint8_t model[22] = {1, 2, 3, 4};
    for (int i = 0; i < 16; ++i)
        model[4 + i] = std::uint8_t('A' + i);  // no terminating zero: all 16
    model[20] = 0x34;
    model[21] = 0x12;
    EXPECT_EQ(TQCFilterDevice::SerialOfRecord(serial), "SN01");
    EXPECT_EQ(TQCFilterDevice::ModelOfRecord(model), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(TQCFilterDevice::MapTypeOfRecord(model), 0x1234);
}

TEST(FileFilter, CaseIsIgnoredOnlyForAsciiLetters) {
    EXPECT_TRUE(TQCFileFilterCompare::SameText("Kzd-2a", "kZD-2A"));
    EXPECT_FALSE(TQCFileFilterCompare::SameText("[", "{"));  // 0x5B vs 0x7B
    EXPECT_FALSE(TQCFileFilterCompare::SameText("\xC4", "\xE4"));
    EXPECT_FALSE(TQCFileFilterCompare::SameText("AB", "AB "));
}

TEST(FileFilter, NeedsOnlyWhatTheListsAskFor) {
    EXPECT_FALSE(TQCFileFilterCompare::NeedsSerial(Filter(1, 8)));
    EXPECT_FALSE(TQCFileFilterCompare::NeedsModelInfo(Filter(1, 8, {"A"})));
    EXPECT_TRUE(TQCFileFilterCompare::NeedsModelInfo(Filter(1, 8, {}, {}, {5})));
}

}  // namespace
