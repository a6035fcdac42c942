#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class TSimMemory;

// A map as a unit keeps it in FRAM: table data packed from 0, the directory
// at 0x6000, 16-byte headers from 0x6008, compact axis blocks after them and
// the position names in their fixed slots. SimWriteMap lays a map out in
// exactly the order a map send writes it.

struct TSimAxis {
    int Position = 1;
    std::uint8_t AxisId = 0;               // 28 RPM, 197 TPS, 119 Pressure
    std::vector<std::uint16_t> Values;     // 16-bit breakpoints
};

struct TSimTable {
    int Position = 1;
    std::uint8_t TableType = 64;           // 64 Fuel
    std::uint8_t GearMask = 0x3F;
    std::uint8_t Selector = 208;           // 208 = fuel output 0
    int XAxis = 0;                         // index into TSimMap::Axes
    int YAxis = 0;
    std::vector<std::uint8_t> Data;        // raw cells, row after row
};

struct TSimMap {
    std::vector<TSimAxis> Axes;
    std::vector<TSimTable> Tables;         // one header per table, in this order
    std::map<int, std::string> Names;      // position number (0..10) -> name
};

// Writes the map into FRAM; false with a reason when it does not fit its
// areas (tables above 0x5FFF, headers and axes above 0x67FF) or refers to a
// missing axis. Position names of a KZD unit: 0x7780 + 128 n, 0x7C80 for 0.
bool SimWriteMap(TSimMemory& memory, const TSimMap& map, std::string* error = nullptr);

// The factory map: three positions, each with two fuel tables (outputs 0
// and 1) over TPS (11 columns) and RPM (13 rows), with their names.
TSimMap SimFactoryMap();
