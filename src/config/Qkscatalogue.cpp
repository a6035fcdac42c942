#include "Qkscatalogue.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

// One line of a structure's field table: a field, or a group repeated for
// n = From..To. Inside a group every field name gets " n" appended (n of the
// innermost group) and "{s}" stands for n of the enclosing group. Fields are
// numbered 1, 2, 3... and packed from offset 0 in order, unless an explicit id
// or offset (Base + Step * n) is given.
struct TFieldSpec {
    const char* Name = nullptr;
    std::uint8_t Type = KValueU8;
    bool HasId = false;
    int IdBase = 0, IdStep = 0;
    bool HasOffset = false;
    int OffBase = 0, OffStep = 0;
    int From = 0, To = -1;
    std::vector<TFieldSpec> Body;
};

TFieldSpec F(const char* name, std::uint8_t type) {
    TFieldSpec f;
    f.Name = name;
    f.Type = type;
    return f;
}

TFieldSpec At(const char* name, std::uint8_t type, int offBase, int offStep) {
    TFieldSpec f = F(name, type);
    f.HasOffset = true;
    f.OffBase = offBase;
    f.OffStep = offStep;
    return f;
}

TFieldSpec IdAt(const char* name, std::uint8_t type, int idBase, int idStep, int offBase, int offStep) {
    TFieldSpec f = At(name, type, offBase, offStep);
    f.HasId = true;
    f.IdBase = idBase;
    f.IdStep = idStep;
    return f;
}

TFieldSpec For(int from, int to, std::vector<TFieldSpec> body) {
    TFieldSpec f;
    f.From = from;
    f.To = to;
    f.Body = std::move(body);
    return f;
}

constexpr std::uint8_t u8 = KValueU8, s8 = KValueS8, u16 = KValueU16, s16 = KValueS16, u32 = KValueU32,
                       s32 = KValueS32;

struct TStructureSpec {
    int Number;
    const char* Name;
    int Size;
    std::vector<TFieldSpec> Fields;  // empty for the pointer tables
};

