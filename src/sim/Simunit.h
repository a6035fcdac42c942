#pragma once
#include "Simmapimage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One simulated unit of the family on a report-link directory: a KZD unit
// (product id 0x0506) with its FRAM and flash, which restarts into its boot
// loader (product id 0x0503) on EnterBootloader and back on ExitBootloader.
// Each unit runs one thread that serves its socket file, paced by the
// monotonic clock. Every public operation is thread-safe.

// The family vendor id: 0xF1A0, or the hexadecimal value of the environment
// variable KZD_VENDOR_ID when it is set and valid.
std::uint16_t SimFamilyVendorId();

// Faults that a unit can be told to inject, counted over the requests it
// receives (1 = the first request after the fault was set). Each fault
// fires once.
struct TSimFault {
    enum class TKind { None, DropReply, DelayReply, CorruptReply, DetachAfter };
    // How CorruptReply spoils the reply: FlipFirstByte inverts data byte 0
    // (the status byte of most replies); BadTotalLength announces a total
    // length of 513; SwitchTag gives every report after the first another
    // tag (no effect on a reply of one report).
    enum class TCorruption { FlipFirstByte, BadTotalLength, SwitchTag };
    TKind Kind = TKind::None;
    int Nth = 0;          // which request (1-based) the fault applies to
    int DelayMs = 0;      // DelayReply: the delay; DetachAfter: attach again after this long (0 = stay detached)
    TCorruption Corruption = TCorruption::FlipFirstByte;
    std::uint16_t Command = 0;   // count only requests with this command (0 = every request)
};

struct TSimUnitOptions {
    std::string Name = "kzd1";          // the NAME part of the socket file name
    std::uint16_t VendorId = SimFamilyVendorId();
    std::uint16_t ProductId = 0x0506;   // KZD unit
    int ReportIntervalUs = 0;           // 1000 models a full-speed interrupt endpoint
    std::string StateFile;              // memory kept between runs ("" = none)
    std::uint16_t BootloaderProductId = 0x0503;
    bool FreshState = false;            // ignore an existing state file: start from the factory state
    int BootDelayMs = 200;              // time between detach and attach when restarting
    int UnitNumber = 0;                 // varies serial number and GUID; 0 = its place in the simulator (1, 2, ...)
    std::vector<TSimFault> Faults;      // set at start
};

// The run-time state of the unit's program that tests may look at.
struct TSimRunInfo {
    bool Prepared = false;              // PrepareConfiguration seen, apply pending
    bool MapWriteOpen = false;          // between BeginMapWrite and EndMapWrite
    bool FirmwareWriteBegun = false;    // BeginFirmwareWrite seen in this boot loader stay
    int BootValue = -1;                 // value of the last BeginFirmwareWrite
    int MapWritesOutsideBracket = 0;    // FRAM writes into the map area without BeginMapWrite
    int ApplyCount = 0;                 // successful ApplyConfiguration second steps
};

class TSimUnit {
public:
    // Starts serving on linkDir (throws std::runtime_error when the socket
    // file cannot be served: path too long, in use, directory missing).
    TSimUnit(const std::string& linkDir, const TSimUnitOptions& options);
    // Stops the thread, detaches and saves the state file (when one is set).
    ~TSimUnit();
    TSimUnit(const TSimUnit&) = delete;
    TSimUnit& operator=(const TSimUnit&) = delete;

    const TSimUnitOptions& Options() const;
    const std::string& Name() const;

    // Link. The socket path is "" while detached.
    bool IsAttached() const;
    bool IsConnected() const;            // a host holds the connection
    bool InBootloader() const;
    std::uint16_t ProductId() const;     // of the device currently presented
    std::string SocketPath() const;
    // Unplugs: closes the connection and removes the socket file (returns
    // when both are done). Attach plugs the unit in again (false with
    // LastError when the socket cannot be served).
    void Detach();
    bool Attach();
    // Restarts into the boot loader or the program at once (as if the unit
    // had been left there), detached for BootDelayMs in between.
    void RestartInto(bool bootloader);
    // Waits (up to timeoutMs) for the unit to be attached / connected as given.
    bool WaitAttached(bool attached, int timeoutMs) const;
    bool WaitConnected(bool connected, int timeoutMs) const;
    std::string LastError() const;

    // Memory. Reads throw std::out_of_range outside the space; writes
    // overwrite bytes directly (flash without erase).
    std::vector<std::uint8_t> Fram(std::uint32_t address, std::size_t length) const;
    std::vector<std::uint8_t> Flash(std::uint32_t address, std::size_t length) const;
    std::uint32_t FramWord(std::uint32_t address) const;
    std::uint32_t FlashWord(std::uint32_t address) const;
    void SetFram(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    void SetFlash(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    std::size_t FramSize() const;
    std::size_t FlashSize() const;
    // Identity records as the unit answers them (32-byte device information,
    // 8-byte firmware information) and the error log (count word, then up to
    // five (code word, value) entries; a count above 5 is stored as given).
    std::vector<std::uint8_t> DeviceInfo() const;
    void SetDeviceInfo(const std::vector<std::uint8_t>& info32);
    std::vector<std::uint8_t> FirmwareInfo() const;
    void SetFirmwareInfo(std::uint32_t version, std::uint32_t needsNewerSoftware);
    void SetErrorLog(std::uint32_t count, const std::vector<std::pair<std::uint32_t, std::int32_t>>& entries);
    void ResetToFactory();
    // Lays a map out in FRAM as a map send writes it (Simmapimage.h); false
    // with the reason when it does not fit.
    bool WriteMap(const TSimMap& map, std::string* error = nullptr);
    TSimRunInfo RunInfo() const;

    // Requests received per command since the start or the last ResetCounts
    // (complete messages, whether answered or not).
    int RequestCount(std::uint16_t command) const;
    int RequestTotal() const;
    void ResetCounts();
    int BadPackets() const;              // packets of a wrong length or report id
    int DroppedMessages() const;         // broken request framing
    int RefusedConnections() const;      // second connections closed at once

    // Faults and timing.
    void AddFault(const TSimFault& fault);
    void ClearFaults();
    void SetSilent(bool silent);         // answer nothing at all
    // Cuts or zero-pads the reply data of a command to length bytes (-1: the
    // real length again), for the host's reply-length checks.
    void SetReplyDataLength(std::uint16_t command, int length);
    void SetReportIntervalUs(int intervalUs);
    void SetBootDelayMs(int delayMs);

    // Unsolicited traffic: a message with the unit's own tag (or the tag
    // given), or raw reports, queued behind the replies.
    void SendMessage(std::uint16_t command, const std::vector<std::uint8_t>& data, std::uint32_t tag = 0);
    void SendReports(const std::vector<std::array<std::uint8_t, 65>>& reports);

    // State file: saved on changes (after a quiet spell), on restarts and
    // at destruction. StateError tells why a state file could not be used
    // at start ("" when it was read or did not exist).
    bool SaveState(std::string* error = nullptr);
    std::string StateError() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
