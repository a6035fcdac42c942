#include "SimFixture.h"

#include <chrono>

using TKind = TSimFault::TKind;

TEST_F(SimFixture, DropReplyCountsRequestsFromTheMomentItIsSet) {
    ASSERT_TRUE(FClient.Call(0x00EB));
    FUnit->AddFault({TKind::DropReply, 2});
    EXPECT_TRUE(FClient.Call(0x00EB));
    EXPECT_FALSE(FClient.Call(0x00EB, {}, 200));
    EXPECT_TRUE(FClient.Call(0x00EB)) << "a fault fires once";
    EXPECT_EQ(FUnit->RequestCount(0x00EB), 4);
}

TEST_F(SimFixture, FaultLimitedToOneCommand) {
    TSimFault f{TKind::DropReply, 1};
    f.Command = 0x0003;
    FUnit->AddFault(f);
    EXPECT_TRUE(FClient.Call(0x00EB));
    EXPECT_FALSE(FClient.Call(0x0003, MemoryRequest(0, 4), 200));
    EXPECT_TRUE(FClient.Call(0x0003, MemoryRequest(0, 4)));
}

TEST_F(SimFixture, DelayedReplyArrivesLateAndBeforeLaterOnes) {
    FUnit->AddFault({TKind::DelayReply, 1, 300});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(FClient.SendRequest(0x00EB, {}));
    EXPECT_FALSE(FClient.ReceiveReply(100));
    ASSERT_TRUE(FClient.SendRequest(0x00EA, {}));
    auto late = FClient.ReceiveReply(5000);
    ASSERT_TRUE(late);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_EQ(late->Command, 0x00EB);
    auto next = FClient.ReceiveReply(5000);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->Command, 0x00EA);
}

TEST_F(SimFixture, CorruptedReplies) {
    TSimFault flip{TKind::CorruptReply, 1};
    FUnit->AddFault(flip);
    auto flipped = FClient.Call(0x5001);
    ASSERT_TRUE(flipped);
    EXPECT_EQ(flipped->Data, std::vector<std::uint8_t>{0xFF});

    TSimFault length{TKind::CorruptReply, 1};
    length.Corruption = TSimFault::TCorruption::BadTotalLength;
    FUnit->AddFault(length);
    ASSERT_TRUE(FClient.SendRequest(0x00EB, {}));
    auto packet = FClient.ReceivePacket(2000);
    ASSERT_TRUE(packet && packet->size() == 65);
    EXPECT_EQ((*packet)[7] | (*packet)[8] << 8, 513);

    TSimFault tag{TKind::CorruptReply, 1};
    tag.Corruption = TSimFault::TCorruption::SwitchTag;
    FUnit->AddFault(tag);
    ASSERT_TRUE(FClient.SendRequest(0x0003, MemoryRequest(0, 100)));   // two reports
    auto a = FClient.ReceivePacket(2000), b = FClient.ReceivePacket(2000);
    ASSERT_TRUE(a && b && a->size() == 65 && b->size() == 65);
    EXPECT_NE(std::vector<std::uint8_t>(a->begin() + 1, a->begin() + 5), std::vector<std::uint8_t>(b->begin() + 1, b->begin() + 5));
}

TEST_F(SimFixture, DetachAfterNthRequestAndAttachAgain) {
    FUnit->AddFault({TKind::DetachAfter, 2, 100});
    EXPECT_TRUE(FClient.Call(0x0003, MemoryRequest(0, 256)));
    ASSERT_TRUE(FClient.SendRequest(0x0003, MemoryRequest(256, 256)));
    EXPECT_TRUE(FClient.WaitClosed(5000));
    EXPECT_FALSE(FUnit->IsAttached());
    ASSERT_TRUE(FUnit->WaitAttached(true, 5000));
    TLinkClient again(FUnit->SocketPath());
    EXPECT_TRUE(again.Call(0x00EB));
}

TEST_F(SimFixture, WrongReplyLengthAndSilence) {
    FUnit->SetReplyDataLength(0x00EA, 32);
    auto shortInfo = FClient.Call(0x00EA);
    ASSERT_TRUE(shortInfo);
    EXPECT_EQ(shortInfo->Data.size(), 32u);
    FUnit->SetReplyDataLength(0x00E8, 60);
    auto longLog = FClient.Call(0x00E8);
    ASSERT_TRUE(longLog);
    EXPECT_EQ(longLog->Data.size(), 60u);
    FUnit->SetReplyDataLength(0x00EA, -1);
    EXPECT_EQ(FClient.Call(0x00EA)->Data.size(), 33u);

    FUnit->SetSilent(true);
    EXPECT_FALSE(FClient.Call(0x00EB, {}, 200));
    EXPECT_EQ(FUnit->RequestCount(0x00EB), 1) << "still counted";
    FUnit->SetSilent(false);
    EXPECT_TRUE(FClient.Call(0x00EB));
}

TEST_F(SimFixture, UnsolicitedMessagesReachTheHost) {
    FUnit->SendMessage(0x2102, std::vector<std::uint8_t>(70, 0x11), 0xCAFE0001);
    auto reply = FClient.ReceiveReply(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->Command, 0x2102);
    EXPECT_EQ(reply->Data.size(), 70u);
    EXPECT_EQ(ReportTag(reply->Reports[1]), 0xCAFE0001u);
}
