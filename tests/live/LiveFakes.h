#pragma once
// Fakes for the live-data tests: a controller driver and a wide-band driver
// whose calls can be held at a gate, and a device source with published
// identity lists.
#include <atomic>
#include <chrono>
#include <thread>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "Channeltables.h"
#include "Livesource.h"
#include "Qc7.h"
#include "Rawchannel.h"

// Lets calls through one at a time when closed: each call waits until the
// test allowed as many calls as have arrived.
class TGate {
public:
    // Blocks while closed and this call has not been allowed; returns its
    // 1-based number.
    int Arrive() {
        std::unique_lock<std::mutex> lock(FLock);
        const int n = ++FArrived;
        FChanged.notify_all();
        FChanged.wait(lock, [&] { return FOpen || FAllowed >= n; });
        return n;
    }
    void Close() {
        std::lock_guard<std::mutex> guard(FLock);
        FOpen = false;
        FAllowed = FArrived;
    }
    void Open() {
        std::lock_guard<std::mutex> guard(FLock);
        FOpen = true;
        FChanged.notify_all();
    }
    // Lets the calls up to number n through.
    void AllowUpTo(int n) {
        std::lock_guard<std::mutex> guard(FLock);
        FAllowed = n;
        FChanged.notify_all();
    }
    // Waits (generously) until n calls have arrived; false on time-out.
    bool AwaitArrived(int n, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> lock(FLock);
        return FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FArrived >= n; });
    }
    int Arrived() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FArrived;
    }

private:
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    int FArrived = 0;
    int FAllowed = 0;
    bool FOpen = true;
};

// Waits until pred holds (checked every millisecond); false on time-out.
inline bool AwaitTrue(const std::function<bool()>& pred, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A controller answering the channel request from a table of values, with
// the value widths of the channel tables. A request whose expected length
// differs from the widths of its identifiers gets -2, as a device would.
class TFakeQC7 : public TQC7 {
public:
    explicit TFakeQC7(const TChannelTable& table) {
        for (const TChannelSpec& row : table)
            if (row.Kind == TChannelSpec::TKind::Raw)
                FWidth[row.ID] = ChannelDataSize(row.DataType);
    }

    int ReadChannels(int count, const std::uint8_t* ids, int expectedLength, std::uint8_t* reply) override {
        ++FInCall;
        const int status = Answer(count, ids, expectedLength, reply);
        --FInCall;
        return status;
    }

    int Answer(int count, const std::uint8_t* ids, int expectedLength, std::uint8_t* reply) {
        {
            std::lock_guard<std::mutex> guard(FLock);
            FRequests.emplace_back(ids, ids + count);  // recorded before the gate
        }
        const int call = FGate.Arrive();
        std::lock_guard<std::mutex> guard(FLock);
        const int status = FStatusOf ? FStatusOf(call) : 0;
        if (status != 0)
            return status;
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < count; ++i) {
            const std::uint32_t v = FValues[ids[i]];
            for (int b = 0; b < FWidth[ids[i]]; ++b)
                bytes.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
        if (static_cast<int>(bytes.size()) != expectedLength)
            return -2;
        std::memcpy(reply, bytes.data(), bytes.size());
        return 0;
    }

    int ReadStructure(TQC7Struct which, std::uint8_t* buffer) override {
        if (which != TQC7Struct::System)
            return -1;
        std::lock_guard<std::mutex> guard(FLock);
        if (FSystemStatus != 0) {
            std::memset(buffer, 0xA5, static_cast<std::size_t>(QC7StructSize(which)));  // undefined contents
            return FSystemStatus;
        }
        std::memcpy(buffer, FSystem.data(), FSystem.size());
        return 0;
    }

    void SetValue(int id, std::uint32_t value) {
        std::lock_guard<std::mutex> guard(FLock);
        FValues[id] = value;
    }
    // Status of the n-th ReadChannels call (1-based); nullptr: all succeed.
    void SetStatusOf(std::function<int(int)> statusOf) {
        std::lock_guard<std::mutex> guard(FLock);
        FStatusOf = std::move(statusOf);
    }
    std::vector<std::vector<std::uint8_t>> Requests() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FRequests;
    }

    TGate FGate;
    std::atomic<int> FInCall{0};  // ReadChannels calls in progress
    std::vector<std::uint8_t> FSystem = std::vector<std::uint8_t>(23, 0);
    int FSystemStatus = 0;

private:
    mutable std::mutex FLock;
    std::map<int, std::uint32_t> FValues;
    std::map<int, int> FWidth;
    std::function<int(int)> FStatusOf;
    std::vector<std::vector<std::uint8_t>> FRequests;
};

