#include "Simcommands.h"
#include "Simchannels.h"
#include "Simmemory.h"
#include "Simprotocol.h"

using namespace SimProtocol;

namespace {

TSimResponse Status(std::uint8_t status) {
    TSimResponse r;
    r.HasReply = true;
    r.Data = {status};
    return r;
}

TSimResponse Silent() { return {}; }

// Address and length of a memory request, with the data that follows.
struct TMemoryRequest {
    std::uint32_t Address = 0;
    std::size_t Length = 0;
    const std::uint8_t* Payload = nullptr;
    std::size_t PayloadSize = 0;
};

bool ParseMemoryRequest(const TSimMessage& request, TMemoryRequest& out) {
    if (request.Data.size() < 6) return false;
    out.Address = SimGet32(request.Data.data());
    out.Length = SimGet16(request.Data.data() + 4);
    out.Payload = request.Data.data() + 6;
    out.PayloadSize = request.Data.size() - 6;
    return true;
}

bool Within(std::uint32_t address, std::size_t length, std::uint32_t first, std::uint32_t last) {
    return address >= first && address <= last && length <= std::size_t(last - address) + 1;
}

// Tables, directory, headers and axes (0..0x67FF) and the position names (0x7780..0x7CFF).
bool OverlapsMapArea(std::uint32_t address, std::size_t length) {
    const std::uint64_t end = std::uint64_t(address) + length;   // one past the last byte
    return length > 0 && (address <= MapAreaEnd || (end > 0x7780 && address <= 0x7CFF));
}

} // namespace

TSimResponse TSimCommands::Handle(TSimMode mode, const TSimMessage& request, std::int64_t uptimeMs) {
    return mode == TSimMode::Application ? Application(request, uptimeMs) : Bootloader(request);
}

TSimResponse TSimCommands::Application(const TSimMessage& request, std::int64_t uptimeMs) {
    switch (request.Command) {
    case CmdReadFram: return ReadMemory(request, false);
    case CmdWriteFram: return WriteFram(request);
    case CmdReadChannels: {
        TSimResponse r;
        r.HasReply = true;
        r.Data = SimChannelReply(request.Data, uptimeMs);
        return r;
    }
    case CmdReadFlash: return ReadMemory(request, true);
    case CmdExitBootloader:
    case CmdWriteConfigFlash:
    case CmdEraseSector:
    case CmdBeginFirmwareWrite:
    case CmdWriteFirmwareFlash: return Status(StatusRefused);   // only the boot loader touches flash
    case CmdEnterBootloader: {
        TSimResponse r = Status(StatusOk);
        r.Transition = TSimTransition::EnterBootloader;
        return r;
    }
    case CmdReadErrorLog: {
        TSimResponse r;
        r.HasReply = true;
        r.Data.resize(ErrorLogSize);
        FMemory.ReadFram(ErrorLogAddress, r.Data.data(), ErrorLogSize);
        return r;
    }
    case CmdReadDeviceInfo: return Record(StatusOk, DeviceInfoAddress, DeviceInfoSize);
    case CmdReadFirmwareInfo: return Fixed(FirmwareInfoAddress, FirmwareInfoSize);
    case CmdPrepareConfiguration:
        FRun.Prepared = true;
        return Status(StatusOk);
    case CmdApplyConfiguration:
        if (!FRun.Prepared) return Status(StatusRefused);
        FRun.Prepared = false;
        ++FRun.ApplyCount;
        return Status(StatusOk);
    case CmdBeginMapWrite:
        FRun.MapWriteOpen = true;
        return Status(StatusOk);
    case CmdEndMapWrite:
        FRun.MapWriteOpen = false;
        return Status(StatusOk);
    default: return Silent();
    }
}

TSimResponse TSimCommands::Bootloader(const TSimMessage& request) {
    switch (request.Command) {
    case CmdReadFlash: return ReadMemory(request, true);
    case CmdExitBootloader: return ExitBootloader();
    case CmdWriteConfigFlash: return WriteFlash(request, false);
    case CmdWriteFirmwareFlash: return WriteFlash(request, true);
    case CmdEraseSector: return EraseSector(request);
    case CmdBeginFirmwareWrite:
        if (request.Data.size() != 1) return Status(StatusMalformed);
        FRun.FirmwareWriteBegun = true;
        FRun.BootValue = request.Data[0];
        return Status(StatusOk);
    case CmdReadDeviceInfo: {
        TSimResponse r = Record(StatusOk, DeviceInfoAddress, DeviceInfoSize);
        SimPut32(&r.Data[1], BootloaderDeviceType);
        SimPut32(&r.Data[1 + 20], 0);   // the boot loader has no table tree
        return r;
    }
    case CmdReadFirmwareInfo: return Fixed(BootInfoAddress, FirmwareInfoSize);
    default: return Silent();
    }
}

