#include "SimFixture.h"

#include <chrono>

// With a report interval the unit sends at most one report per interval slot,
// on a fixed grid as an interrupt endpoint does: a report that goes out late
// in its slot may be followed by the next one early in the next slot, so five
// reports span at least three whole intervals. Only this loose lower bound is
// checked; the real timing is a benchmark's business.
TEST_F(SimFixture, ReportIntervalSpacesTheReportsOfAReply) {
    FUnit->SetReportIntervalUs(3000);
    // measured from the request: a late reader may find several reports waiting
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(FClient.SendRequest(0x0003, MemoryRequest(0, 256)));
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(FClient.ReceivePacket(5000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(3 * 3000));
}

TEST_F(SimFixture, ReportIntervalPacesIncomingReports) {
    FUnit->SetReportIntervalUs(3000);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::uint8_t> payload(256, 7);   // 5 request reports
    auto reply = FClient.Call(0x0004, MemoryRequest(0x100, 256, payload), 5000);
    ASSERT_TRUE(reply);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(3 * 3000));
    EXPECT_EQ(FUnit->Fram(0x100, 256), payload);
}
