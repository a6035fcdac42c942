// The USB message layer through report bytes of the test backend: framing
// on the way out, reassembly on the way in, routing to waiters.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "FakeHid.h"
#include "TestSupport.h"
#include "Usb.h"

namespace {

constexpr std::uint16_t KVendor = 0xF1A0, KProduct = 0x0506;

// An input report: id 0, tag, then the given stream bytes, zeros to length.
TBytes Report(std::uint32_t tag, const TBytes& stream, int length = 65) {
    TBytes r(static_cast<std::size_t>(length), 0);
    PutLE32(r.data() + 1, tag);
    std::copy(stream.begin(), stream.begin() + std::min<std::size_t>(stream.size(), r.size() - 5), r.begin() + 5);
    return r;
}

TBytes Header(std::uint16_t command, std::uint16_t total, const TBytes& data = {}) {
    TBytes s(4);
    PutLE16(s.data(), command);
    PutLE16(s.data() + 2, total);
    s.insert(s.end(), data.begin(), data.end());
    return s;
}

TBytes Pattern(int n, std::uint8_t seed = 1) {
    TBytes d(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        d[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seed + i);
    return d;
}

struct UsbFixture : ::testing::Test {
    void Connect(int inputLength = 65, int outputLength = 65) {
        Device = Backend->Add("/fake/kzd", KVendor, KProduct, inputLength, outputLength);
        Usb = std::make_unique<TUSB>(Backend, KProduct, KVendor);
        ASSERT_TRUE(Usb->IsConnected());
    }
    // Registers a waiter, lets feed deliver reports, waits up to limitMs.
    int Await(std::uint16_t command, const std::function<void()>& feed, TUSBMessage& reply, int limitMs = 2000) {
        TUSBNotify* waiter = Usb->AddWaiter(command);
        feed();
        const int status = waiter->Wait(reply, limitMs);
        Usb->RemoveWaiter(waiter);
        return status;
    }
    std::shared_ptr<TFakeBackend> Backend = std::make_shared<TFakeBackend>();
    std::shared_ptr<TFakeDevice> Device;
    std::unique_ptr<TUSB> Usb;
    TUSBMessage Reply;
};

TEST_F(UsbFixture, MessageWithoutDataIsOneReportAnnouncingTotalLength4) {
    Connect();
    TUSBMessage msg;
    msg.Set(0x5002, nullptr, 0);
    ASSERT_EQ(Usb->Send(msg), 0);
    const auto out = Device->Outputs();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(GetLE32(out[0].data() + 1), msg.Tag);
    EXPECT_EQ(GetLE16(out[0].data() + 5), 0x5002);
    EXPECT_EQ(GetLE16(out[0].data() + 7), 4);
    EXPECT_TRUE(std::all_of(out[0].begin() + 9, out[0].end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ((msg.Tag >> 16) & 0x8000u, 0u);
    EXPECT_EQ(msg.Tag & 0x8000u, 0u);
}

TEST_F(UsbFixture, OutgoingDataFills56BytesThen60PerReportUnderOneTag) {
    Connect();
    TUSBMessage msg;
    const TBytes data = Pattern(57 + 60);
    msg.Set(0x0004, data.data(), static_cast<int>(data.size()));
    ASSERT_EQ(Usb->Send(msg), 0);
    const auto out = Device->Outputs();
    ASSERT_EQ(out.size(), 3u);
    TBytes carried;
    for (const auto& r : out) {
        EXPECT_EQ(GetLE32(r.data() + 1), msg.Tag);
        carried.insert(carried.end(), r.begin() + 5, r.end());
    }
    EXPECT_EQ(GetLE16(carried.data() + 2), 4 + 117);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), carried.begin() + 4));
}

TEST_F(UsbFixture, ReplyOfTotalLength60ArrivesInOneReport) {
    Connect();
    const TBytes data = Pattern(56);
    ASSERT_EQ(Await(0x0003, [&] { Device->QueueInput(Report(7, Header(0x0003, 60, data))); }, Reply), 0);
    EXPECT_EQ(Reply.DataLength, 56);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), Reply.Data));
}

TEST_F(UsbFixture, ReplyOfTotalLength61NeedsASecondReportWithOneByte) {
    Connect();
    TUSBNotify* waiter = Usb->AddWaiter(0x0003);
    Device->QueueInput(Report(7, Header(0x0003, 61, Pattern(56))));
    EXPECT_EQ(waiter->Wait(Reply, 150), -1) << "one report of a 61-byte message is not a message";
    Usb->RemoveWaiter(waiter);
    ASSERT_EQ(Await(0x0003, [&] { Device->QueueInput(Report(7, TBytes{0xEE})); }, Reply), 0);
    EXPECT_EQ(Reply.DataLength, 57);
    EXPECT_EQ(Reply.Data[56], 0xEE);
}

