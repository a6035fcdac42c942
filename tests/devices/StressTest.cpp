// Closing a device while another thread sends and the read thread delivers
// replies: neither the close nor the sender may hang.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeHid.h"
#include "Kzdusb.h"
#include "TestSupport.h"
#include "Usb.h"

namespace {

TEST(CloseDuringSend, HundredClosesAndUnplugsWhileA24KBWriteRunsNeverHang) {
    TFakeUnit unit;
    TUSB usb(unit.Backend, 0x0506, 0xF1A0);
    TKZDUSB driver(&usb);
    std::vector<std::uint8_t> data(24 * 1024, 0x3C);
    int interrupted = 0;
    RunWithWatchdog([&] {
        for (int round = 0; round < 100; ++round) {
            unit.Device->Replug();
            ASSERT_TRUE(usb.IsConnected()) << round;
            const int before = unit.Messages->CountOf(0x0004);
            std::atomic<int> status{1};
            std::thread sender([&] { status = driver.WriteFram(0, data.data(), static_cast<int>(data.size())); });
            // Close once a few pieces went through, so that the read thread is busy delivering.
            WaitUntil([&] { return unit.Messages->CountOf(0x0004) >= before + 1 + round % 7; }, 5000);
            if (round % 2)
                unit.Device->Unplug();
            else
                usb.Hid().Close();
            sender.join();
            if (status.load() != 0)
                ++interrupted;
        }
    }, 120000, "close during send");
    EXPECT_GT(interrupted, 90) << "the close must cut the 96-piece write short";
    EXPECT_EQ(unit.Device->LiveConnections.load() <= 1, true);
}

}  // namespace
