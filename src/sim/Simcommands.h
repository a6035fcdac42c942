#pragma once
#include "Simframing.h"

#include <cstdint>
#include <vector>

class TSimMemory;

// The command set of a KZD unit: each request message gives the reply data
// the unit sends back (or no reply), for the application and for the boot
// loader. Replies that carry a status byte use the statuses of
// SimProtocol::TStatus. A command the running program does not know gets no
// reply. Not thread-safe: the owning unit serialises calls.

enum class TSimMode { Application, Bootloader };

enum class TSimTransition { None, EnterBootloader, ExitBootloader };

struct TSimResponse {
    bool HasReply = false;
    std::vector<std::uint8_t> Data;
    TSimTransition Transition = TSimTransition::None;   // after the reply has gone out
    bool MemoryChanged = false;
};

// Device-side state beyond the memory images (lost at power-down).
struct TSimRunState {
    bool Prepared = false;                // 0x5001 seen since the last apply
    bool MapWriteOpen = false;            // between 0x5002 and 0x5003
    bool FirmwareWriteBegun = false;      // 0x0100 seen in this boot loader stay
    int BootValue = -1;                   // value of the last 0x0100
    int MapWritesOutsideBracket = 0;      // FRAM writes into the map area without 0x5002
    int ApplyCount = 0;                   // successful 0x5000
};

class TSimCommands {
public:
    explicit TSimCommands(TSimMemory& memory) : FMemory(memory) {}
    TSimResponse Handle(TSimMode mode, const TSimMessage& request, std::int64_t uptimeMs);
    TSimRunState& RunState() { return FRun; }
    // Called on every (re)start of the program or boot loader.
    void Restarted() { FRun = TSimRunState{}; }

private:
    TSimResponse Application(const TSimMessage& request, std::int64_t uptimeMs);
    TSimResponse Bootloader(const TSimMessage& request);
    TSimResponse ReadMemory(const TSimMessage& request, bool flash);
    TSimResponse WriteFram(const TSimMessage& request);
    TSimResponse WriteFlash(const TSimMessage& request, bool firmware);
    TSimResponse EraseSector(const TSimMessage& request);
    TSimResponse ExitBootloader();
    TSimResponse Record(std::uint8_t status, std::uint32_t flashAddress, int size);
    TSimResponse Fixed(std::uint32_t flashAddress, int size);

    TSimMemory& FMemory;
    TSimRunState FRun;
};
