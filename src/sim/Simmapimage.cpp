#include "Simmapimage.h"
#include "Simmemory.h"
#include "Simprotocol.h"

#include <algorithm>
#include <cmath>

using namespace SimProtocol;

namespace {

constexpr std::uint32_t TableAreaEnd = 0x5FFF;
constexpr std::uint32_t HeaderTable = 0x6008;

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::vector<std::uint8_t> AxisBlock(const TSimAxis& axis) {
    std::vector<std::uint8_t> block(4 + 2 * axis.Values.size(), 0);
    block[0] = std::uint8_t(axis.Values.size());
    block[1] = axis.AxisId;
    for (std::size_t i = 0; i < axis.Values.size(); ++i) SimPut16(&block[4 + 2 * i], axis.Values[i]);
    return block;
}

std::uint32_t NameSlot(int position) {
    return position == 0 ? 0x7C80u : 0x7780u + 128u * std::uint32_t(position);
}

bool WriteNames(TSimMemory& memory, const TSimMap& map, std::string* error) {
    for (const auto& [position, name] : map.Names) {
        if (position < 0 || position > 10) return Fail(error, "position name outside 0..10");
        std::vector<std::uint8_t> slot(128, 0);
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 127), slot.begin());
        memory.WriteFram(NameSlot(position), slot.data(), slot.size());
    }
    return true;
}

} // namespace

bool SimWriteMap(TSimMemory& memory, const TSimMap& map, std::string* error) {
    const std::uint32_t n = std::uint32_t(map.Tables.size());
    std::vector<std::uint32_t> axisAddress;
    std::uint32_t at = HeaderTable + 16 * n;
    std::vector<std::uint8_t> axes;
    for (const auto& axis : map.Axes) {
        if (axis.Values.size() > 96) return Fail(error, "axis with more than 96 breakpoints");
        axisAddress.push_back(at);
        const auto block = AxisBlock(axis);
        axes.insert(axes.end(), block.begin(), block.end());
        at += std::uint32_t(block.size());
    }
    if (at - 1 > MapAreaEnd) return Fail(error, "headers and axes do not fit below 0x6800");
    std::vector<std::uint8_t> headers(16 * n, 0);
    std::uint32_t tableAt = 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto& t = map.Tables[i];
        if (t.XAxis < 0 || t.XAxis >= int(map.Axes.size()) || t.YAxis < 0 || t.YAxis >= int(map.Axes.size()))
            return Fail(error, "table refers to a missing axis");
        if (tableAt + t.Data.size() > TableAreaEnd + 1) return Fail(error, "tables do not fit below 0x6000");
        memory.WriteFram(tableAt, t.Data.data(), t.Data.size());
        std::uint8_t* h = &headers[16 * i];
        h[0] = std::uint8_t(0xC0 | (t.Position & 0x3F));
        h[1] = t.TableType;
        h[2] = t.GearMask;
        h[3] = t.Selector;
        SimPut32(h + 4, axisAddress[t.XAxis] | RamPointerFlag);
        SimPut32(h + 8, axisAddress[t.YAxis] | RamPointerFlag);
        SimPut32(h + 12, tableAt | RamPointerFlag);
        tableAt += std::uint32_t(t.Data.size());
    }
    std::uint8_t directory[8];
    SimPut32(directory, n);
    SimPut32(directory + 4, HeaderTable | RamPointerFlag);
    memory.WriteFram(MapDirectoryAddress, directory, 8);
    memory.WriteFram(HeaderTable, headers.data(), headers.size());
    memory.WriteFram(HeaderTable + 16 * n, axes.data(), axes.size());
    return WriteNames(memory, map, error);
}

namespace {

// A fuel trim in percent for a cell, shaped like a tune: lean at closed
// throttle and low speed, richer towards full load, a bump in mid range.
double FuelTrim(int position, double tps, double rpm) {
    const double load = tps / 100.0;
    const double speed = (rpm - 1000.0) / 6000.0;
    const double bump = 4.0 * std::exp(-std::pow((rpm - 3500.0) / 900.0, 2)) * load;
    return -6.0 + 14.0 * load + 3.0 * speed + bump + 2.5 * (position - 1);
}

std::uint8_t FuelByte(double trimPercent) {
    // fuel byte coding: byte - 100 up to 60, steps of 2 above
    double x = trimPercent;
    if (x > 60) x = (x - 60) / 2 + 60;
    const long v = std::lround(x + 100);
    return std::uint8_t(std::clamp(v, 0L, 255L));
}

} // namespace

TSimMap SimFactoryMap() {
    const std::vector<std::uint16_t> tps = {0, 20, 50, 100, 150, 200, 300, 400, 600, 800, 1000};
    std::vector<std::uint16_t> rpm;
    for (int r = 1000; r <= 7000; r += 500) rpm.push_back(std::uint16_t(r));
    TSimMap map;
    const char* names[] = {"Stock Exhaust", "Slip-On Mufflers", "Full System Race"};
    for (int p = 1; p <= 3; ++p) {
        const int x = int(map.Axes.size());
        map.Axes.push_back({p, 197, tps});
        map.Axes.push_back({p, 28, rpm});
        for (int output = 0; output < 2; ++output) {
            TSimTable t;
            t.Position = p;
            t.Selector = std::uint8_t(208 + output);
            t.XAxis = x;
            t.YAxis = x + 1;
            for (std::uint16_t r : rpm)
                for (std::uint16_t c : tps) t.Data.push_back(FuelByte(FuelTrim(p, c / 10.0, r) + 1.5 * output));
            map.Tables.push_back(std::move(t));
        }
        map.Names[p] = names[p - 1];
    }
    return map;
}