// A wide-band module: ReadData returns the current frame after a short
// frame interval while plugged, -1 at once when unplugged.
class TFakeWideband : public TLiveWidebandDriver {
public:
    int ReadData(std::uint8_t* frame, int timeoutMs) override {
        FGate.Arrive();
        if (Plugged())  // the module's frame interval
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard<std::mutex> guard(FLock);
        FLastTimeoutMs = timeoutMs;
        if (!FPlugged)
            return -1;
        std::memcpy(frame, FFrame.data(), 8);
        return 0;
    }
    int ReadSetup(std::uint8_t* buffer) override {
        std::memcpy(buffer, FSetup.data(), 8);
        return FSetupStatus;
    }
    int ReadThrottleScaling(std::uint8_t* buffer) override {
        std::memcpy(buffer, FScaling.data(), 8);
        return FScalingStatus;
    }
    void SetFrame(const std::vector<std::uint8_t>& frame) {
        std::lock_guard<std::mutex> guard(FLock);
        FFrame = frame;
    }
    void SetPlugged(bool plugged) {
        std::lock_guard<std::mutex> guard(FLock);
        FPlugged = plugged;
    }
    bool Plugged() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FPlugged;
    }
    int LastTimeoutMs() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FLastTimeoutMs;
    }

    TGate FGate;
    std::vector<std::uint8_t> FSetup = std::vector<std::uint8_t>(8, 0);
    std::vector<std::uint8_t> FScaling = std::vector<std::uint8_t>(8, 0);
    int FSetupStatus = 0;
    int FScalingStatus = 0;

private:
    mutable std::mutex FLock;
    std::vector<std::uint8_t> FFrame = std::vector<std::uint8_t>(8, 0);
    bool FPlugged = true;
    int FLastTimeoutMs = 0;
};

// A device source: connected devices with their drivers, looked up by
// Identical or SameDevice as the device manager does; Publish rebuilds the
// two identity lists and notifies the subscribers.
class TFakeLiveSource : public TLiveSource {
public:
    void Connect(const TDeviceID& id, TQC7* controller, TLiveWidebandDriver* wideband = nullptr) {
        std::lock_guard<std::mutex> guard(FLock);
        FDevices.push_back({id, controller, wideband, true});
    }
    void SetConnected(const TDeviceID& id, bool connected) {
        std::lock_guard<std::mutex> guard(FLock);
        for (TEntry& e : FDevices)
            if (e.ID.Identical(&id))
                e.Connected = connected;
    }
    // The published lists: every connected identity, and one per SameDevice
    // group (the first met).
    void Publish() {
        {
            // The order of the device manager: published lists, then devices.
            std::lock_guard<std::recursive_mutex> idsGuard(FIds.Mutex());
            std::lock_guard<std::recursive_mutex> kindsGuard(FKinds.Mutex());
            std::lock_guard<std::mutex> guard(FLock);
            FIds.Clear();
            FKinds.Clear();
            for (const TEntry& e : FDevices) {
                if (!e.Connected)
                    continue;
                FIds.Append(new TDeviceID(e.ID));
                bool grouped = false;
                for (const TDeviceID* k : FKinds.Snapshot())
                    grouped = grouped || k->SameDevice(&e.ID);
                if (!grouped)
                    FKinds.Append(new TDeviceID(e.ID));
            }
        }
        for (auto& [token, handler] : Handlers())
            handler();
    }

    TQC7* ControllerDriver(const TDeviceID& id, TDriverLookup lookup) override {
        const TEntry* e = Find(id, lookup);
        return e ? e->Controller : nullptr;
    }
    TLiveWidebandDriver* WidebandDriver(const TDeviceID& id, TDriverLookup lookup) override {
        const TEntry* e = Find(id, lookup);
        return e ? e->Wideband : nullptr;
    }
    int Subscribe(THandler handler) override {
        std::lock_guard<std::mutex> guard(FLock);
        FHandlers[++FNextToken] = std::move(handler);
        return FNextToken;
    }
    void Unsubscribe(int token) override {
        std::lock_guard<std::mutex> guard(FLock);
        FHandlers.erase(token);
    }
    const TDeviceIDList& ConnectedIds() const override { return FIds; }
    const TDeviceIDList& ConnectedKinds() const override { return FKinds; }

    int Lookups() const {
        std::lock_guard<std::mutex> guard(FLock);
        return FLookups;
    }
    int SubscriberCount() const {
        std::lock_guard<std::mutex> guard(FLock);
        return static_cast<int>(FHandlers.size());
    }

private:
    struct TEntry {
        TDeviceID ID;
        TQC7* Controller;
        TLiveWidebandDriver* Wideband;
        bool Connected;
    };
    const TEntry* Find(const TDeviceID& id, TDriverLookup lookup) {
        std::lock_guard<std::mutex> guard(FLock);
        ++FLookups;
        for (const TEntry& e : FDevices) {
            const bool match = lookup == TDriverLookup::Identical ? e.ID.Identical(&id) : e.ID.SameDevice(&id);
            if (match && e.Connected)
                return &e;
        }
        return nullptr;
    }
    std::map<int, THandler> Handlers() {
        std::lock_guard<std::mutex> guard(FLock);
        return FHandlers;
    }

    mutable std::mutex FLock;
    std::vector<TEntry> FDevices;
    TDeviceIDList FIds, FKinds;
    std::map<int, THandler> FHandlers;
    int FNextToken = 0;
    int FLookups = 0;
};

// Identities used by the tests.
inline TDeviceID KzdUsb() { return TDeviceID(nullptr, 0x0506, KConnUSB, KDevKindKZD); }
inline TDeviceID Qc7Usb() { return TDeviceID(nullptr, 0x0502, KConnUSB, KDevKindQC7); }
inline TDeviceID CanNode(std::uint8_t kind, int instance, const TDeviceID& parent) {
    return TDeviceID(std::make_shared<const TDeviceID>(parent), instance, KConnCAN, kind);
}