class UsbBadTotalLength : public UsbFixture, public ::testing::WithParamInterface<int> {};

TEST_P(UsbBadTotalLength, HeaderOutside4To512IsDroppedAndTheNextMessageStillArrives) {
    Connect();
    TUSBNotify* waiter = Usb->AddWaiter(0x0003);
    Device->QueueInput(Report(7, Header(0x0003, static_cast<std::uint16_t>(GetParam()), Pattern(56))));
    for (int i = 0; i < 9; ++i)
        Device->QueueInput(Report(7, Pattern(60)));
    EXPECT_EQ(waiter->Wait(Reply, 200), -1);
    Usb->RemoveWaiter(waiter);
    ASSERT_EQ(Await(0x0003, [&] { Device->QueueInput(Report(8, Header(0x0003, 5, {0x42}))); }, Reply), 0);
    EXPECT_EQ(Reply.DataLength, 1);
    EXPECT_EQ(Reply.Data[0], 0x42);
}

INSTANTIATE_TEST_SUITE_P(Lengths, UsbBadTotalLength, ::testing::Values(0, 3, 513, 0xFFFF));

TEST_F(UsbFixture, LargestAcceptedReplyOf512Completes) {
    Connect();
    const TBytes data = Pattern(508, 9);
    ASSERT_EQ(Await(0x0003, [&] {
                  Device->QueueInput(Report(7, Header(0x0003, 512, TBytes(data.begin(), data.begin() + 56))));
                  for (std::size_t off = 56; off < data.size(); off += 60)
                      Device->QueueInput(Report(7, TBytes(data.begin() + off, data.begin() + std::min(off + 60, data.size()))));
              }, Reply), 0);
    ASSERT_EQ(Reply.DataLength, 508);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), Reply.Data));
}

TEST_F(UsbFixture, InterleavedTagsDiscardTheFirstMessageAndCompleteTheSecond) {
    Connect();
    TUSBNotify* first = Usb->AddWaiter(0x0010);
    TUSBNotify* second = Usb->AddWaiter(0x0011);
    Device->QueueInput(Report(0xA, Header(0x0010, 100, Pattern(56))));  // needs a second report
    Device->QueueInput(Report(0xB, Header(0x0011, 61, Pattern(56, 50))));
    Device->QueueInput(Report(0xA, TBytes(60, 0)));  // A's rest: starts a new (empty-header) message, dropped
    Device->QueueInput(Report(0xB, TBytes{0x77}));   // not B's continuation any more
    EXPECT_EQ(second->Wait(Reply, 200), -1);
    EXPECT_EQ(first->Wait(Reply, 0), -1);
    Usb->RemoveWaiter(first);
    Usb->RemoveWaiter(second);

    TUSBNotify* again = Usb->AddWaiter(0x0011);
    Device->QueueInput(Report(0xA, Header(0x0010, 100, Pattern(56))));
    Device->QueueInput(Report(0xB, Header(0x0011, 61, Pattern(56, 50))));
    Device->QueueInput(Report(0xB, TBytes{0x77}));
    ASSERT_EQ(again->Wait(Reply, 2000), 0);
    EXPECT_EQ(Reply.DataLength, 57);
    EXPECT_EQ(Reply.Data[0], 50);
    EXPECT_EQ(Reply.Data[56], 0x77);
    Usb->RemoveWaiter(again);
}

TEST_F(UsbFixture, LateReplyAfterATimeOutReachesNobody) {
    Connect();
    TUSBNotify* timedOut = Usb->AddWaiter(0x0003);
    EXPECT_EQ(timedOut->Wait(Reply, 30), -1);
    // Still registered but finished: the late reply is not accepted. A later
    // message of another command, dispatched after it, marks that it was seen.
    Device->QueueInput(Report(7, Header(0x0003, 5, {1})));
    ASSERT_EQ(Await(0x0099, [&] { Device->QueueInput(Report(9, Header(0x0099, 4))); }, Reply), 0);
    EXPECT_EQ(timedOut->Wait(Reply, 0), -1);
    Usb->RemoveWaiter(timedOut);
    // A reply with no waiter at all is dropped; a later waiter does not see it.
    Device->QueueInput(Report(8, Header(0x0003, 5, {2})));
    ASSERT_EQ(Await(0x0099, [&] { Device->QueueInput(Report(10, Header(0x0099, 4))); }, Reply), 0);
    TUSBNotify* later = Usb->AddWaiter(0x0003);
    EXPECT_EQ(later->Wait(Reply, 150), -1);
    Usb->RemoveWaiter(later);
}

