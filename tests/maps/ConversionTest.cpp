#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Qcaxis.h"
#include "Qctabledata.h"

namespace {

// A table of one type over a 4 x 3 grid of TPS x RPM.
struct TTableOnAxes {
    TQCAxis X, Y;
    TQCTableData Table;
    explicit TTableOnAxes(int tableType, int cols = 4, int rows = 3) {
        X.SetAxisId(QC_AXIS_TPS);
        X.SetCount(cols);
        Y.SetAxisId(QC_AXIS_RPM);
        Y.SetCount(rows);
        Table.SetTableType(tableType);
        Table.SetXAxis(&X);
        Table.SetYAxis(&Y);
    }
    std::int64_t Raw(int col, int row) const {
        const int width = TQCMapObj::DataTypeSize(Table.DataType());
        return QCRaw::Read(Table.Data() + (col + row * Table.ColCount()) * width, Table.DataType());
    }
    void SetRaw(int col, int row, std::int64_t raw) {
        const int width = TQCMapObj::DataTypeSize(Table.DataType());
        QCRaw::Write(Table.Data() + (col + row * Table.ColCount()) * width, Table.DataType(), raw);
    }
};

struct TReadCase {
    int TableType;
    std::int64_t Raw;
    double Value;
};

class CellRead : public ::testing::TestWithParam<TReadCase> {};

TEST_P(CellRead, ConvertsTheRawValue) {
    const TReadCase c = GetParam();
    TTableOnAxes t(c.TableType);
    t.SetRaw(1, 2, c.Raw);
    EXPECT_DOUBLE_EQ(t.Table.GetValue(1, 2), c.Value);
}

INSTANTIATE_TEST_SUITE_P(Types, CellRead,
                         ::testing::Values(TReadCase{QC_TABLE_FUEL, 160, 60}, TReadCase{QC_TABLE_FUEL, 161, 62},
                                           TReadCase{QC_TABLE_FUEL, 0, -100}, TReadCase{QC_TABLE_FUEL, 255, 250},
                                           TReadCase{QC_TABLE_IGNITION, 0xF6, -10},
                                           TReadCase{QC_TABLE_TARGET_AFR, 147, 14.705},
                                           TReadCase{QC_TABLE_OFFSET, -250, -0.25 + 0.00005},
                                           TReadCase{QC_TABLE_OFFSET, 32767, 32.767 + 0.00005},
                                           TReadCase{QC_TABLE_TRIM, -128, -128}));

struct TWriteCase {
    int TableType;
    double Value;
    std::int64_t Raw;  // what is stored
};

class CellWrite : public ::testing::TestWithParam<TWriteCase> {};

TEST_P(CellWrite, TruncatesAndSaturates) {
    const TWriteCase c = GetParam();
    TTableOnAxes t(c.TableType);
    t.Table.SetValue(3, 1, c.Value);
    EXPECT_EQ(t.Raw(3, 1), c.Raw) << "value " << c.Value;
}

constexpr double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Types, CellWrite,
    ::testing::Values(
        // The fuel coding: truncation of 160.5, the fold, the limits of the byte.
        TWriteCase{QC_TABLE_FUEL, 61, 160}, TWriteCase{QC_TABLE_FUEL, 250, 255}, TWriteCase{QC_TABLE_FUEL, 62, 161},
        TWriteCase{QC_TABLE_FUEL, -100, 0}, TWriteCase{QC_TABLE_FUEL, 252, 255}, TWriteCase{QC_TABLE_FUEL, -101, 0},
        TWriteCase{QC_TABLE_FUEL, 1e300, 255}, TWriteCase{QC_TABLE_FUEL, -Inf, 0},
        // Decimals with the display bias; negative values mirror it.
        TWriteCase{QC_TABLE_TARGET_AFR, 14.7, 147}, TWriteCase{QC_TABLE_TARGET_AFR, 25.5, 255},
        TWriteCase{QC_TABLE_TARGET_AFR, 30, 255}, TWriteCase{QC_TABLE_TARGET_AFR, -1, 0},
        TWriteCase{QC_TABLE_OFFSET, -0.25, -250}, TWriteCase{QC_TABLE_OFFSET, -0.2496, -249},
        TWriteCase{QC_TABLE_OFFSET, 0.25, 250}, TWriteCase{QC_TABLE_OFFSET, 40, 32767},
        TWriteCase{QC_TABLE_OFFSET, -40, -32768}, TWriteCase{QC_TABLE_OFFSET, Inf, 32767},
        // Signed bytes saturate instead of wrapping.
        TWriteCase{QC_TABLE_IGNITION, 130, 127}, TWriteCase{QC_TABLE_IGNITION, -129, -128},
        TWriteCase{QC_TABLE_IGNITION, -12.9, -12}, TWriteCase{QC_TABLE_INTEGRATOR, 1e300, 127}));

