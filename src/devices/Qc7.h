#pragma once
#include <cstdint>

#include "Basedriver.h"

// The configuration structures of a controller, reached through its table
// tree: the pointer tables first, then the structures below them.
enum class TQC7Struct {
    RootTable, ROFlashTable, RWFlashTable, FramTable, FeatureTable,
    System, ADC, DAC, ROBlock4,                      // below the RO flash table
    Device, Channel, VR, RWBlock4,                   // below the RW flash table
    TPS, SpeedGear, J1850, EngineTemp, Pressure, SystemVoltage, Wideband, O2,
    TrimPot, PulseWidthTuning, Network, CanRx, CanTx, MultipleMapSwitch,
    GlobalTrim,                                      // below the RAM configuration table
    MapSwitch, QuickShift, RevLimit, RevXtend, StartFuel, AccelPump, AutoTune,
    FeatureBlock9, FeatureBlock10,                   // below the feature table
    Count
};

// Bytes of each structure as the driver reads and writes it; a caller's
// buffer holds exactly this many bytes.
int QC7StructSize(TQC7Struct which);
// True for the structures with a write operation (the RAM structures).
bool QC7StructWritable(TQC7Struct which);

// Sizes of the identity records.
constexpr int KQC7DeviceInfoSize = 32;
constexpr int KQC7FirmwareInfoSize = 8;
constexpr int KQC7ErrorLogRecordSize = 44;
constexpr int KQC7SerialNumberSize = 16;
constexpr int KQC7GuidSize = 16;
constexpr int KQC7ModelInfoSize = 22;

// The controller driver: the complete operation set of a controller. Every
// operation returns a status (see Basedriver.h); this class supports none of
// them (each returns -1 and sends nothing); subclasses override.
//
// Buffers are caller-owned byte arrays of exactly the size named; values in
// them are little-endian. Every operation blocks the calling thread until its
// replies arrive or its time limit passes (1000 ms per request for most,
// 500 ms for the error log and BeginFirmwareWrite, 200 ms for ReadChannels).
// Operations may be called from several threads at once, as long as two
// operations using the same device command never run at the same time on
// one device (only the live-data thread sends ReadChannels).
class TQC7 : public TBaseDriver {
public:
    // Transport primitives.
    virtual int PrepareConfiguration() { return -1; }
    // PrepareConfiguration, then the apply command: the device takes over the
    // configuration just written to its RAM.
    virtual int ApplyConfiguration() { return -1; }
    // count channel ids; the reply (expectedLength bytes, one value per channel
    // in request order) goes to reply. -2 when the reply length differs.
    virtual int ReadChannels(int count, const std::uint8_t* ids, int expectedLength, std::uint8_t* reply) { return -1; }
    virtual int ReadFirmwareInfo(std::uint8_t* buffer8) { return -1; }
    virtual int ReadDeviceInfo(std::uint8_t* buffer32) { return -1; }
    virtual int BeginMapWrite() { return -1; }
    virtual int EndMapWrite() { return -1; }
    virtual int EnterBootloader() { return -1; }
    virtual int ExitBootloader() { return -1; }
    // Non-volatile RAM and program flash, any length (cut into pieces).
    virtual int ReadFram(std::uint32_t address, std::uint8_t* buffer, int length) { return -1; }
    virtual int WriteFram(std::uint32_t address, const std::uint8_t* buffer, int length) { return -1; }
    virtual int ReadFlash(std::uint32_t address, std::uint8_t* buffer, int length) { return -1; }
    // bootloaderMode true: the firmware image command; false: the command
    // for the configuration flash tables. Both go to a boot loader device.
    virtual int WriteFlash(std::uint32_t address, const std::uint8_t* buffer, bool bootloaderMode, int length) { return -1; }
    virtual int EraseSector(int sector) { return -1; }
    virtual int BeginFirmwareWrite(int value) { return -1; }

    // Configuration structures: buffer of QC7StructSize(which) bytes. Writes
    // end with ApplyConfiguration (not called when the write failed).
    virtual int ReadStructure(TQC7Struct which, std::uint8_t* buffer) { return -1; }
    virtual int WriteStructure(TQC7Struct which, const std::uint8_t* buffer) { return -1; }

    // Error log (44 bytes) and identity records.
    virtual int ReadErrorLog(std::uint8_t* buffer44) { return -1; }
    virtual int ReadSerialNumber(std::uint8_t* buffer16) { return -1; }
    virtual int ReadGuid(std::uint8_t* buffer16) { return -1; }
    virtual int ReadModelInfo(std::uint8_t* buffer22) { return -1; }

    static int Min(int a, int b) { return a < b ? a : b; }

    // The named structure operations, each one of the two above.
#define KZD_QC7_READ(name, id) \
    int Read##name(std::uint8_t* buffer) { return ReadStructure(TQC7Struct::id, buffer); }
#define KZD_QC7_RW(name, id) \
    KZD_QC7_READ(name, id)   \
    int Write##name(const std::uint8_t* buffer) { return WriteStructure(TQC7Struct::id, buffer); }
    KZD_QC7_READ(RootTable, RootTable)
    KZD_QC7_READ(ROFlashTable, ROFlashTable)
    KZD_QC7_READ(RWFlashTable, RWFlashTable)
    KZD_QC7_READ(FramTable, FramTable)
    KZD_QC7_READ(System, System)
    KZD_QC7_READ(ADC, ADC)
    KZD_QC7_READ(DAC, DAC)
    KZD_QC7_READ(ROBlock4, ROBlock4)
    KZD_QC7_READ(Device, Device)
    KZD_QC7_READ(VR, VR)
    KZD_QC7_READ(Channel, Channel)
    KZD_QC7_READ(RWBlock4, RWBlock4)
    KZD_QC7_RW(TPS, TPS)
    KZD_QC7_RW(SpeedGear, SpeedGear)
    KZD_QC7_RW(EngineTemp, EngineTemp)
    KZD_QC7_RW(Pressure, Pressure)
    KZD_QC7_RW(SystemVoltage, SystemVoltage)
    KZD_QC7_RW(J1850, J1850)
    KZD_QC7_RW(Wideband, Wideband)
    KZD_QC7_RW(O2, O2)
    KZD_QC7_RW(GlobalTrim, GlobalTrim)
    KZD_QC7_RW(TrimPot, TrimPot)
    KZD_QC7_RW(MultipleMapSwitch, MultipleMapSwitch)
    KZD_QC7_RW(PulseWidthTuning, PulseWidthTuning)
    // WriteFeatureTable keeps the device's own size word in word 0 and
    // writes min(that size, 44) bytes; -2 when the device's size is below 4.
    KZD_QC7_RW(FeatureTable, FeatureTable)
    KZD_QC7_RW(MapSwitch, MapSwitch)
    KZD_QC7_RW(QuickShift, QuickShift)
    KZD_QC7_RW(AccelPump, AccelPump)
    KZD_QC7_RW(StartFuel, StartFuel)
    KZD_QC7_RW(RevXtend, RevXtend)
    KZD_QC7_RW(RevLimit, RevLimit)
    KZD_QC7_RW(AutoTune, AutoTune)
    KZD_QC7_RW(Network, Network)
    KZD_QC7_RW(CanRx, CanRx)
    KZD_QC7_RW(CanTx, CanTx)
    KZD_QC7_RW(FeatureBlock9, FeatureBlock9)
    KZD_QC7_RW(FeatureBlock10, FeatureBlock10)
#undef KZD_QC7_RW
#undef KZD_QC7_READ
};
