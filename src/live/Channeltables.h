#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The channel tables of the device families, in creation order: every
// derived or flag channel comes after the channels it is computed from, so
// that its sources resolve when it is created.

struct TChannelSpec {
    enum class TKind { Raw, Derived, Flag };
    TKind Kind = TKind::Raw;
    int ID = 0;
    std::string Name;
    std::uint8_t DataType = 0;  // Raw only
    int Decimals = 0;
    int Source1 = 0;            // Derived: 0 = none; Flag: the source channel
    int Source2 = 0;            // Derived only
    int Bit = 0;                // Flag only
    bool Clamp = false;
    double Min = 0.0;
    double Max = 0.0;
};

using TChannelTable = std::vector<TChannelSpec>;

// The common controller table. fuelOutput and ignitionOutput are the first
// output of each kind (-1 for none) that the "Ch ALL" channels read.
TChannelTable CommonControllerTable(int fuelOutput, int ignitionOutput);
// The further channels of QC7 controllers (kinds 1..3).
TChannelTable QC7ExtraTable();
// The further channels of KZD units (kind 6).
TChannelTable KZDExtraTable();
TChannelTable LBXTable();
TChannelTable DualLBXTable();
