#pragma once
#include <memory>

#include "Deviceid.h"
#include "Livesource.h"

class TChanManager;

// Keeps two facts about the watched controller current: its logged error
// count (channel 195 "Error Count") and whether its engine runs (channel
// 282 "Sys Flag - Engine Running").
//
// The watch has no timer of its own: its owner calls Tick every
// KTickIntervalMs (the GUI from a timer, kzdctl from its loop). UI thread
// only; Tick reads cached values and never waits for a device.
class TChannelWatch {
public:
    static constexpr int KTickIntervalMs = 50;
    static constexpr int KErrorCountChannel = 195;
    static constexpr int KEngineRunningChannel = 282;

    // Neither is owned; chanManager outlives the watch.
    TChannelWatch(TLiveSource* devManager, TChanManager* chanManager);
    // Unsubscribes from the watched device.
    ~TChannelWatch();
    TChannelWatch(const TChannelWatch&) = delete;
    TChannelWatch& operator=(const TChannelWatch&) = delete;

    // Moves the subscriptions of 195 and 282 from the previous device (if
    // any) to identity (nullptr: none).
    void SetDevice(const TDeviceID* identity);
    const TDeviceID* DeviceID() const { return FDeviceID.get(); }

    // With a device set and online: takes the error count (truncated toward
    // zero) and the engine-running flag, and Valid becomes true; otherwise
    // Valid becomes false and the other two keep their last values.
    void Tick();

    bool Valid() const { return FValid; }
    int ErrorCount() const { return FErrorCount; }
    bool EngineRunning() const { return FEngineRunning; }

private:
    TLiveSource* FDevManager;
    TChanManager* FChanManager;
    std::unique_ptr<TDeviceID> FDeviceID;
    bool FValid = false;
    int FErrorCount = 0;
    bool FEngineRunning = false;
};

// A double truncated toward zero and saturated to int (NaN gives 0).
int TruncateToInt(double value);
