#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "Fifo.h"
#include "Integerlist.h"
#include "Locklist.h"
#include "Timeout.h"
#include "Uibridge.h"

TEST(Fifo, HoldsCapacityMinusOneBytesAndRefusesWhatDoesNotFit) {
    TFIFO fifo(10);
    const std::uint8_t data[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(fifo.Write(data, 9), 9);
    EXPECT_EQ(fifo.Count(), 9);
    // A tenth byte does not fit: nothing is stored and the nine stay whole.
    EXPECT_EQ(fifo.Write(data + 9, 1), 0);
    EXPECT_EQ(fifo.Count(), 9);
    std::uint8_t out[10] = {};
    EXPECT_EQ(fifo.Read(out, 10), 9);
    EXPECT_EQ(std::memcmp(out, data, 9), 0);
}

TEST(Fifo, RecordThatDoesNotFitLeavesEarlierRecordsIntact) {
    TFIFO fifo(12);
    const std::uint8_t a[5] = {1, 1, 1, 1, 1}, b[5] = {2, 2, 2, 2, 2}, c[5] = {3, 3, 3, 3, 3};
    ASSERT_EQ(fifo.Write(a, 5), 5);
    ASSERT_EQ(fifo.Write(b, 5), 5);
    EXPECT_EQ(fifo.Write(c, 5), 0);
    std::uint8_t out[5];
    ASSERT_EQ(fifo.Read(out, 5), 5);
    EXPECT_EQ(out[0], 1);
    ASSERT_EQ(fifo.Read(out, 5), 5);
    EXPECT_EQ(out[4], 2);
    EXPECT_EQ(fifo.Count(), 0);
}

TEST(Fifo, WrapsAroundTheEndOfTheStorage) {
    TFIFO fifo(8);
    std::uint8_t out[8];
    for (int round = 0; round < 20; ++round) {
        const std::uint8_t rec[5] = {std::uint8_t(round), 1, 2, 3, std::uint8_t(round + 4)};
        ASSERT_EQ(fifo.Write(rec, 5), 5);
        ASSERT_EQ(fifo.Read(out, 5), 5);
        EXPECT_EQ(std::memcmp(out, rec, 5), 0) << "round " << round;
    }
}

TEST(Fifo, ReadOnEmptyLeavesDestinationAndHasAtLeastCountsExactly) {
    TFIFO fifo(6000);
    std::uint8_t out[4] = {7, 7, 7, 7};
    EXPECT_EQ(fifo.Read(out, 4), 0);
    EXPECT_EQ(out[0], 7);
    std::vector<std::uint8_t> rec(5131, 9);
    ASSERT_EQ(fifo.Write(rec.data(), 5131), 5131);
    EXPECT_FALSE(fifo.HasAtLeast(5132));
    EXPECT_TRUE(fifo.HasAtLeast(5131));
}

TEST(Fifo, CapacityChangesEmptyAndZeroCapacityStoresNothing) {
    TFIFO fifo(16);
    const std::uint8_t data[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(fifo.Write(data, 5), 5);
    fifo.SetCapacity(16);  // same capacity: still empties
    EXPECT_EQ(fifo.Count(), 0);
    fifo.SetCapacity(0);
    EXPECT_EQ(fifo.Write(data, 5), 0);
    std::uint8_t out[5];
    EXPECT_EQ(fifo.Read(out, 5), 0);
    fifo.SetCapacity(32);
    EXPECT_EQ(fifo.Write(data, 5), 5);
}

TEST(Fifo, RecordsCrossThreadsWholeAndInOrder) {
    constexpr int kRecord = 5132, kCount = 2000;
    TFIFO fifo(204800);
    std::thread producer([&] {
        std::vector<std::uint8_t> rec(kRecord);
        for (int i = 0; i < kCount; ++i) {
            std::memset(rec.data(), i & 0xFF, kRecord);
            std::memcpy(rec.data(), &i, sizeof i);
            while (fifo.Write(rec.data(), kRecord) == 0)
                std::this_thread::yield();
        }
    });
    std::vector<std::uint8_t> rec(kRecord);
    for (int i = 0; i < kCount; ++i) {
        while (!fifo.HasAtLeast(kRecord))
            std::this_thread::yield();
        ASSERT_EQ(fifo.Read(rec.data(), kRecord), kRecord);
        int seq;
        std::memcpy(&seq, rec.data(), sizeof seq);
        ASSERT_EQ(seq, i);
        ASSERT_EQ(rec[kRecord - 1], i & 0xFF);
    }
    producer.join();
}

struct TItem {
    explicit TItem(int* d) : deleted(d) {}
    ~TItem() { ++*deleted; }
    int* deleted;
};

TEST(LockList, AddKeepsOneEntryAndOwningListDeletesItsEntries) {
    int deleted = 0;
    auto* a = new TItem(&deleted);
    auto* b = new TItem(&deleted);
    {
        TOwningLockList<TItem> list;
        EXPECT_EQ(list.Add(a), 0);
        EXPECT_EQ(list.Add(b), 1);
        EXPECT_EQ(list.Add(a), 0);
        EXPECT_EQ(list.Count(), 2);
        list.Remove(a);
        EXPECT_EQ(deleted, 1);
        EXPECT_EQ(list.IndexOf(b), 0);
        EXPECT_EQ(list.Get(5), nullptr);
        list.Delete(7);  // out of range: nothing happens
        EXPECT_EQ(list.Count(), 1);
    }
    EXPECT_EQ(deleted, 2);
}

TEST(LockList, IsReentrantForTheThreadHoldingIt) {
    TLockList<int> list;
    int x = 1, y = 2;
    list.Add(&x);
    list.Lock();
    std::atomic<bool> added{false};
    std::thread other([&] {
        list.Add(&y);
        added = true;
    });
    // Operations from the holder lock again without deadlocking.
    for (int i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list.IndexOf(list.Get(i)), i);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(added.load());  // the other thread waits for the lock
    list.Unlock();
    other.join();
    EXPECT_EQ(list.Count(), 2);
}

TEST(IntegerList, AddUniqueReturnsExistingIndex) {
    TIntegerList list;
    EXPECT_EQ(list.AddUnique(28), 0);
    EXPECT_EQ(list.AddUnique(197), 1);
    EXPECT_EQ(list.AddUnique(28), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.IndexOf(197), 1);
    EXPECT_EQ(list.IndexOf(5), -1);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(Timeout, ExpiresOnlyAfterTheDurationHasPassed) {
    TTimeout zero(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(zero.Expired());
    TTimeout longer(10000);
    EXPECT_FALSE(longer.Expired());
    TTimeout shortOne(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(shortOne.Expired());
    shortOne.Restart(10000);
    EXPECT_FALSE(shortOne.Expired());
}

TEST(TimerStat, FormatsElapsedSecondsWithThreeDecimals) {
    EXPECT_EQ(TTimerStat().Text(), "[0.000]");
    EXPECT_EQ(TTimerStat::FormatSeconds(12345), "[12.345]");
    EXPECT_EQ(TTimerStat::FormatSeconds(999.9), "[0.999]");
    EXPECT_EQ(TTimerStat::FormatSeconds(60000), "[60.000]");
}

TEST(PlainUIBridge, RunsPostedWorkOnTheThreadThatProcessesEvents) {
    TPlainUIBridge bridge;
    std::thread::id ranOn;
    std::thread worker([&] { bridge.PostToUI([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(bridge.PendingCount(), 1);
    bridge.ProcessEvents();
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(bridge.PendingCount(), 0);
}
