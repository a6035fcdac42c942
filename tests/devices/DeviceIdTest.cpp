#include <gtest/gtest.h>

#include <memory>

#include "Deviceid.h"

namespace {

std::shared_ptr<const TDeviceID> Usb(std::uint8_t kind, std::int32_t pid) {
    return std::make_shared<const TDeviceID>(nullptr, pid, KConnUSB, kind);
}

}  // namespace

TEST(DeviceId, SameDeviceMatchesUsbWithAnyAndCanByNumber) {
    auto controller = Usb(KDevKindQC7, 0x0502);
    TDeviceID can3(controller, 3, KConnCAN, KDevKindQC7);
    TDeviceID can4(controller, 4, KConnCAN, KDevKindQC7);
    EXPECT_TRUE(can3.SameDevice(controller.get()));
    EXPECT_TRUE(controller->SameDevice(&can3));
    EXPECT_FALSE(can3.SameDevice(&can4));
    EXPECT_FALSE(can3.SameDevice(nullptr));
    TDeviceID sfm(controller, 3, KConnCAN, KDevKindQC7SFM);
    EXPECT_FALSE(can3.SameDevice(&sfm));
}

TEST(DeviceId, IdenticalNeedsMatchingParents) {
    auto qc7 = Usb(KDevKindQC7, 0x0502);
    auto kzd = Usb(KDevKindKZD, 0x0506);
    TDeviceID a(qc7, 3, KConnCAN, KDevKindLBX);
    TDeviceID copy(a);
    TDeviceID orphan(nullptr, 3, KConnCAN, KDevKindLBX);
    TDeviceID otherParent(kzd, 3, KConnCAN, KDevKindLBX);
    TDeviceID otherNumber(qc7, 4, KConnCAN, KDevKindLBX);
    EXPECT_TRUE(a.Identical(&copy));
    EXPECT_EQ(copy.Parent(), a.Parent());  // copies share the parent
    EXPECT_FALSE(a.Identical(&orphan));
    EXPECT_FALSE(orphan.Identical(&a));
    EXPECT_FALSE(a.Identical(&otherParent));
    EXPECT_FALSE(a.Identical(&otherNumber));
    EXPECT_TRUE(Usb(KDevKindKZD, 0x0506)->Identical(kzd.get()));
}

TEST(DeviceId, KindTableGivesNamesIdsAndBootloaders) {
    EXPECT_EQ(DeviceKindName(KDevKindKZD), "KZD ");
    EXPECT_EQ(DeviceKindName(KDevKindQC7Bootloader), "QC7 Bootloader");
    EXPECT_EQ(DeviceKindName(42), "??? ");
    EXPECT_EQ(DeviceKindOfProductId(0x0506), KDevKindKZD);
    EXPECT_EQ(DeviceKindOfProductId(0x0507), std::nullopt);
    EXPECT_EQ(DeviceKindOfCanNodeType(0xD2), KDevKindDualLBX);
    EXPECT_EQ(DeviceKindProductId(KDevKindLBX), std::nullopt);
    for (std::uint8_t k : {1, 2, 3, 5, 6})
        EXPECT_TRUE(DeviceKindHasBootloader(k)) << int(k);
    for (std::uint8_t k : {4, 7, 8, 9, 10})
        EXPECT_FALSE(DeviceKindHasBootloader(k)) << int(k);
}

TEST(DeviceIdList, SortsByNameAndCopiesDeeply) {
    TDeviceIDList list;
    list.Add(new TDeviceID(nullptr, 0x0506, KConnUSB, KDevKindKZD));
    list.Add(new TDeviceID(nullptr, 0x0502, KConnUSB, KDevKindQC7));
    list.Add(new TDeviceID(Usb(KDevKindQC7, 0x0502), 0, KConnCAN, KDevKindDualLBX));
    list.SortByName();
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0)->Name(), "Dual LBX ");
    EXPECT_EQ(list.Get(1)->Name(), "KZD ");
    EXPECT_EQ(list.Get(2)->Name(), "QC7 ");

    TDeviceIDList copy(list);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_NE(copy.Get(0), list.Get(0));
    EXPECT_TRUE(copy.Get(0)->Identical(list.Get(0)));
    EXPECT_EQ(copy.Find(TDeviceID(nullptr, 0x0506, KConnUSB, KDevKindKZD)), copy.Get(1));
    EXPECT_EQ(copy.Find(TDeviceID(nullptr, 0x0504, KConnUSB, KDevKindQC7SFM)), nullptr);
}
