#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "Deviceid.h"
#include "Livesource.h"
#include "Timeout.h"

class TChannelDevice;
class TRawChannel;

// The polling thread of one channel device: fetches raw values from the
// device and stores them in the device's channels. It takes only the
// device's channel list lock, and never holds it during a device exchange.
//
// Lifetime: created by the channel device, started after the device's
// channels exist, and stopped (Stop: terminate request, then join) before
// the channel device frees anything the thread uses.
class TUpdateThread {
public:
    static constexpr int KPeriodMs = 50;

    explicit TUpdateThread(TChannelDevice* device);
    virtual ~TUpdateThread();
    TUpdateThread(const TUpdateThread&) = delete;
    TUpdateThread& operator=(const TUpdateThread&) = delete;

    void Start();
    // Requests termination and waits until the body has ended (a device
    // exchange in progress runs to its own time limit first). Idempotent.
    void Stop();
    bool Terminated() const { return FTerminated.load(); }

protected:
    // The thread body; returns when Terminated().
    virtual void Execute() {}
    // Sleeps until deadline or a termination request; false when terminated.
    bool SleepUntil(TMonotonicClock::time_point deadline);

    TChannelDevice* FDevice;
    int FPeriod = KPeriodMs;

private:
    std::thread FThread;
    std::mutex FWakeLock;
    std::condition_variable FWake;
    std::atomic<bool> FTerminated{false};
};

// The driver for an identity by match mode: 0 identical, 1 same device,
// any other value none.
TQC7* LookupControllerDriver(TLiveSource* source, const TDeviceID& id, std::uint8_t matchMode);
TLiveWidebandDriver* LookupWidebandDriver(TLiveSource* source, const TDeviceID& id, std::uint8_t matchMode);

// Controllers (kinds 1, 2, 3, 6): every 50 ms, requests the active channels
// in batches of at most 52 identifiers. Three failed cycles in a row are
// tolerated; the fourth and every further one invalidates the requested
// channels and sets the device offline. A cycle with nothing active sends
// nothing and leaves the online state as it was.
class TQC7Thread : public TUpdateThread {
public:
    static constexpr int KMaxBatch = 52;
    static constexpr int KToleratedFailures = 3;

    TQC7Thread(TChannelDevice* device, const TDeviceID& id, TLiveSource* devManager);
    ~TQC7Thread() override;

protected:
    void Execute() override;

private:
    // The active direct channels, in list order (under the channel list lock).
    std::vector<TRawChannel*> CollectActive() const;
    // Requests the channels batch by batch; the first failing status ends it.
    int PollChannels(TQC7* driver, const std::vector<TRawChannel*>& channels);
    int PollBatch(TQC7* driver, TRawChannel* const* batch, int count);
    void CycleFailed(const std::vector<TRawChannel*>& channels);

    TDeviceID FDeviceID;
    TLiveSource* FDevManager;
    TTimeout FCycleTimer;
    int FFailures = 0;  // used by the thread body only
};

// LBX modules (kind 8): waits for each data frame of the module (500 ms
// limit) and stores its four values; a failed frame read invalidates every
// channel and sets the device offline at once. Without a driver it looks
// again every 50 ms, leaving values and online state as they were.
class TLBXThread : public TUpdateThread {
public:
    static constexpr int KFrameTimeoutMs = 500;
    static constexpr int KRetryMs = 50;

    TLBXThread(TChannelDevice* device, const TDeviceID& id, TLiveSource* devManager);
    ~TLBXThread() override;

protected:
    void Execute() override;
    // Copies the frame's values into the channels (channel list locked).
    virtual void StoreFrame(const std::uint8_t* frame);
    void StoreWord(int channelId, const std::uint8_t* bytes, int count);

private:
    void FrameFailed();

    TDeviceID FDeviceID;
    TLiveSource* FDevManager;
};

// Dual LBX modules (kind 9): as TLBXThread with the dual module's frame.
class TDualLBXThread : public TLBXThread {
public:
    using TLBXThread::TLBXThread;
    ~TDualLBXThread() override;

protected:
    void StoreFrame(const std::uint8_t* frame) override;
};
