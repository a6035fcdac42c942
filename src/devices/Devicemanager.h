#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "Device.h"
#include "Deviceid.h"
#include "Hidbackend.h"
#include "Uibridge.h"

class TDevManager;

// One enumeration pass on a thread of its own: the USB scan, opening and
// closing of HID connections, and the connected marks of the device list.
class TEnumerateThread {
public:
    // Runs the pass on a new thread; onEnd runs on that thread when it ends.
    TEnumerateThread(TDeviceList& devices, std::shared_ptr<THIDBackend> backend, std::function<void()> onEnd);
    ~TEnumerateThread();  // waits for the pass to end
    TEnumerateThread(const TEnumerateThread&) = delete;
    TEnumerateThread& operator=(const TEnumerateThread&) = delete;
    void WaitFor();

    // The pass itself (also callable on the current thread).
    static void RunPass(TDeviceList& devices, THIDBackend& backend, const std::shared_ptr<THIDBackend>& shared);

private:
    std::thread FThread;
};

// The one place where the program learns which devices are attached.
//
// StartEnumeration, Subscribe, Unsubscribe, the published lists and the
// destructor belong to the UI thread; the lookups (IsConnected, DriverOf,
// DriverOfIdentical, BootloaderIdOf) may be called from any thread. Each pass
// runs on its own thread; when it ends, EnumerationDone runs on the UI thread
// through the UI bridge, publishes the connected identities and, if the set
// changed, calls the subscribers there.
class TDevManager {
public:
    using THandler = std::function<void(TDevManager&)>;

    TDevManager(TUIBridge& ui, std::shared_ptr<THIDBackend> backend);
    // Waits for a running pass; a pass end still queued on the UI thread is
    // ignored afterwards (no subscriber is called).
    ~TDevManager();
    TDevManager(const TDevManager&) = delete;
    TDevManager& operator=(const TDevManager&) = delete;

    // Starts a pass unless one is running (UI thread; the main window calls it
    // every 1000 ms).
    void StartEnumeration();
    bool Busy() const { return FBusy; }
    // Starts a pass and processes UI events until it has been published, for
    // callers without a running event loop (the command-line tool, tests).
    // False when it did not end within timeoutMs.
    bool RunEnumeration(int timeoutMs = 10000);

    // Registers a handler called (UI thread) when the connected set changes;
    // returns a token for Unsubscribe.
    int Subscribe(THandler handler);
    void Unsubscribe(int token);

    bool IsConnected(const TDeviceID& id) const;
    // Driver of FindConnected (the usual lookup), or nullptr.
    TBaseDriver* DriverOf(const TDeviceID& id) const;
    // Driver of FindIdentical (callers that keep the exact identity), or nullptr.
    TBaseDriver* DriverOfIdentical(const TDeviceID& id) const;
    std::optional<TDeviceID> BootloaderIdOf(const TDeviceID& id) const;

    // The published lists, sorted by name; lock them while iterating.
    const TDeviceIDList& ConnectedIds() const { return FConnectedIds; }
    const TDeviceIDList& ConnectedKinds() const { return FConnectedKinds; }
    TDeviceList& Devices() { return FDevices; }
    const std::shared_ptr<THIDBackend>& Backend() const { return FBackend; }

private:
    void EnumerationDone();
    bool ConnectedSetChanged() const;

    TUIBridge& FUI;
    std::shared_ptr<THIDBackend> FBackend;
    TDeviceList FDevices;
    TDeviceIDList FConnectedIds;
    TDeviceIDList FConnectedKinds;
    std::unique_ptr<TDeviceIDList> FPreviousIds;
    std::mutex FSubscriberLock;
    std::vector<std::pair<int, THandler>> FSubscribers;
    int FNextToken = 1;
    bool FBusy = false;
    std::unique_ptr<TEnumerateThread> FThread;
    // Cleared by the destructor: a queued pass end then does nothing.
    std::shared_ptr<std::atomic<bool>> FAlive;
};
