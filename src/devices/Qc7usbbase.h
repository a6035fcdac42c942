#pragma once
#include <cstdint>
#include <functional>

#include "Qc7base.h"

class TUSB;
struct TUSBMessage;

// The transport primitives of a controller over its USB message layer. Each
// primitive is one or more request/reply exchanges of the device's command
// set; reads are cut into pieces of 256 bytes, flash writes into pieces of
// 4096. Replies are checked for their status byte and their length: a read
// of n bytes succeeds only with a reply of 1 + n data bytes (status first), a
// status-only reply needs at least 1 byte; otherwise -2. No reply in time,
// or a request that cannot be sent: -1. Lengths, counts and addresses coming
// from the device never size a copy beyond the caller's buffer.
class TQC7USBBase : public TQC7Base {
public:
    // Device commands.
    enum : std::uint16_t {
        KCmdReadFram = 0x0003, KCmdWriteFram = 0x0004, KCmdReadChannels = 0x0005, KCmdReadFlash = 0x0006,
        KCmdExitBootloader = 0x0021, KCmdWriteConfigFlash = 0x0022, KCmdEraseSector = 0x0023,
        KCmdEnterBootloader = 0x0027, KCmdBeginFirmwareWrite = 0x0100, KCmdWriteFirmwareFlash = 0x0101,
        KCmdReadErrorLog = 0x00E8, KCmdReadDeviceInfo = 0x00EA, KCmdReadFirmwareInfo = 0x00EB,
        KCmdApplyConfiguration = 0x5000, KCmdPrepareConfiguration = 0x5001,
        KCmdBeginMapWrite = 0x5002, KCmdEndMapWrite = 0x5003,
    };
    static constexpr int KTimeoutMs = 1000;
    static constexpr int KShortTimeoutMs = 500;   // error log, BeginFirmwareWrite
    static constexpr int KChannelTimeoutMs = 200;
    static constexpr int KReadPiece = 256;
    static constexpr int KWritePiece = 256;
    static constexpr int KFlashWritePiece = 4096;

    // usb is the device's message layer (not owned; may be nullptr: every
    // operation then returns -1).
    explicit TQC7USBBase(TUSB* usb) : FUSB(usb) {}
    TUSB* Usb() const { return FUSB; }

    int PrepareConfiguration() override;
    int ApplyConfiguration() override;
    int ReadChannels(int count, const std::uint8_t* ids, int expectedLength, std::uint8_t* reply) override;
    int ReadFirmwareInfo(std::uint8_t* buffer8) override;
    int ReadDeviceInfo(std::uint8_t* buffer32) override;
    int BeginMapWrite() override;
    int EndMapWrite() override;
    int EnterBootloader() override;
    int ExitBootloader() override;
    int ReadFram(std::uint32_t address, std::uint8_t* buffer, int length) override;
    int WriteFram(std::uint32_t address, const std::uint8_t* buffer, int length) override;
    int ReadFlash(std::uint32_t address, std::uint8_t* buffer, int length) override;
    int WriteFlash(std::uint32_t address, const std::uint8_t* buffer, bool bootloaderMode, int length) override;
    int EraseSector(int sector) override;
    int BeginFirmwareWrite(int value) override;
    int ReadErrorLog(std::uint8_t* buffer44) override;

private:
    int Exchange(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs, TUSBMessage& reply);
    int StatusRequest(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs);
    int ReadPiece(std::uint16_t command, std::uint32_t address, std::uint8_t* out, int n);
    int WritePiece(std::uint16_t command, std::uint32_t address, const std::uint8_t* in, int n);
    // Exactly expected data bytes (no status byte) into out.
    int FixedReply(std::uint16_t command, int timeoutMs, std::uint8_t* out, int expected);
    static int Piecewise(std::uint32_t address, int length, int pieceMax,
                         const std::function<int(std::uint32_t address, int offset, int n)>& piece);

    TUSB* FUSB;
};
