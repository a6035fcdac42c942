#pragma once
#include <cstdint>
#include <functional>

#include "Usbmessage.h"

// The wire form of USB messages. A message travels as the stream command
// (2 bytes), total length = data length + 4 (2 bytes), data; the stream is
// cut into reports that each carry, after the report id, the message's tag
// (4 bytes) and the next piece of the stream. With 65-byte reports the first
// report holds the header and 56 data bytes, every further one 60.

// Cuts msg into report payloads (the bytes after the report id) of
// payloadSize bytes each: tag, piece of payloadSize - 4 stream bytes, zeros
// after the message's end. emit is called once per payload and returns false
// to stop. Returns 0 when every payload was emitted, -1 when payloadSize <= 4,
// the data length is outside 0..5120, or emit stopped.
int FrameMessage(const TUSBMessage& msg, std::uint32_t tag, int payloadSize,
                 const std::function<bool(const std::uint8_t* payload, int size)>& emit);

// Puts messages together from input reports (report id in byte 0). A report
// with the partial message's tag continues it; any other report discards the
// partial message and starts a new one. Headers announcing a total length
// outside 4..512 are dropped. Every copy is bounded by the bytes the report
// actually delivered. Not guarded: the owner serialises Feed.
class TUSBAssembler {
public:
    static constexpr int KMinTotalLength = 4;
    static constexpr int KMaxTotalLength = 512;

    // Returns true when this report completed a message (see Message).
    bool Feed(const std::uint8_t* report, int length);
    // The message completed by the last Feed that returned true.
    const TUSBMessage& Message() const { return FMessage; }
    bool HasPartial() const { return FHasPartial; }

private:
    void Append(const std::uint8_t* bytes, int available);

    TUSBMessage FMessage;
    bool FHasPartial = false;
    int FExpected = 0;  // data bytes of the partial message
};