TEST(CellWrite, NaNStoresNothing) {
    for (int type : {QC_TABLE_FUEL, QC_TABLE_IGNITION, QC_TABLE_TARGET_AFR, QC_TABLE_OFFSET}) {
        TTableOnAxes t(type);
        t.SetRaw(2, 2, 7);
        t.Table.SetValue(2, 2, std::nan(""));
        EXPECT_EQ(t.Raw(2, 2), 7) << "type " << type;
    }
}

// Every raw value read and written back stays itself (deep copies and the grid
// go through these conversions).
TEST(CellWrite, EveryRawValueRoundTrips) {
    for (int type : {QC_TABLE_FUEL, QC_TABLE_IGNITION, QC_TABLE_TARGET_AFR, QC_TABLE_OFFSET}) {
        TTableOnAxes t(type, 1, 1);
        std::int64_t lo, hi;
        ASSERT_TRUE(QCRaw::Range(t.Table.DataType(), lo, hi));
        for (std::int64_t raw = lo; raw <= hi; ++raw) {
            t.SetRaw(0, 0, raw);
            const double value = t.Table.GetValue(0, 0);
            t.SetRaw(0, 0, raw == lo ? hi : lo);
            t.Table.SetValue(0, 0, value);
            ASSERT_EQ(t.Raw(0, 0), raw) << "type " << type << " value " << value;
        }
    }
}

TEST(CellAccess, OutsideTheDataReadsZeroAndWritesNothing) {
    TTableOnAxes t(QC_TABLE_OFFSET, 2, 2);
    EXPECT_EQ(t.Table.DataSize(), 8);
    for (auto [col, row] : {std::pair{2, 1}, std::pair{0, 2}, std::pair{-1, 0}, std::pair{0, -1}}) {
        t.Table.SetValue(col, row, 1.5);
        EXPECT_EQ(t.Table.GetValue(col, row), 0);
    }
    for (int i = 0; i < t.Table.DataSize(); ++i)
        EXPECT_EQ(t.Table.Data()[i], 0);
}

TEST(Reallocation, AxisAssignmentResetsCellsToZero) {
    TTableOnAxes t(QC_TABLE_FUEL);
    t.SetRaw(0, 0, 7);
    t.Table.SetXAxis(&t.X);
    EXPECT_EQ(t.Table.DataSize(), 12);
    for (int i = 0; i < t.Table.DataSize(); ++i)
        EXPECT_EQ(t.Table.Data()[i], 100) << "fuel 0 % is byte 100";
    TTableOnAxes ignition(QC_TABLE_IGNITION);
    ignition.SetRaw(1, 1, 9);
    ignition.Table.SetYAxis(&ignition.Y);
    EXPECT_EQ(ignition.Raw(1, 1), 0);
}