TSimResponse TSimCommands::ReadMemory(const TSimMessage& request, bool flash) {
    TMemoryRequest m;
    if (!ParseMemoryRequest(request, m) || m.PayloadSize != 0) return Status(StatusMalformed);
    if (m.Length > MaxMemoryPiece) return Status(StatusOutOfRange);
    TSimResponse r;
    r.HasReply = true;
    r.Data.assign(1 + m.Length, 0);
    const bool ok = flash ? FMemory.ReadFlash(m.Address, &r.Data[1], m.Length)
                          : FMemory.ReadFram(m.Address, &r.Data[1], m.Length);
    if (!ok) return Status(StatusOutOfRange);
    return r;
}

TSimResponse TSimCommands::WriteFram(const TSimMessage& request) {
    TMemoryRequest m;
    if (!ParseMemoryRequest(request, m) || m.PayloadSize != m.Length) return Status(StatusMalformed);
    if (m.Length > MaxMemoryPiece) return Status(StatusOutOfRange);
    if (!FMemory.WriteFram(m.Address, m.Payload, m.Length)) return Status(StatusOutOfRange);
    if (!FRun.MapWriteOpen && OverlapsMapArea(m.Address, m.Length)) ++FRun.MapWritesOutsideBracket;
    TSimResponse r = Status(StatusOk);
    r.MemoryChanged = m.Length > 0;
    return r;
}

TSimResponse TSimCommands::WriteFlash(const TSimMessage& request, bool firmware) {
    TMemoryRequest m;
    if (!ParseMemoryRequest(request, m) || m.PayloadSize != m.Length) return Status(StatusMalformed);
    if (m.Length > MaxFlashPiece) return Status(StatusOutOfRange);
    const bool inArea = firmware ? Within(m.Address, m.Length, FirmwareBase, FirmwareEnd)
                                 : Within(m.Address, m.Length, RoFlashBase, RwFlashEnd);
    if (!inArea) return Status(StatusOutOfRange);
    if (firmware && !FRun.FirmwareWriteBegun) return Status(StatusRefused);
    FMemory.ProgramFlash(m.Address, m.Payload, m.Length);
    TSimResponse r = Status(StatusOk);
    r.MemoryChanged = m.Length > 0;
    return r;
}

TSimResponse TSimCommands::EraseSector(const TSimMessage& request) {
    if (request.Data.size() != 1) return Status(StatusMalformed);
    const int sector = request.Data[0];
    if (sector >= TSimMemory::SectorCount) return Status(StatusOutOfRange);
    // boot vectors, root table and factory identity (0..6), model information (11)
    // and the boot loader itself (26) are never erased
    if (sector <= 6 || sector == 11 || sector == 26) return Status(StatusRefused);
    FMemory.EraseSector(sector);
    TSimResponse r = Status(StatusOk);
    r.MemoryChanged = true;
    return r;
}

TSimResponse TSimCommands::ExitBootloader() {
    // the boot loader starts only a program whose first word is programmed
    if (FMemory.FlashWord(FirmwareBase) == 0xFFFFFFFFu) return Status(StatusRefused);
    TSimResponse r = Status(StatusOk);
    r.Transition = TSimTransition::ExitBootloader;
    return r;
}

TSimResponse TSimCommands::Record(std::uint8_t status, std::uint32_t flashAddress, int size) {
    TSimResponse r;
    r.HasReply = true;
    r.Data.assign(1 + std::size_t(size), 0);
    r.Data[0] = status;
    FMemory.ReadFlash(flashAddress, &r.Data[1], std::size_t(size));
    return r;
}

TSimResponse TSimCommands::Fixed(std::uint32_t flashAddress, int size) {
    TSimResponse r;
    r.HasReply = true;
    r.Data.assign(std::size_t(size), 0);
    FMemory.ReadFlash(flashAddress, r.Data.data(), std::size_t(size));
    return r;
}