// The structures in catalogue order.
const std::vector<TStructureSpec>& StructureSpecs() {
    static const std::vector<TStructureSpec> specs = {
        {1, "RO Flash Table", 20, {}},
        {2, "System", 23,
         {F("Size", u32), F("Num Channels", u8), F("Num Cylinders", u8), F("Num Gears", u8),
          For(0, 3, {F("Assoc Cylinder", u8)}), For(0, 3, {F("Channel Type", u8)}), F("Interface Flags", u32),
          F("Feature Flags", u32)}},
        {3, "ADC", 64,
         {F("Size", u32), For(0, 5, {F("Mode", u8), F("HW Channel", u8), F("Min Ticks", u16), F("Max Ticks", u16),
                                     F("Min Volts", u16), F("Max Volts", u16)})}},
        {4, "DAC", 37,
         {F("Size", u32), F("Rate", u32), F("Num Chan", u8),
          For(0, 1, {F("Mode", u8), F("HW Channel", u8), F("Min Ticks", u32), F("Max Ticks", u32),
                     F("Min Volts", u16), F("Max Volts", u16)})}},
        {5, "RW Flash Table", 20, {}},
        {8, "VR", 93,
         {F("Size", u32), F("Flags", u32), F("Trigger Edge", u8), F("Decay Rate", u8), F("Sync Retry", u8),
          F("RPM Multiplier", u8), F("Timeout", u16), F("Num Sections", u8),
          For(0, 9, {F("Num Elements", u8), F("Min Filter", u16), F("Max Filter", u16), F("Divider", u16)}),
          F("Output Pulse Width", u16), F("Output Max Offset", u16), F("Output Max Acceleration", u16)}},
        {6, "Device", 24,
         {F("Size", u32), F("RPM Source", u8), F("Default Map Position", u8), F("DS Threshold", u8),
          F("DS Slope", u8), F("Max Fuel Enrichment", s32), F("Max Fuel Enleanment", s32),
          F("Max Ignition Advance", s32), F("Max Ignition Retard", s32)}},
        {7, "Channel", 104,
         {F("Size", u32),
          For(0, 3, {F("Mode", u8), F("Offset", u16), F("Clamp", u16), F("Delay", u16), F("Start Count", u8),
                     F("RPM Multiplier", u8), F("Input Filter", u8), F("Timeout", u16), F("Toggle OFF Time", u16),
                     F("Toggle ON Time", u16), F("Base Trim", s8), F("Degree TDC", u32), F("Flags", u32)})}},
        {9, "Fram Table", 68, {}},
        {10, "TPS", 52,
         {F("Size", u32), F("Mode", u8), F("Analog Channel", u8), F("Sample Rate", u16), F("Average Count", u8),
          F("ROC Rate", u16), F("Table Size", u8),
          For(0, 9, {At("Volts", u16, 12, 2), At("Percent", u16, 32, 2)})}},
        {11, "Speed/Gear", 95,
         {F("Size", u32), F("Speed Mode", u8), F("Speed Trigger Edge", u8), F("Speed Pulses Per Distance", u32),
          F("Speed Zero Timeout", u16), F("Speed Sample Rate", u16), F("Speed Hardware Average Count", u8),
          F("Speed Software Average Count", u8), F("Gear Mode", u8), F("Gear Stability Time", u16),
          F("Gear Sample Rate", u16), F("Gear Analog Channel", u8), F("Gear Average Count", u8),
          For(0, 5, {F("Gear Lower Ratio", u32)}), For(0, 5, {F("Gear Upper Ratio", u32)}),
          For(0, 5, {F("Gear Lower Voltage", u16)}), For(0, 5, {F("Gear Upper Voltage", u16)})}},
        {12, "J1850", 14, {F("Size", u32), F("Flags", u32), F("Sample Rate", u16), F("Channels", u32)}},
        {15, "Pressure", 100,
         {F("Size", u32),
          For(0, 1, {F("Sensor Flags", u8), F("Sensor Analog", u8), F("Sensor Sample Rate", u16),
                     F("Sensor Average Count", u8), F("Sensor Table Size", u8),
                     For(0, 9, {F("Sensor {s} Voltage", u16)}), For(0, 9, {F("Sensor {s} Pressure", s16)})}),
          F("Num Sensors", u32)}},
        {14, "Engine Temp", 50,
         {F("Size", u32), F("Mode", u8), F("Analog Channel", u8), F("Sample Rate", u16), F("Average Count", u8),
          F("Table Size", u8), For(0, 9, {F("Voltage", u16)}), For(0, 9, {F("Temperature", s16)})}},
        {13, "System Voltage", 9,
         {F("Size", u32), F("Mode", u8), F("Analog Channel", u8), F("Sample Rate", u16), F("Average Count", u8)}},
        {16, "Wideband", 15,
         {F("Size", u32), F("Num Modules", u8), F("Stoich", u16),
          For(0, 1, {F("Extended ID", u8), F("Timeout", u16), F("Cylinder Flags", u8)})}},
        {17, "Feature", 44, {F("Size", u32), F("Flags", u32)}},
        {18, "Map Switch", 9,
         {F("Size", u32), F("Digital Input", u8), F("Switch State", u8), F("Filter Time", u16),
          F("Map Position", u8)}},
        {20, "Rev Limit", 18,
         {F("Size", u32), F("RPM", u16), For(0, 3, {F("Mode", u8)}), For(0, 3, {F("RPM Offset", u16)})}},
        {21, "Rev X-tend", 45,
         {F("Size", u32), F("Flags", u32), F("Hysteresis RPM", u16), F("VR Hysteresis RPM", u16),
          F("Takeover RPM", u16), F("Fuel Scalar", u8),
          For(0, 9, {F("Corr Table TPS", u16), F("Corr Table Factor", u8)})}},
        {23, "Accel Pump", 10,
         {F("Size", u32), F("Mode", u8), F("Trigger ROC", s16), F("Num Revs", u16), F("Adjustment", s8)}},
        {22, "Start Fuel", 41,
         {F("Size", u32), F("Mode", u8), F("Run Time", u32), F("Run Time Adjustment", s8),
          F("Temperature Table Size", u8),
          For(0, 9, {F("Temperature Table Temp", s16), F("Temperature Table Trim", s8)})}},
        {19, "Quick Shift", 36,
         {F("Size", u32), F("Digital Input", u8), F("Trigger Edge", u8), F("Mode", u8), F("Minimum RPM", u16),
          For(0, 4, {IdAt("Kill Time", u32, 7, 2, 11, 4)}), For(0, 3, {IdAt("Channel Mode", u8, 8, 2, 31, 1)})}},
        {24, "Auto Tune", 46,
         {F("Size", u32), F("Flags", u32), F("Control Rate", u8), F("Min Rate", u8), F("Engine Run Time", u32),
          F("Engine Temperature", s16), F("Max Enrichment", s8), F("Max Enleanment", s8),
          F("Max Target AFR", u8), F("Min Target AFR", u8), F("Max Sample AFR", u8), F("Min Sample AFR", u8),
          F("TPS Filter Max Accel", s16), F("TPS Filter Max Decel", s16), F("TPS Filter Time", u16),
          F("Enrich Min Integrator Step", u8), F("Enrich Max Integrator Step", u8), F("Enrich Threshold", u8),
          F("Enrich Slope", u8), F("Enlean Min Integrator Step", u8), F("Enlean Max Integrator Step", u8),
          F("Enlean Threshold", u8), F("Enlean Slope", u8), F("Sensor Check RPM Range", u16),
          F("Sensor Check TPS Range", u16), F("Sensor Check Percent Adjustment", u8),
          F("Sensor Check Percent Correction", u8), F("Switch Digital Input", u8), F("Switch State", u8),
          F("Switch Filter Time", u16)}},
        {25, "Network", 23,
         {F("Size", u32), For(0, 1, {F("SFM Mode", u32)}), F("Num Modules", u8), For(0, 9, {F("Module ID", u8)})}},
        {26, "Can Tx", 42, {F("Size", u32), F("Event Flags", u32), F("Rate", u16), For(0, 7, {F("Channels", u32)})}},
        {27, "Can Rx", 745,
         {F("Size", u32), F("Event Flags", u32), F("Num Channels", u8),
          For(0, 15, {F("Channel Mask ID", u32), F("Channel Mask Data A", u32), F("Channel Mask Data B", u32),
                      F("Channel Filter ID", u32), F("Channel Filter Data A", u32), F("Channel Filter Data B", u32),
                      F("Channel Offset", u8), F("Channel Input Type", u8), F("Channel Output Type", u8),
                      F("Channel ID", u8), F("Channel Input Minimum", s32), F("Channel Input Maximum", s32),
                      F("Channel Output Minimum", s32), F("Channel Output Maximum", s32),
                      F("Channel Timeout", u16)})}},
        {28, "O2", 71,
         {F("Size", u32), F("Num Channels", u8), F("Temp Sample Rate", u16), F("Temp Average Count", u8),
          F("O2 Voltage Sample Rate", u16), F("O2 Voltage Average Count", u8),
          For(0, 1, {F("Cold Offset", u16), F("Hot Offset", u16), F("High Temp Volts", u16),
                     F("Low Temp Volts", u16), F("Hysteresis", u16), F("Lean Slope", u16), F("Rich Slope", u16),
                     F("ECU Target", u16), F("Base Target", u16), F("Output Low Volts", u16),
                     F("Output High Volts", u16), F("Sensor Ready Volts", u16), F("Factory Base Target", u16)}),
          F("Resistor", u32), F("Minimum Base Target", u16), F("Maximum Base Target", u16)}},
        {29, "Trim Pot", 41,
         {F("Size", u32), F("Num Channels", u8),
          For(0, 2, {F("Volts Low", u16), F("Volts High", u16), F("Percent Low", s16), F("Percent High", s16),
                     F("Interval", u16), F("Average Count", u8), F("Analog Channel", u8)})}},
        {30, "Pulse Width Tuning", 70,
         {F("Size", u32), F("Mode", u8), F("Input Channel", u8), F("Sample Rate", u16), F("Average Count", u8),
          F("Table Size", u8), For(0, 9, {At("Pulse Width", u32, 10, 4), At("Percent", u16, 50, 2)})}},
        {31, "Global Trim", 25,
         {F("Size", u32), F("RPM Low", u16), F("RPM Width", u16), F("RPM High", u16), F("Low Trim Value", s16),
          F("Mid Trim Value", s16), F("High Trim Value", s16), F("Dont Trim RPM Low", u16),
          F("Dont Trim RPM High", u16), F("Dont Trim TPS Low", u16), F("Dont Trim TPS High", u16),
          F("Mode", u8)}},
        {32, "Multiple Map Switch", 16,
         {F("Size", u32), F("Mode", u8), F("Map Position", u8), For(0, 9, {F("User Position", u8)})}},
    };
    return specs;
}