TEST(Reallocation, OneAxisTableIsZeroedAndCopiedByteForByte) {
    TQCAxis rpm;
    rpm.SetAxisId(QC_AXIS_RPM);
    rpm.SetCount(10);
    TQCTableData table;
    table.SetTableType(QC_TABLE_FUEL);
    table.SetYAxis(&rpm);
    ASSERT_EQ(table.CellCount(), 10);
    ASSERT_EQ(table.DataSize(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(table.Data()[i], 0);
    for (int i = 0; i < 10; ++i)
        table.Data()[i] = static_cast<std::uint8_t>(i * 20);
    TQCTableData copy(table, nullptr, &rpm, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(copy.Data(), copy.Data() + 10),
              std::vector<std::uint8_t>(table.Data(), table.Data() + 10));
}

TEST(Reallocation, CellCountFollowsTheAxesAndTheValueType) {
    TQCAxis x, y;
    x.SetAxisId(QC_AXIS_TPS);
    x.SetCount(5);
    y.SetAxisId(QC_AXIS_RPM);
    y.SetCount(7);
    TQCTableData table;
    table.SetXAxis(&x);
    table.SetYAxis(&y);
    EXPECT_EQ(table.CellCount(), 0) << "no value type, no cells";
    table.SetTableType(QC_TABLE_OFFSET);
    EXPECT_EQ(table.CellCount(), 35);
    EXPECT_EQ(table.DataSize(), 70);
    table.SetXAxis(nullptr);
    EXPECT_EQ(table.CellCount(), 7);
    table.SetYAxis(nullptr);
    EXPECT_EQ(table.DataSize(), 0);
    table.SetTableType(99);
    EXPECT_EQ(table.DataType(), QC_TYPE_S16) << "an unknown table type keeps the value type";
}

TEST(CopyValues, NegativeOffsetsSurviveACopyAndSizesMustMatch) {
    TTableOnAxes a(QC_TABLE_OFFSET), b(QC_TABLE_OFFSET);
    a.SetRaw(0, 0, -250);
    a.SetRaw(3, 2, -1);
    EXPECT_EQ(b.Table.CopyValuesFrom(a.Table), 0);
    EXPECT_EQ(b.Raw(0, 0), -250);
    EXPECT_EQ(b.Raw(3, 2), -1);
    TTableOnAxes small(QC_TABLE_OFFSET, 2, 2);
    small.SetRaw(0, 0, 5);
    EXPECT_EQ(small.Table.CopyValuesFrom(a.Table), -1);
    EXPECT_EQ(small.Raw(0, 0), 5);
}

TEST(CopyValues, DifferentValueTypesCopyByValue) {
    TTableOnAxes trim(QC_TABLE_TRIM), fuel(QC_TABLE_FUEL);
    trim.SetRaw(1, 1, -20);
    trim.SetRaw(2, 1, 100);
    EXPECT_EQ(fuel.Table.CopyValuesFrom(trim.Table), 0);
    EXPECT_DOUBLE_EQ(fuel.Table.GetValue(1, 1), -20);
    EXPECT_DOUBLE_EQ(fuel.Table.GetValue(2, 1), 100);
}

struct TAxisCase {
    int AxisId;
    double Value;
    std::int64_t Raw;
};

class AxisWrite : public ::testing::TestWithParam<TAxisCase> {};

TEST_P(AxisWrite, ScalesWithTheBias) {
    const TAxisCase c = GetParam();
    TQCAxis axis;
    axis.SetAxisId(c.AxisId);
    axis.SetCount(3);
    axis.SetValue(2, c.Value);
    EXPECT_EQ(QCRaw::Read(&axis.FData[4 + 2 * 2], axis.DataType()), c.Raw);
}

INSTANTIATE_TEST_SUITE_P(Axes, AxisWrite,
                         ::testing::Values(TAxisCase{QC_AXIS_TPS, 12.34, 123}, TAxisCase{QC_AXIS_PRESSURE, 101.3, 10130},
                                           TAxisCase{QC_AXIS_PRESSURE, -0.5, -50}, TAxisCase{QC_AXIS_RPM, 9500.9, 9500},
                                           TAxisCase{QC_AXIS_RPM, 70000, 65535}, TAxisCase{QC_AXIS_RPM, -5, 0},
                                           TAxisCase{QC_AXIS_PRESSURE, -1e300, -32768}));

TEST(AxisAccess, EveryPressureRawValueRoundTrips) {
    TQCAxis axis;
    axis.SetAxisId(QC_AXIS_PRESSURE);
    axis.SetCount(1);
    for (std::int64_t raw = -32768; raw <= 32767; ++raw) {
        QCRaw::Write(&axis.FData[4], QC_TYPE_S16, raw);
        axis.SetValue(0, axis.GetValue(0));
        ASSERT_EQ(QCRaw::Read(&axis.FData[4], QC_TYPE_S16), raw);
    }
}

TEST(AxisAccess, DamagedCountReadsNothingBeyondTheBlock) {
    TQCAxis axis;
    axis.SetAxisId(QC_AXIS_RPM);
    axis.FData[0] = 200;  // as a damaged file or device could give it
    EXPECT_TRUE(axis.IsDamaged());
    EXPECT_EQ(axis.MaxCount(), 96);
    EXPECT_EQ(axis.ByteSize(), 192);
    axis.SetValue(150, 1234);
    EXPECT_EQ(axis.GetValue(150), 0);
    axis.SetValue(95, 1234);
    EXPECT_EQ(axis.GetValue(95), 1234);
    axis.SetCount(200);
    EXPECT_EQ(axis.Count(), 96) << "SetCount keeps the block whole";
    EXPECT_FALSE(axis.IsDamaged());
}

TEST(AxisAccess, MaxCountByValueType) {
    EXPECT_EQ(TQCMapObj::DataTypeSize(QC_TYPE_8BYTE), 8);
    TQCAxis unknown;
    unknown.SetAxisId(50);
    EXPECT_EQ(unknown.MaxCount(), 0);
    unknown.SetCount(200);
    EXPECT_FALSE(unknown.IsDamaged()) << "an axis without a value type uses no value bytes";
    EXPECT_EQ(unknown.GetValue(3), 0);
}

}  // namespace
