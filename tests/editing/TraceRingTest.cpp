#include <gtest/gtest.h>

#include <climits>

#include "Tracering.h"

namespace {
struct TCountCase {
    int Duration, Rate, Count;
};

class TraceCountTest : public ::testing::TestWithParam<TCountCase> {};

TEST_P(TraceCountTest, CountsTheEntriesOfADuration) {
    EXPECT_EQ(TraceCount(GetParam().Duration, GetParam().Rate), GetParam().Count);
}

// The durations the options window offers at the tracer's 50 ms rate, the
// stored default 1, no rate, and durations outside 0..20000 ms.
INSTANTIATE_TEST_SUITE_P(Cases, TraceCountTest,
                         ::testing::Values(TCountCase{0, 50, 1}, TCountCase{250, 50, 4}, TCountCase{500, 50, 9},
                                           TCountCase{750, 50, 14}, TCountCase{1000, 50, 19},
                                           TCountCase{1500, 50, 29}, TCountCase{2000, 50, 39},
                                           TCountCase{4000, 50, 79}, TCountCase{6000, 50, 119},
                                           TCountCase{8000, 50, 159}, TCountCase{10000, 50, 200},
                                           TCountCase{15000, 50, 299}, TCountCase{20000, 50, 400},
                                           TCountCase{1, 50, 0}, TCountCase{1000, 0, 0},
                                           TCountCase{-5000, 50, 1}, TCountCase{INT_MAX, 50, 400},
                                           TCountCase{1000, -50, 0}));

TEST(TraceRingTest, NewestWeighsOneAndTheOthersAgeLinearly) {
    TTraceRing ring;
    ring.Resize(4);
    ring.Add(1, 1);
    ring.Add(2, 1);
    ring.Add(3, 1);
    EXPECT_DOUBLE_EQ(ring.WeightAt(3, 1), 1.0);
    EXPECT_DOUBLE_EQ(ring.WeightAt(2, 1), 0.75);
    EXPECT_DOUBLE_EQ(ring.WeightAt(1, 1), 0.5);
    EXPECT_LT(ring.WeightAt(4, 1), 0);
    ring.Add(4, 1);
    ring.Add(5, 1);  // overwrites the entry of (1, 1)
    EXPECT_LT(ring.WeightAt(1, 1), 0);
    EXPECT_DOUBLE_EQ(ring.WeightAt(2, 1), 0.25);
}

TEST(TraceRingTest, TheNewestVisitOfACellCounts) {
    TTraceRing ring;
    ring.Resize(3);
    ring.Add(1, 1);
    ring.Add(2, 2);
    ring.Add(1, 1);
    EXPECT_DOUBLE_EQ(ring.WeightAt(1, 1), 1.0);
}

TEST(TraceRingTest, AnEmptyRingTakesNothing) {
    TTraceRing ring;
    ring.Resize(0);
    ring.Add(1, 1);
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_LT(ring.WeightAt(1, 1), 0);
    ring.Resize(-3);
    EXPECT_EQ(ring.Count(), 0);
}
}  // namespace