TEST_F(UsbFixture, CanCarryingMessagesGoToTheCanHandlerNeverToAWaiter) {
    Connect();
    std::atomic<int> canMessages{0};
    Usb->SetCANMessageHandler([&](const TUSBMessage& m) { if (m.Command == 0x2102) ++canMessages; });
    TUSBNotify* waiter = Usb->AddWaiter(0x2102);
    Device->QueueInput(Report(7, Header(0x2102, 10, Pattern(6))));
    ASSERT_TRUE(WaitUntil([&] { return canMessages.load() == 1; }));
    EXPECT_EQ(waiter->Wait(Reply, 100), -1);
    Usb->RemoveWaiter(waiter);
}

TEST_F(UsbFixture, ShortReportsCompleteAMessageOnlyWhenEnoughBytesArrived) {
    Connect(20, 20);
    const TBytes data = Pattern(100, 3);
    const auto reports = TFakeMessageDevice::FrameReply({0x0003, data}, 0x55, 20);
    ASSERT_EQ(reports.size(), 7u);  // 11 data bytes in the first, 15 in each further report
    TUSBNotify* waiter = Usb->AddWaiter(0x0003);
    for (std::size_t i = 0; i + 1 < reports.size(); ++i)
        Device->QueueInput(reports[i]);
    EXPECT_EQ(waiter->Wait(Reply, 150), -1);
    Usb->RemoveWaiter(waiter);
    // The device sends the message again under a new tag.
    ASSERT_EQ(Await(0x0003, [&] {
                  for (const auto& r : TFakeMessageDevice::FrameReply({0x0003, data}, 0x56, 20))
                      Device->QueueInput(r);
              }, Reply), 0);
    ASSERT_EQ(Reply.DataLength, 100);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), Reply.Data));
}

TEST_F(UsbFixture, TruncatedDeliveriesAreBoundedByTheBytesDelivered) {
    Connect();
    // A 65-byte device that delivers 12-byte reports: 3 data bytes first, 7 after.
    TUSBNotify* waiter = Usb->AddWaiter(0x0003);
    TBytes first = Report(7, Header(0x0003, 14, Pattern(56)));
    first.resize(12);
    Device->QueueInput(first);
    TBytes rest = Report(7, Pattern(60, 100));
    rest.resize(12);
    Device->QueueInput(rest);
    ASSERT_EQ(waiter->Wait(Reply, 2000), 0);
    Usb->RemoveWaiter(waiter);
    ASSERT_EQ(Reply.DataLength, 10);
    EXPECT_EQ(Reply.Data[2], 3);
    EXPECT_EQ(Reply.Data[3], 100);
}

TEST_F(UsbFixture, SendRefusesDataLengthsOutside0To5120) {
    Connect();
    TUSBMessage msg;
    msg.Command = 0x0004;
    for (int bad : {-1, 5121, 6000}) {
        msg.DataLength = bad;
        EXPECT_EQ(Usb->Send(msg), -1) << bad;
    }
    EXPECT_EQ(Device->OutputCount(), 0);
    msg.DataLength = 5120;
    EXPECT_EQ(Usb->Send(msg), 0);
}

TEST_F(UsbFixture, SendOnAClosedDeviceFails) {
    Connect();
    Usb->Hid().Close();
    TUSBMessage msg;
    msg.Set(0x5002, nullptr, 0);
    EXPECT_EQ(Usb->Send(msg), -1);
    TUSBMessage reply;
    EXPECT_EQ(Usb->Request(0x5002, nullptr, 0, 1000, reply), -1);
}

}  // namespace

namespace {

void CountCall(void* data, void* sender) { *static_cast<int*>(data) += sender ? 1 : 100; }

TEST(NotifyEventList, KeepsDuplicatePairsAndRemovesOneAtATime) {
    TNotifyEventList list;
    int calls = 0, other = 0;
    list.Add(&CountCall, &calls);
    list.Add(&CountCall, &calls);
    list.Add(&CountCall, &other);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(&CountCall, &other), 2);
    list.Remove(&CountCall, &calls);
    EXPECT_EQ(list.Count(), 2);
    int sender = 0;
    list.Notify(&sender);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(other, 1);
    EXPECT_EQ(list.Get(5).Code, nullptr);
}

}  // namespace