// Expands a field table into items, keeping the running id and offset.
class TFieldExpander {
public:
    explicit TFieldExpander(std::vector<std::unique_ptr<TQKSCfgItem>>& out) : FOut(out) {}

    void Expand(const std::vector<TFieldSpec>& fields) {
        for (const auto& f : fields) {
            if (f.Name)
                AddField(f);
            else
                for (int n = f.From; n <= f.To; ++n) {
                    FLoop.push_back(n);
                    Expand(f.Body);
                    FLoop.pop_back();
                }
        }
    }

private:
    std::string NameOf(const TFieldSpec& f) const {
        std::string name = f.Name;
        const auto pos = name.find("{s}");
        if (pos != std::string::npos && FLoop.size() >= 2)
            name.replace(pos, 3, std::to_string(FLoop[FLoop.size() - 2]));
        if (!FLoop.empty())
            name += " " + std::to_string(FLoop.back());
        return name;
    }

    void AddField(const TFieldSpec& f) {
        const int n = FLoop.empty() ? 0 : FLoop.back();
        const int id = f.HasId ? f.IdBase + f.IdStep * n : FNextId;
        const int offset = f.HasOffset ? f.OffBase + f.OffStep * n : FNextOffset;
        FOut.push_back(std::make_unique<TQKSCfgItem>(NameOf(f), id, offset, f.Type));
        ++FNextId;
        FNextOffset = offset + ValueTypeWidth(f.Type);
    }

