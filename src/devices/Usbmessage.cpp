#include "Usbmessage.h"

#include <algorithm>
#include <cstring>

void TUSBMessage::Pack(std::uint8_t* out) const {
    PutLE32(out, Tag);
    PutLE16(out + 4, Command);
    PutLE16(out + 6, TotalLength);
    std::memcpy(out + 8, Data, KMaxData);
    PutLE32(out + 8 + KMaxData, static_cast<std::uint32_t>(DataLength));
}

void TUSBMessage::Unpack(const std::uint8_t* in) {
    Tag = GetLE32(in);
    Command = GetLE16(in + 4);
    TotalLength = GetLE16(in + 6);
    std::memcpy(Data, in + 8, KMaxData);
    DataLength = std::clamp(static_cast<std::int32_t>(GetLE32(in + 8 + KMaxData)), 0, KMaxData);
}

bool TUSBMessage::Set(std::uint16_t command, const std::uint8_t* data, int length) {
    if (length < 0 || length > KMaxData)
        return false;
    Command = command;
    DataLength = length;
    if (length > 0)
        std::memcpy(Data, data, static_cast<std::size_t>(length));
    return true;
}
