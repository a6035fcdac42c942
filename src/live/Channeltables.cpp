#include "Channeltables.h"

#include "Rawchannel.h"

namespace {

using TKind = TChannelSpec::TKind;

TChannelSpec Raw(int id, std::string name, std::uint8_t type, int decimals) {
    TChannelSpec s;
    s.Kind = TKind::Raw;
    s.ID = id;
    s.Name = std::move(name);
    s.DataType = type;
    s.Decimals = decimals;
    return s;
}

TChannelSpec Derived(int id, std::string name, int source1, int source2, int decimals) {
    TChannelSpec s;
    s.Kind = TKind::Derived;
    s.ID = id;
    s.Name = std::move(name);
    s.Source1 = source1;
    s.Source2 = source2;
    s.Decimals = decimals;
    return s;
}

TChannelSpec Flag(int id, std::string name, int bit, int source) {
    TChannelSpec s;
    s.Kind = TKind::Flag;
    s.ID = id;
    s.Name = std::move(name);
    s.DataType = KChanFlag;
    s.Source1 = source;
    s.Bit = bit;
    s.Max = 1.0;
    return s;
}

void Append(TChannelTable& to, const TChannelTable& rows) { to.insert(to.end(), rows.begin(), rows.end()); }

// Flags firstId, firstId+1, ... over the given bits of source, named prefix + suffix.
void AddFlags(TChannelTable& t, int firstId, int source, const std::string& prefix,
              const std::vector<std::pair<int, const char*>>& bits) {
    int id = firstId;
    for (const auto& [bit, suffix] : bits)
        t.push_back(Flag(id++, prefix + suffix, bit, source));
}

std::string Ch(int n) { return "Ch " + std::to_string(n); }

// The block of output n: B = 32 + 16n, with its flags after its "Flags" channel.
void AddOutputBlock(TChannelTable& t, int n) {
    const int b = 32 + 16 * n;
    const std::string p = Ch(n) + " - ";
    t.push_back(Raw(b, p + "RPM", KChanU16, 0));
    t.push_back(Raw(b + 1, p + "Pulse Width In (Ticks)", KChanU32, 0));
    t.push_back(Raw(b + 2, p + "Period In (Ticks)", KChanU32, 0));
    t.push_back(Raw(b + 3, p + "Duty Cycle In (%)", KChanU16, 2));
    t.push_back(Raw(b + 4, p + "Degree In (TDC)", KChanS16, 2));
    t.push_back(Raw(b + 7, p + "Event Count In", KChanU32, 0));
    t.push_back(Raw(b + 8, p + "Pulse Width Out (Ticks)", KChanU32, 0));
    t.push_back(Raw(b + 9, p + "Period Out (Ticks)", KChanU32, 0));
    t.push_back(Raw(b + 10, p + "Duty Cycle Out (%)", KChanU16, 2));
    t.push_back(Raw(b + 11, p + "Degree Out (TDC)", KChanS16, 2));
    t.push_back(Raw(b + 12, p + "Event Count Out", KChanU32, 0));
    t.push_back(Raw(b + 14, p + "Adjustment", KChanS32, 2));
    t.push_back(Raw(b + 15, p + "Flags", KChanU32, 0));
    AddFlags(t, 291 + 7 * n, b + 15, Ch(n) + " Flag - ",
             {{0, "Enabled"}, {1, "Timedout"}, {2, "Mode Zero"}, {3, "Limited"}, {4, "Rev X-tended"},
              {5, "Rev Limited"}, {6, "Quick Shifted"}});
}

void AddNumbered(TChannelTable& t, int firstId, int count, const std::string& stem, const std::string& unit,
                 std::uint8_t type, int decimals) {
    for (int i = 0; i < count; ++i)
        t.push_back(Raw(firstId + i, stem + " " + std::to_string(i) + " " + unit, type, decimals));
}

void AddDerivedOutputs(TChannelTable& t) {
    for (int n = 0; n < 4; ++n) {
        const int b = 32 + 16 * n;
        const std::string p = Ch(n) + " - ";
        t.push_back(Derived(258 + 4 * n, p + "Pulse Width In (mS)", b + 1, 0, 3));
        t.push_back(Derived(259 + 4 * n, p + "Pulse Width Out (mS)", b + 8, 0, 3));
        t.push_back(Derived(260 + 4 * n, p + "Actual Pulse Width Adjustment (%)", b + 1, b + 8, 2));
        t.push_back(Derived(261 + 4 * n, p + "Actual Degree Adjustment", b + 4, b + 11, 2));
    }
}

void AddChAll(TChannelTable& t, int f, int g) {
    const int bf = 32 + 16 * f, bg = 32 + 16 * g;
    t.push_back(Derived(274, "Ch ALL - Duty Cycle Out (%)", f >= 0 ? bf + 10 : 0, 0, 2));
    t.push_back(Derived(275, "Ch ALL - Fuel Adjustment (%)", f >= 0 ? bf + 14 : 0, 0, 2));
    t.push_back(Derived(277, "Ch ALL - Pulse Width Out (mS)", f >= 0 ? 259 + 4 * f : 0, 0, 3));
    t.push_back(Derived(276, "Ch ALL - Ignition Adjustment (deg)", g >= 0 ? bg + 14 : 0, 0, 2));
}

}  // namespace

