#include "Qc7errorcode.h"

#include "Devicemanager.h"
#include "Qc7.h"

#include <algorithm>
#include <iterator>

namespace {

struct TCodeText {
    std::uint32_t Number;
    const char* Text;
};

// Sorted by number.
const TCodeText kCodeTexts[] = {
    {1, "Read Only Flash - Invalid Table"},
    {2, "Read Only Flash - Invalid Table Size"},
    {3, "System Configuration - Invalid Address"},
    {4, "System Configuration - Invalid Num Channels"},
    {5, "System Configuration - Invalid Num Cylinders"},
    {6, "System Configuration - Invalid Num Gears"},
    {7, "System Configuration - Invalid Associated Cylinders"},
    {8, "System Configuration - Invalid Channel Type"},
    {9, "ADC Configuration - Invalid Address"},
    {10, "ADC Configuration - Invalid Mode"},
    {11, "ADC Configuration - Invalid HW Channel"},
    {12, "ADC Configuration - Invalid Min Ticks"},
    {13, "ADC Configuration - Invalid Max Ticks"},
    {14, "Read/Write - Invalid Table"},
    {15, "Read/Write - Invalid Table Size"},
    {16, "Device Configuration - Invalid Address"},
    {17, "Device Configuration - Invalid RPM Source"},
    {18, "Device Configuration - Invalid Dual Slope Threshold"},
    {19, "Device Configuration - Invalid Dual Slope Step Size"},
    {20, "Device Configuration - Invalid Map"},
    {21, "Device Configuration - Invalid Max Fuel Enrich"},
    {22, "Device Configuration - Invalid Max Fuel Enlean"},
    {23, "Device Configuration - Invalid Max Ignition Advance"},
    {24, "Device Configuration - Invalid Max Ignition Retard"},
    {25, "VR Configuration - Invalid Address"},
    {26, "VR Configuration - Invalid System Cfg"},
    {27, "VR Configuration - Invalid Trigger Edge"},
    {28, "VR Configuration - Invalid Decay Rate"},
    {29, "VR Configuration - Invalid Num Sections"},
    {30, "VR Configuration - Invalid RPM Multiplier"},
    {31, "VR Configuration - Invalid Timeout"},
    {32, "VR Configuration - Invalid Output Width"},
    {33, "VR Configuration - Invalid Output Offset"},
    {34, "VR Configuration - Invalid Output Accel"},
    {35, "Channel Configuration - Invalid Address"},
    {36, "Channel Configuration - Invalid Start Count"},
    {37, "Channel Configuration - Invalid Timeout"},
    {38, "Channel Configuration - Invalid Toggle On Time"},
    {39, "Channel Configuration - Invalid Toggle Off Time"},
    {40, "Base Configuration - Invalid Boot Info"},
    {41, "Base Configuration - Invalid Default Cfg Address"},
    {42, "Base Configuration - Invalid FRAM Cfg Address"},
    {43, "Feature Configuration - Invalid Address"},
    {44, "Map Switch Configuration - Invalid Address"},
    {45, "Map Switch Configuration - Invalid Digital Input"},
    {46, "Map Switch Configuration - Invalid Trigger State"},
    {47, "Map Switch Configuration - Invalid Map Position"},
    {48, "Map Switch Configuration - Invalid Filter Time"},
    {49, "Quick Shift Configuration - Invalid Address"},
    {50, "Quick Shift Configuration - Invalid Digital Input"},
    {51, "Quick Shift Configuration - Invalid Trigger Edge"},
    {52, "Quick Shift Configuration - Invalid Mode"},
    {53, "Quick Shift Configuration - Invalid Minimum RPM"},
    {54, "Quick Shift Configuration - Invalid Filter Time"},
    {55, "Quick Shift Configuration - Invalid Kill Time"},
    {56, "Rev Limit Configuration - Invalid Address"},
    {57, "Rev Limit Configuration - Invalid Mode"},
    {58, "Rev Limit Configuration - Invalid RPM"},
    {59, "Rev Limit Configuration - Invalid Offset"},
    {60, "Rev X-tend Configuration - Invalid Address"},
    {61, "Rev X-tend Configuration - Rev Limit Not Enabled"},
    {62, "Rev X-tend Configuration - Invalid Hysteresis"},
    {63, "Rev X-tend Configuration - Invalid Takeover"},
    {64, "Start Fuel Configuration - Invalid Address"},
    {65, "Start Fuel Configuration - Invalid Mode"},
    {66, "Start Fuel Configuration - Invalid Run Time"},
    {67, "Start Fuel Configuration - Invalid Adjustment"},
    {68, "Start Fuel Configuration - Invalid Table Size"},
    {69, "Accel Pump Configuration - Invalid Address"},
    {70, "Accel Pump Configuration - Invalid Mode"},
    {71, "Accel Pump Configuration - Invalid Number of Revs"},
    {72, "Accel Pump Configuration - Invalid Adjustment"},
    {73, "Auto Tune Configuration - Invalid Address"},
    {74, "Auto Tune Configuration - Invalid Required Run Time"},
    {75, "Auto Tune Configuration - Invalid Required  Engine Temp"},
    {76, "Auto Tune Configuration - Invalid Max Enrichment"},
    {77, "Auto Tune Configuration - Invalid Max Enleanment"},
    {78, "Auto Tune Configuration - Invalid Integrator Step Size"},
    {79, "Auto Tune Configuration - Invalid Max Target AFR"},
    {80, "Auto Tune Configuration - Invalid Min Target AFR"},
    {81, "Auto Tune Configuration - Invalid Max Sample AFR"},
    {82, "Auto Tune Configuration - Invalid Min Sample AFR"},
    {83, "Auto Tune Configuration - Invalid Min Rate"},
    {84, "Auto Tune Configuration - Invalid Control Rate"},
    {85, "Auto Tune Configuration - Invalid Enrichment Min Integrator Step Size"},
    {86, "Auto Tune Configuration - Invalid Enrichment Max Integrator Step Size"},
    {87, "Auto Tune Configuration - Invalid Enrichment Threshold"},
    {88, "Auto Tune Configuration - Invalid Enrichment Slope"},
    {89, "Auto Tune Configuration - Invalid Enleanment Min Integrator Step Size"},
    {90, "Auto Tune Configuration - Invalid Enleanment Max Integrator Step Size"},
    {91, "Auto Tune Configuration - Invalid Enleanment Threshold"},
    {92, "Auto Tune Configuration - Invalid Enleanment Slope"},
    {93, "Auto Tune Configuration - Invalid TPS Filter Accel"},
    {94, "Auto Tune Configuration - Invalid TPS Filter Decel"},
    {95, "Auto Tune Configuration - Invalid TPS Filter Time"},
    {96, "Auto Tune Configuration - Invalid Sensor Check RPM Range"},
    {97, "Auto Tune Configuration - Invalid Sensor Check TPS Range"},
    {98, "Auto Tune Configuration - Invalid Sensor Check Percent Adjustment"},
    {99, "Auto Tune Configuration - Invalid Sensor Check Percent Correction"},
    {100, "Auto Tune Configuration - Invalid Switch Digital Input"},
    {101, "Auto Tune Configuration - Invalid Switch State"},
    {102, "Auto Tune Configuration - Invalid Switch Filter Time"},
    {103, "TPS Configuration - Invalid Address"},
    {104, "TPS Configuration - Invalid Mode"},
    {105, "TPS Configuration - Invalid Analog Channel"},
    {106, "TPS Configuration - Invalid Table Size"},
    {107, "TPS Configuration - Invalid Sample Rate"},
    {108, "TPS Configuration - Invalid Average Count"},
    {109, "TPS Configuration - Invalid Rate Of Change Rate"},
    {110, "Speed/Gear Configuration - Invalid Address"},
    {111, "Speed/Gear Configuration - Invalid Speed Mode"},
    {112, "Speed/Gear Configuration - Invalid Speed Trigger Edge"},
    {113, "Speed/Gear Configuration - Invalid Speed Sample Rate"},
    {114, "Speed/Gear Configuration - Invalid Speed Hardware Average Count"},
    {115, "Speed/Gear Configuration - Invalid Speed Software Average Count"},
    {116, "Speed/Gear Configuration - Invalid Speed Timeout"},
    {117, "Speed/Gear Configuration - Invalid Gear Mode"},
    {118, "Speed/Gear Configuration - Invalid Gear Stability Time"},
    {119, "Speed/Gear Configuration - Invalid Gear Sample Rate"},
    {120, "Speed/Gear Configuration - Invalid Gear Analog Channel"},
    {121, "Speed/Gear Configuration - Invalid Gear Analog Average Count"},
    {122, "J1850 Configuration - Invalid Address"},
    {123, "J1850 Configuration - Invalid Sample Rate"},
    {124, "Wideband Configuration - Invalid Address"},
    {125, "Wideband Configuration - Invalid Number Of Modules"},
    {126, "Wideband Configuration - Invalid Timeout"},
    {127, "Engine Temp Configuration - Invalid Address"},
    {128, "Engine Temp Configuration - Invalid Mode"},
    {129, "Engine Temp Configuration - Invalid Analog Channel"},
    {130, "Engine Temp Configuration - Invalid Table Size"},
    {131, "Engine Temp Configuration - Invalid Sample Rate"},
    {132, "Engine Temp Configuration - Invalid Analog Average Count"},
    {133, "Pressure Configuration - Invalid Address"},
    {134, "Pressure Configuration - Invalid Mode"},
    {135, "Pressure Configuration - Invalid Analog Channel"},
    {136, "Pressure Configuration - Invalid Table Size"},
    {137, "Pressure Configuration - Invalid Sample Rate"},
    {138, "Pressure Configuration - Invalid Analog Average Count"},
    {139, "System Voltage Configuration - Invalid Address"},
    {140, "System Voltage Configuration - Invalid Mode"},
    {141, "System Voltage Configuration - Invalid Analog Channel"},
    {142, "System Voltage Configuration - Invalid Sample Rate"},
    {143, "System Voltage Configuration - Invalid Analog Average Count"},
    {144, "CAN Rx Configuration - Invalid Address"},
    {145, "CAN Rx Configuration - Invalid Number Of Channels"},
    {146, "CAN Rx Configuration - Invalid Data Offset"},
    {147, "CAN Rx Configuration - Invalid Input Data Type"},
    {148, "CAN Rx Configuration - Invalid Output Data Type"},
    {149, "CAN Rx Configuration - Invalid Offset/Size"},
    {150, "CAN Tx Configuration - Invalid Address"},
    {151, "CAN Tx Configuration - Invalid Rate"},
    {152, "HV Flyback Configuration - Invalid Address"},
    {155, "Launch Control Configuration - Invalid Address"},
    {156, "Launch Control Configuration - Invalid Flags"},
    {157, "Launch Control Configuration - Invalid Digital Input"},
    {158, "Launch Control Configuration - Invalid Switch State"},
    {159, "Launch Control Configuration - Invalid RPM"},
    {160, "Launch Control Configuration - Invalid Mode"},
    {161, "Launch Control Configuration - Invalid Offset"},
    {162, "Launch Control Configuration - Invalid Switch Filter Time"},
    {163, "Launch Control Configuration - Invalid Time"},
    {164, "Launch Control Configuration - Invalid CAN Mode"},
    {165, "Speed Limiter Configuration - Invalid Address"},
    {166, "Speed Limiter Configuration - Invalid Flags"},
    {167, "Speed Limiter Configuration - Invalid Digital Input"},
    {168, "Speed Limiter Configuration - Invalid Switch State"},
    {169, "Speed Limiter Configuration - Invalid Switch Filter Time"},
    {170, "Speed Limiter Configuration - Invalid Speed"},
    {171, "Speed Limiter Configuration - Invalid Mode"},
    {172, "Speed Limiter Configuration - Invalid Offset"},
    {173, "Speed Limiter Configuration - Invalid Gear Selection"},
    {174, "Speed Limiter Configuration - Invalid RPM"},
    {304, "Table Module - No Table Headers"},
    {305, "Table Module - Invalid Number Of Table Headers"},
    {306, "Table Module - Invalid Number Of Table Headers Per Map"},
    {307, "Table Module - Invalid Table Header Address"},
    {308, "Table Module - Invalid X Axis Element Count"},
    {309, "Table Module - Invalid Y Axis Element Count"},
    {310, "Table Module - Invalid Header Cache Pointer"},
    {2303, "VR Module - Signal Unsync'd"},
    {3000, "O2 Configuration - Invalid Address"},
    {3001, "O2 Configuration - Invalid Num Channels"},
    {3002, "O2 Configuration - Invalid Sample Rate"},
    {3003, "O2 Configuration - Invalid Num Analog Average Count"},
    {3050, "Global Trim Configuration - Invalid Address"},
    {3051, "Global Trim Configuration - Invalid Trim Adjustment"},
    {3052, "Global Trim Configuration - Invalid Trim Mode"},
    {3100, "Trim Pot Configuration - Invalid Num Trim Pots"},
    {3101, "Trim Pot Configuration - Invalid Percent"},
    {3102, "Trim Pot Configuration - Invalid Voltage"},
    {3103, "Trim Pot Configuration - Invalid Address"},
    {3150, "Mutiple Map Switch Configuration - Invalid Address"},
    {3151, "Mutiple Map Switch Configuration - Invalid Switch Mode"},
    {3200, "DAC Configuration - Invalid Mode"},
    {3201, "DAC Configuration - Invalid Hardware Channel"},
    {3202, "DAC Configuration - Invalid Minimum Ticks"},
    {3203, "DAC Configuration - Invalid Maximum Ticks"},
    {3204, "DAC Configuration - Invalid Address"},
    {3250, "Pulse Width Tuning Configuration - Invalid Mode"},
    {3251, "Pulse Width Tuning Configuration - Invalid Channel"},
    {3252, "Pulse Width Tuning Configuration - Invalid Sample Rate"},
    {3253, "Pulse Width Tuning Configuration - Invalid Average Count"},
    {3254, "Pulse Width Tuning Configuration - Invalid Table Size"},
    {3255, "Pulse Width Tuning Configuration - Invalid Address"},
    {3400, "EX Configuration - Invalid TP Low"},
    {3401, "EX Configuration - Invalid TP High"},
    {3402, "EX Configuration - Invalid RPM Low"},
    {3403, "EX Configuration - Invalid RPM High"},
    {3404, "EX Configuration - Invalid Address"},
};

}  // namespace