    std::vector<std::unique_ptr<TQKSCfgItem>>& FOut;
    std::vector<int> FLoop;
    int FNextId = 1;
    int FNextOffset = 0;
};

struct TCatalogue {
    TQKSItemList Commands, Operators, Structures;
    std::array<std::unique_ptr<TQKSCfgItemList>, 33> Items;  // by structure number
    std::array<int, 33> Sizes{};

    TCatalogue() {
        for (auto& [id, name] : std::vector<std::pair<int, const char*>>{{1, "Create"}, {3, "Delete"}, {2, "Modify"}})
            Commands.Add(new TQKSItem(name, id));
        const char* const operators[] = {"Equal [=]",     "Add [+=]", "Subtract [-=]", "Multiply [*=]",
                                         "Divide [/=]", "OR [|=]",  "AND [&=]"};
        for (int i = 0; i < 7; ++i)
            Operators.Add(new TQKSItem(operators[i], i + 1));
        for (const auto& s : StructureSpecs())
            AddStructure(s);
    }

    void AddStructure(const TStructureSpec& s) {
        Structures.Add(new TQKSItem(s.Name, s.Number));
        Sizes[static_cast<std::size_t>(s.Number)] = s.Size;
        if (s.Fields.empty())
            return;
        std::vector<std::unique_ptr<TQKSCfgItem>> items;
        TFieldExpander(items).Expand(s.Fields);
        std::stable_sort(items.begin(), items.end(), [](const auto& a, const auto& b) { return a->Id() < b->Id(); });
        auto list = std::make_unique<TQKSCfgItemList>();
        for (auto& item : items)
            list->Add(item.release());
        Items[static_cast<std::size_t>(s.Number)] = std::move(list);
    }
};

const TCatalogue& Catalogue() {
    static const TCatalogue catalogue;
    return catalogue;
}

}  // namespace

const TQKSItemList& CatalogueCommands() { return Catalogue().Commands; }
const TQKSItemList& CatalogueOperators() { return Catalogue().Operators; }
const TQKSItemList& CatalogueStructures() { return Catalogue().Structures; }

const TQKSCfgItemList* CatalogueItemsOf(int structure) {
    if (structure < 1 || structure > 32)
        return nullptr;
    return Catalogue().Items[static_cast<std::size_t>(structure)].get();
}

int CatalogueStructureSize(int structure) {
    if (structure < 1 || structure > 32)
        return 0;
    return Catalogue().Sizes[static_cast<std::size_t>(structure)];
}