TChannelTable CommonControllerTable(int fuelOutput, int ignitionOutput) {
    TChannelTable t;
    AddNumbered(t, 1, 4, "Digital", "(State)", KChanU8, 0);
    AddNumbered(t, 6, 4, "Digital", "(Count)", KChanU32, 0);
    AddNumbered(t, 13, 5, "Analog", "(Ticks)", KChanU16, 0);
    AddNumbered(t, 18, 5, "Analog", "(V)", KChanU16, 3);
    AddNumbered(t, 23, 2, "Analog Out", "(Ticks)", KChanU16, 0);
    AddNumbered(t, 25, 2, "Analog Out", "(V)", KChanU16, 3);
    t.push_back(Raw(27, "Map Position", KChanU8, 0));
    t.push_back(Raw(28, "Engine RPM", KChanU16, 0));
    for (int n = 0; n < 4; ++n)
        AddOutputBlock(t, n);
    t.push_back(Raw(112, "Engine Run Time (mS)", KChanU32, 0));
    TChannelSpec tpsVolts = Raw(117, "TPS (V)", KChanU16, 3);
    tpsVolts.Max = 5.0;
    t.push_back(tpsVolts);
    t.push_back(Raw(118, "TPS (Ticks)", KChanU16, 0));
    t.push_back(Raw(197, "TPS (%)", KChanU16, 1));
    t.push_back(Raw(198, "TPS Rate Of Change (%)", KChanS16, 1));
    t.push_back(Raw(120, "System Power (V)", KChanU16, 3));
    t.push_back(Raw(143, "System Flags", KChanU32, 0));
    AddFlags(t, 280, 143, "Sys Flag - ",
             {{0, "Ch 1 & 2 Powered"}, {1, "Ch 3 & 4 Powered"}, {2, "Engine Running"}, {3, "Edit Mode"},
              {4, "Tables Active"}, {5, "Rev Limiting"}, {6, "Rev X-tending"}, {7, "Auto Tune Enabled"}});
    t.push_back(Raw(192, "Device Time (mS)", KChanU32, 0));
    t.push_back(Raw(193, "CPU Load (%)", KChanU8, 0));
    t.push_back(Raw(195, "Error Count", KChanU8, 0));
    t.push_back(Derived(256, "Device Time (S)", 192, 0, 3));
    t.push_back(Derived(257, "Engine Run Time (S)", 112, 0, 3));
    AddDerivedOutputs(t);
    AddChAll(t, fuelOutput, ignitionOutput);
    return t;
}

TChannelTable QC7ExtraTable() {
    TChannelTable t = {
        Raw(5, "Distance Traveled (Dist Unit)", KChanU32, 2),
        Raw(12, "Speed (Ticks)", KChanU32, 0),
        Raw(29, "Speed", KChanU16, 2),
        Raw(30, "Gear Ratio", KChanU32, 3),
        Raw(31, "Gear", KChanU8, 0),
        Raw(96, "VR - Pulse Width In (Ticks)", KChanU32, 0),
        Raw(97, "VR - Rev Period In (Ticks)", KChanU32, 0),
        Raw(98, "VR - RPM In", KChanU16, 0),
        Raw(100, "VR - Sync Loss Count", KChanU32, 0),
        Raw(101, "VR - Flags", KChanU32, 0),
    };
    AddFlags(t, 288, 101, "VR Flag - ", {{0, "Synced"}, {1, "Timedout"}, {2, "Rev X-tend"}});
    Append(t, {
        Raw(128, "VR - Pulse Width Out (Ticks)", KChanU32, 0),
        Raw(129, "VR - Rev Period Out (Ticks)", KChanU32, 0),
        Raw(130, "VR - RPM Out", KChanU16, 0),
        Raw(113, "Engine Temp", KChanS16, 1),
        Raw(114, "Gear Filtered", KChanU8, 0),
        Raw(119, "Pressure", KChanS16, 2),
        Raw(122, "AT - Integrator 0", KChanS8, 0),
        Raw(124, "AT - Target AFR 0", KChanU8, 1),
        Raw(126, "AT - Trim 0", KChanS16, 2),
        Raw(123, "AT - Integrator 1", KChanS8, 0),
        Raw(125, "AT - Target AFR 1", KChanU8, 1),
        Raw(127, "AT - Trim 1", KChanS16, 2),
        Raw(142, "AT - Flags", KChanU32, 0),
    });
    AddFlags(t, 319, 142, "AT Flag - ",
             {{0, "Hardware Switch State"}, {1, "Waiting For Switch"}, {2, "Wating For Run Time"},
              {3, "Waiting For Temp"}, {4, "TPS Triggered"}, {5, "Closed Loop Sensor 0"},
              {6, "Closed Loop Sensor 1"}});
    Append(t, {
        Raw(160, "J1850 - RPM", KChanU16, 0),
        Raw(161, "J1850 - Speed", KChanU16, 1),
        Raw(162, "J1850 - Engine Temp", KChanU16, 1),
        Raw(163, "J1850 - Intake Air Temp", KChanU16, 1),
        Raw(164, "J1850 - Advance Front", KChanU16, 1),
        Raw(165, "J1850 - Advance Rear", KChanU16, 1),
        Raw(166, "J1850 - Battery Voltage", KChanU8, 1),
        Raw(167, "J1850 - Idle RPM", KChanU16, 0),
        Raw(168, "J1850 - MAP", KChanU16, 0),
        Raw(169, "J1850 - TPS", KChanU16, 0),
        Raw(170, "J1850 - IAC (Steps)", KChanU8, 0),
        Raw(171, "J1850 - Pulse Width Front", KChanU16, 2),
        Raw(172, "J1850 - Pulse Width Rear", KChanU16, 2),
        Raw(173, "J1850 - Accel Enrich", KChanU16, 0),
        Raw(174, "J1850 - Decel Enlean", KChanU16, 0),
        Raw(175, "J1850 - Knock Front", KChanU16, 2),
        Raw(176, "J1850 - Knock Rear", KChanU16, 2),
    });
    for (int s = 0; s < 2; ++s) {
        const std::string n = std::to_string(s);
        const int b = 224 + 3 * s;
        t.push_back(Raw(b, "LBX - AFR " + n, KChanU16, 2));
        t.push_back(Raw(b + 1, "LBX - Lambda " + n, KChanU16, 3));
        t.push_back(Raw(b + 2, "LBX - Flags " + n, KChanU16, 0));
        AddFlags(t, 326 + 3 * s, b + 2, "LBX Flags " + n + " - ",
                 {{0, "Sensor Ready"}, {1, "Button Down"}, {5, "GoNoGo In Progress"}});
    }
    return t;
}

