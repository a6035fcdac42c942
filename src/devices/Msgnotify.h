#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "Fifo.h"
#include "Locklist.h"
#include "Usbmessage.h"

// Waiters: one per request in flight. A waiter is registered before the
// request is sent, collects what the message layer delivers to it, and is
// removed after its wait.
//
// The real contract of routing: replies are matched by command alone, never
// by tag. Every reply with command C reaches every waiter registered for C at
// the moment it is dispatched. A waiter stops accepting once its own wait has
// ended, so a late reply cannot land in a finished waiter, but it does reach
// a newer waiter for the same command that is already registered. Callers
// therefore never continue a sequence with the same command after a time-out
// and check every reply's length.
class TMsgNotify {
public:
    static constexpr int KBufferSize = 10240;
    static constexpr int KCANFrameSize = 17;

    TMsgNotify();
    virtual ~TMsgNotify() = default;
    TMsgNotify(const TMsgNotify&) = delete;
    TMsgNotify& operator=(const TMsgNotify&) = delete;

    // Waits up to timeoutMs (0: no wait) for one message; 0 with the message
    // in out, -1 when none arrived. Ends accepting. Base: -1.
    virtual int Wait(TUSBMessage& out, int timeoutMs) { return -1; }
    // CAN waiters: frames of KCANFrameSize bytes. Base: -1 / false / nothing.
    virtual int WaitFrames(std::uint8_t* frames, int count, int timeoutMs) { return -1; }
    virtual bool HasFrames() const { return false; }
    // Called by the dispatch thread; the base drops everything.
    virtual void Deliver(const TUSBMessage& msg) {}
    virtual void DeliverFrame(const std::uint8_t* frame) {}

    bool Accepting() const { return FAccepting.load(); }

protected:
    // Appends bytes to the buffer when accepting and wakes the waiting thread.
    void Put(const void* bytes, int length);
    // Waits until the buffer holds n bytes, the deadline passes, or never
    // (timeoutMs 0); also ends early once abandon (checked every 10 ms)
    // returns true. Then ends accepting. Returns whether n bytes are there.
    bool AwaitBytes(int n, int timeoutMs, const std::function<bool()>& abandon = nullptr);

    TFIFO FBuffer;

private:
    std::atomic<bool> FAccepting{true};
    std::mutex FWakeLock;
    std::condition_variable FWake;
};

// Waits for one message with a given command.
class TUSBNotify : public TMsgNotify {
public:
    explicit TUSBNotify(std::uint16_t command) : FCommand(command) {}
    std::uint16_t Command() const { return FCommand; }
    int Wait(TUSBMessage& out, int timeoutMs) override;
    // Wait that ends early (-1) once abandon returns true, for example when
    // the device is gone: no reply can come then.
    int WaitUnless(TUSBMessage& out, int timeoutMs, const std::function<bool()>& abandon);
    void Deliver(const TUSBMessage& msg) override;

private:
    std::uint16_t FCommand;
};

// The registered waiters of one message layer; owns them.
class TMsgNotifyList : public TOwningLockList<TMsgNotify> {
public:
    // Delivers msg to every TUSBNotify registered for its command.
    void DeliverToCommand(const TUSBMessage& msg);
};

// A list of callbacks handler(data, sender); owns its records.
struct TNotifyEvent {
    using TCode = void (*)(void* data, void* sender);
    TCode Code = nullptr;
    void* Data = nullptr;
};

class TNotifyEventList {
public:
    // Appends a new record, also when the same pair is already present.
    void Add(TNotifyEvent::TCode code, void* data);
    int IndexOf(TNotifyEvent::TCode code, void* data) const;
    void Delete(int index);
    // Deletes the first record with this pair.
    void Remove(TNotifyEvent::TCode code, void* data);
    void Clear() { FList.Clear(); }
    int Count() const { return FList.Count(); }
    // A copy of the record at index (empty out of range).
    TNotifyEvent Get(int index) const;
    // Calls every handler with sender, over a copy of the list.
    void Notify(void* sender) const;

private:
    TOwningLockList<TNotifyEvent> FList;
};
