#include "Qc7usbbase.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "Usb.h"

int TQC7USBBase::Exchange(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs,
                          TUSBMessage& reply) {
    if (!FUSB)
        return -1;
    return FUSB->Request(command, data, length, timeoutMs, reply);
}

int TQC7USBBase::StatusRequest(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs) {
    auto reply = std::make_unique<TUSBMessage>();
    const int status = Exchange(command, data, length, timeoutMs, *reply);
    if (status != 0)
        return status;
    return reply->DataLength >= 1 && reply->Data[0] == 0 ? 0 : -2;
}

int TQC7USBBase::FixedReply(std::uint16_t command, int timeoutMs, std::uint8_t* out, int expected) {
    if (!out)
        return -1;
    auto reply = std::make_unique<TUSBMessage>();
    const int status = Exchange(command, nullptr, 0, timeoutMs, *reply);
    if (status != 0)
        return status;
    if (reply->DataLength != expected)
        return -2;
    std::memcpy(out, reply->Data, static_cast<std::size_t>(expected));
    return 0;
}

int TQC7USBBase::Piecewise(std::uint32_t address, int length, int pieceMax,
                           const std::function<int(std::uint32_t, int, int)>& piece) {
    if (length < 0)
        return -1;
    for (int offset = 0; offset < length;) {
        const int n = std::min(length - offset, pieceMax);
        const int status = piece(address + static_cast<std::uint32_t>(offset), offset, n);
        if (status != 0)
            return status;
        offset += n;
    }
    return 0;
}

int TQC7USBBase::ReadPiece(std::uint16_t command, std::uint32_t address, std::uint8_t* out, int n) {
    std::uint8_t request[6];
    PutLE32(request, address);
    PutLE16(request + 4, static_cast<std::uint16_t>(n));
    auto reply = std::make_unique<TUSBMessage>();
    const int status = Exchange(command, request, 6, KTimeoutMs, *reply);
    if (status != 0)
        return status;
    if (reply->DataLength != 1 + n || reply->Data[0] != 0)
        return -2;
    std::memcpy(out, reply->Data + 1, static_cast<std::size_t>(n));
    return 0;
}

int TQC7USBBase::WritePiece(std::uint16_t command, std::uint32_t address, const std::uint8_t* in, int n) {
    std::vector<std::uint8_t> request(6 + static_cast<std::size_t>(n));
    PutLE32(request.data(), address);
    PutLE16(request.data() + 4, static_cast<std::uint16_t>(n));
    std::memcpy(request.data() + 6, in, static_cast<std::size_t>(n));
    return StatusRequest(command, request.data(), static_cast<int>(request.size()), KTimeoutMs);
}

int TQC7USBBase::ReadFram(std::uint32_t address, std::uint8_t* buffer, int length) {
    if (length > 0 && !buffer)
        return -1;
    return Piecewise(address, length, KReadPiece,
                     [&](std::uint32_t a, int offset, int n) { return ReadPiece(KCmdReadFram, a, buffer + offset, n); });
}

int TQC7USBBase::ReadFlash(std::uint32_t address, std::uint8_t* buffer, int length) {
    if (length > 0 && !buffer)
        return -1;
    return Piecewise(address, length, KReadPiece,
                     [&](std::uint32_t a, int offset, int n) { return ReadPiece(KCmdReadFlash, a, buffer + offset, n); });
}

int TQC7USBBase::WriteFram(std::uint32_t address, const std::uint8_t* buffer, int length) {
    if (length > 0 && !buffer)
        return -1;
    return Piecewise(address, length, KWritePiece, [&](std::uint32_t a, int offset, int n) {
        return WritePiece(KCmdWriteFram, a, buffer + offset, n);
    });
}

int TQC7USBBase::WriteFlash(std::uint32_t address, const std::uint8_t* buffer, bool bootloaderMode, int length) {
    if (length > 0 && !buffer)
        return -1;
    const std::uint16_t command = bootloaderMode ? KCmdWriteFirmwareFlash : KCmdWriteConfigFlash;
    return Piecewise(address, length, KFlashWritePiece,
                     [&](std::uint32_t a, int offset, int n) { return WritePiece(command, a, buffer + offset, n); });
}

int TQC7USBBase::EraseSector(int sector) {
    if (sector < 0 || sector > 255)
        return -1;
    const std::uint8_t data = static_cast<std::uint8_t>(sector);
    return StatusRequest(KCmdEraseSector, &data, 1, KTimeoutMs);
}

int TQC7USBBase::BeginFirmwareWrite(int value) {
    const std::uint8_t data = static_cast<std::uint8_t>(value);
    return StatusRequest(KCmdBeginFirmwareWrite, &data, 1, KShortTimeoutMs);
}

int TQC7USBBase::PrepareConfiguration() { return StatusRequest(KCmdPrepareConfiguration, nullptr, 0, KTimeoutMs); }

int TQC7USBBase::ApplyConfiguration() {
    const int status = PrepareConfiguration();
    return status == 0 ? StatusRequest(KCmdApplyConfiguration, nullptr, 0, KTimeoutMs) : status;
}

int TQC7USBBase::BeginMapWrite() { return StatusRequest(KCmdBeginMapWrite, nullptr, 0, KTimeoutMs); }
int TQC7USBBase::EndMapWrite() { return StatusRequest(KCmdEndMapWrite, nullptr, 0, KTimeoutMs); }
int TQC7USBBase::EnterBootloader() { return StatusRequest(KCmdEnterBootloader, nullptr, 0, KTimeoutMs); }
int TQC7USBBase::ExitBootloader() { return StatusRequest(KCmdExitBootloader, nullptr, 0, KTimeoutMs); }

int TQC7USBBase::ReadErrorLog(std::uint8_t* buffer44) {
    return FixedReply(KCmdReadErrorLog, KShortTimeoutMs, buffer44, KQC7ErrorLogRecordSize);
}

int TQC7USBBase::ReadFirmwareInfo(std::uint8_t* buffer8) {
    return FixedReply(KCmdReadFirmwareInfo, KTimeoutMs, buffer8, KQC7FirmwareInfoSize);
}

int TQC7USBBase::ReadDeviceInfo(std::uint8_t* buffer32) {
    if (!buffer32)
        return -1;
    std::uint8_t reply[1 + KQC7DeviceInfoSize];
    const int status = FixedReply(KCmdReadDeviceInfo, KTimeoutMs, reply, 1 + KQC7DeviceInfoSize);
    if (status != 0)
        return status;
    if (reply[0] != 0)
        return -2;
    std::memcpy(buffer32, reply + 1, KQC7DeviceInfoSize);
    return 0;
}

int TQC7USBBase::ReadChannels(int count, const std::uint8_t* ids, int expectedLength, std::uint8_t* reply) {
    if (count < 0 || count > TUSBMessage::KMaxData || (count > 0 && !ids) || expectedLength < 0 ||
        expectedLength > TUSBMessage::KMaxData || (expectedLength > 0 && !reply))
        return -1;
    auto message = std::make_unique<TUSBMessage>();
    const int status = Exchange(KCmdReadChannels, ids, count, KChannelTimeoutMs, *message);
    if (status != 0)
        return status;
    if (message->DataLength != expectedLength)
        return -2;
    if (expectedLength > 0)
        std::memcpy(reply, message->Data, static_cast<std::size_t>(expectedLength));
    return 0;
}
