#include "Usbframing.h"

#include <algorithm>
#include <cstring>
#include <vector>

int FrameMessage(const TUSBMessage& msg, std::uint32_t tag, int payloadSize,
                 const std::function<bool(const std::uint8_t*, int)>& emit) {
    if (payloadSize <= 4 || msg.DataLength < 0 || msg.DataLength > TUSBMessage::KMaxData)
        return -1;
    const int streamLength = msg.DataLength + 4;
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(streamLength));
    PutLE16(stream.data(), msg.Command);
    PutLE16(stream.data() + 2, static_cast<std::uint16_t>(streamLength));
    std::memcpy(stream.data() + 4, msg.Data, static_cast<std::size_t>(msg.DataLength));

    const int piece = payloadSize - 4;
    std::vector<std::uint8_t> payload(static_cast<std::size_t>(payloadSize));
    for (int offset = 0; offset < streamLength; offset += piece) {
        const int n = std::min(piece, streamLength - offset);
        std::fill(payload.begin(), payload.end(), std::uint8_t{0});
        PutLE32(payload.data(), tag);
        std::memcpy(payload.data() + 4, stream.data() + offset, static_cast<std::size_t>(n));
        if (!emit(payload.data(), payloadSize))
            return -1;
    }
    return 0;
}

void TUSBAssembler::Append(const std::uint8_t* bytes, int available) {
    const int n = std::min(FExpected - FMessage.DataLength, std::max(available, 0));
    std::memcpy(FMessage.Data + FMessage.DataLength, bytes, static_cast<std::size_t>(n));
    FMessage.DataLength += n;
}

bool TUSBAssembler::Feed(const std::uint8_t* report, int length) {
    if (!report || length < 5)
        return false;  // no room even for the tag
    const std::uint32_t tag = GetLE32(report + 1);
    if (FHasPartial && tag == FMessage.Tag) {
        Append(report + 5, length - 5);
    } else {
        FHasPartial = false;
        if (length < 9)
            return false;
        const int total = GetLE16(report + 7);
        if (total < KMinTotalLength || total > KMaxTotalLength)
            return false;
        FMessage.Tag = tag;
        FMessage.Command = GetLE16(report + 5);
        FMessage.TotalLength = static_cast<std::uint16_t>(total);
        FMessage.DataLength = 0;
        FExpected = total - 4;
        FHasPartial = true;
        Append(report + 9, length - 9);
    }
    if (FMessage.DataLength < FExpected)
        return false;
    FHasPartial = false;
    return true;
}
