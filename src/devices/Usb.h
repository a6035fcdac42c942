#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "Fifo.h"
#include "Msgnotify.h"
#include "Thid.h"
#include "Usbframing.h"

// The USB message layer of one attached device: owns its THID, sends
// messages, puts received messages together and hands each one, on its own
// dispatch thread, to the waiters registered for its command (or, for the
// CAN-carrying commands 0x2102 and 0x2103, to the CAN message handler only).
//
// Threads: any thread may Send, AddWaiter, RemoveWaiter and Request at once;
// IsConnected is called by one managing thread (the enumeration pass).
// Sending and reassembly use separate locks, so a long send never delays
// the reports arriving meanwhile; no lock is held while waiting for a reply.
class TUSB {
public:
    static constexpr int KReceivedCapacity = 204800;
    static constexpr std::uint16_t KCANCommand = 0x2102;
    static constexpr std::uint16_t KCANTimedCommand = 0x2103;
    // Called on the dispatch thread with each 0x2102 / 0x2103 message.
    using TCANMessageHandler = std::function<void(const TUSBMessage& msg)>;

    TUSB(std::shared_ptr<THIDBackend> backend, std::uint16_t productId, std::uint16_t vendorId = FamilyVendorId());
    ~TUSB();
    TUSB(const TUSB&) = delete;
    TUSB& operator=(const TUSB&) = delete;

    // Opens (or keeps open, or reopens after a brief disconnect) the single
    // device with this object's ids; returns and stores whether it is open.
    bool IsConnected();
    bool Connected() const { return FConnected.load(); }
    std::uint16_t ProductId() const { return FProductId; }
    std::uint16_t VendorId() const { return FVendorId; }
    THID& Hid() { return FHid; }

    // A new waiter for command, registered; never nullptr in practice.
    TUSBNotify* AddWaiter(std::uint16_t command);
    // Unregisters and destroys a waiter of this layer (nullptr: nothing).
    void RemoveWaiter(TMsgNotify* waiter);
    TMsgNotifyList& Waiters() { return FWaiters; }

    // Sends msg with a new tag, setting its total length. 0 when every report
    // went out; -1 when the device is closed, its payload size is 4 or less,
    // the data length is outside 0..5120, or a report failed or took longer
    // than 100 ms (the message may then be partly sent).
    int Send(TUSBMessage& msg);

    // The request pattern: registers a waiter for command, sends the request,
    // waits up to timeoutMs for the reply with the same command and removes
    // the waiter. 0 with the reply in reply; -1 when the request could not be
    // sent or no reply came in time (also for data longer than 5120 bytes),
    // at once when the device closes or goes away during the wait.
    int Request(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs, TUSBMessage& reply);

    // One whole record from the received ring: 0, or -1 when none is there.
    int TakeMessage(TUSBMessage& out);

    void SetCANMessageHandler(TCANMessageHandler handler);

    // Counters for tests and diagnostics.
    int DroppedMessages() const { return FDropped.load(); }

private:
    void OnReport(const std::uint8_t* report, int length);
    void DispatchLoop();
    void Dispatch(const TUSBMessage& msg);
    std::uint32_t NextTag();

    const std::uint16_t FProductId;
    const std::uint16_t FVendorId;
    std::atomic<bool> FConnected{false};
    TFIFO FReceived{KReceivedCapacity};
    TMsgNotifyList FWaiters;

    std::mutex FSendLock;  // one message on the wire at a time; the tag source
    std::minstd_rand FTagSource;

    std::mutex FReceiveLock;  // reassembly and the received ring's consumer
    std::condition_variable FReceivedSignal;
    TUSBAssembler FAssembler;
    std::atomic<int> FDropped{0};

    std::mutex FCANLock;
    TCANMessageHandler FCANHandler;

    std::atomic<bool> FStop{false};
    std::thread FDispatchThread;
    THID FHid;  // last member: its read thread ends first on destruction
};