const char* TQC7ErrorCode::TextOf(std::uint32_t number) {
    const auto* end = std::end(kCodeTexts);
    const auto* it = std::lower_bound(std::begin(kCodeTexts), end, number,
                                      [](const TCodeText& c, std::uint32_t n) { return c.Number < n; });
    return it != end && it->Number == number ? it->Text : nullptr;
}

std::string TQC7ErrorCode::Message() const {
    const char* text = TextOf(Number());
    return text ? text : "???";
}

std::string TQC7ErrorCode::Severity() const {
    static const char* const kSeverities[4] = {"Low", "Medium", "High", "Fatal"};
    return kSeverities[FCodeWord >> 30];
}

namespace {

std::uint32_t WordAt(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}  // namespace

void AppendErrorLog(const std::uint8_t (&record)[KQC7ErrorLogSize], TQC7ErrorCodeList& list) {
    const std::uint32_t count = std::min<std::uint32_t>(WordAt(record), KQC7ErrorLogEntries);
    for (int k = static_cast<int>(count) - 1; k >= 0; --k) {
        const std::uint8_t* entry = record + 4 + 8 * k;
        list.Append(new TQC7ErrorCode(WordAt(entry), static_cast<std::int32_t>(WordAt(entry + 4))));
    }
}

int TQC7ErrorCodeManager::Refresh() {
    FCodes.Clear();
    auto* driver = dynamic_cast<TQC7*>(FManager.DriverOf(FId));
    if (!driver)
        return -1;
    std::uint8_t record[KQC7ErrorLogSize] = {};
    const int status = driver->ReadErrorLog(record);
    if (status != 0)
        return status;
    AppendErrorLog(record, FCodes);
    return 0;
}