TChannelTable KZDExtraTable() {
    TChannelTable t;
    for (int p = 0; p < 3; ++p)
        t.push_back(Raw(241 + 2 * p, "Trim Pot " + std::to_string(p + 1) + " (V)", KChanU16, 3));
    for (int p = 0; p < 3; ++p)
        t.push_back(Raw(242 + 2 * p, "Trim Pot " + std::to_string(p + 1) + " (%)", KChanS16, 2));
    Append(t, {
        Raw(247, "Global Trim (%)", KChanS16, 2),
        Raw(248, "No Trim Zone", KChanU8, 2),
        Raw(249, "Multiple Map Switch Position", KChanU8, 0),
    });
    for (int s = 0; s < 2; ++s) {
        const std::string n = std::to_string(s);
        t.push_back(Raw(232 + s, "O2 Sensor In " + n + " (V)", KChanU16, 3));
        t.push_back(Raw(234 + s, "O2 Temperature " + n + " (V)", KChanU16, 3));
        t.push_back(Raw(236 + s, "O2 Trim " + n + " (V)", KChanU16, 3));
        t.push_back(Raw(239 + s, "O2 Output " + n + " (V)", KChanU16, 3));
        t.push_back(Raw(230 + s, "O2 Flags " + n, KChanU16, 0));
        AddFlags(t, 332 + 2 * s, 230 + s, "O2 Flags " + n + " - ", {{0, "Sensor Ready"}, {1, "Rich/Lean"}});
    }
    return t;
}

namespace {
const std::vector<std::pair<int, const char*>> KWidebandFlagBits = {
    {0, "Sensor Ready"}, {1, "Button Down"}, {2, "Go NoGo"},
    {3, "O2 Out Connect"}, {4, "O2 Out High"}, {5, "Go NoGo In Progress"}};
}

TChannelTable LBXTable() {
    TChannelTable t = {
        Raw(1, "RPM (Ticks)", KChanU16, 0),
        Raw(2, "Analog In (Ticks)", KChanU16, 0),
        Raw(3, "Lambda (Ticks)", KChanU16, 0),
        Raw(4, "Flags", KChanU16, 0),
        Derived(5, "RPM", 1, 0, 0),
        Derived(7, "Lambda", 3, 0, 3),
        Derived(6, "TPS (%)", 2, 0, 1),
        Derived(9, "Analog In (V)", 2, 0, 3),
        Derived(8, "AFR", 7, 0, 2),
    };
    AddFlags(t, 10, 4, "Flag - ", KWidebandFlagBits);
    return t;
}

TChannelTable DualLBXTable() {
    TChannelTable t = {
        Raw(1, "Lambda 1 (Ticks)", KChanU16, 0),
        Raw(4, "Flags 1", KChanU8, 0),
        Raw(11, "Lambda 2 (Ticks)", KChanU16, 0),
        Raw(14, "Flags 2", KChanU8, 0),
        Derived(2, "Lambda 1", 1, 0, 3),
        Derived(3, "AFR 1", 2, 0, 1),
        Derived(12, "Lambda 2", 11, 0, 3),
        Derived(13, "AFR 2", 12, 0, 1),
    };
    AddFlags(t, 5, 4, "Flag 1 - ", KWidebandFlagBits);
    AddFlags(t, 15, 14, "Flag 2 - ", KWidebandFlagBits);
    return t;
}
