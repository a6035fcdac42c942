#include "Updatethread.h"

#include <algorithm>
#include <array>

#include "Channeldevice.h"

// ---- TUpdateThread

TUpdateThread::TUpdateThread(TChannelDevice* device) : FDevice(device) {}

TUpdateThread::~TUpdateThread() { Stop(); }

void TUpdateThread::Start() {
    if (!FThread.joinable() && !Terminated())
        FThread = std::thread([this] { Execute(); });
}

void TUpdateThread::Stop() {
    {
        std::lock_guard<std::mutex> guard(FWakeLock);
        FTerminated.store(true);
    }
    FWake.notify_all();
    if (FThread.joinable())
        FThread.join();
}

bool TUpdateThread::SleepUntil(TMonotonicClock::time_point deadline) {
    std::unique_lock<std::mutex> lock(FWakeLock);
    FWake.wait_until(lock, deadline, [this] { return FTerminated.load(); });
    return !FTerminated.load();
}

// ---- driver lookup

namespace {
template <typename TDriver, typename TLookup>
TDriver* LookupByMode(TLiveSource* source, std::uint8_t matchMode, TLookup lookup) {
    if (!source)
        return nullptr;
    switch (matchMode) {
    case TChannelDevice::KMatchIdentical:
        return lookup(TDriverLookup::Identical);
    case TChannelDevice::KMatchSameDevice:
        return lookup(TDriverLookup::SameDevice);
    default:
        return nullptr;
    }
}
}  // namespace

TQC7* LookupControllerDriver(TLiveSource* source, const TDeviceID& id, std::uint8_t matchMode) {
    return LookupByMode<TQC7>(source, matchMode,
                                               [&](TDriverLookup l) { return source->ControllerDriver(id, l); });
}

TLiveWidebandDriver* LookupWidebandDriver(TLiveSource* source, const TDeviceID& id, std::uint8_t matchMode) {
    return LookupByMode<TLiveWidebandDriver>(source, matchMode,
                                             [&](TDriverLookup l) { return source->WidebandDriver(id, l); });
}

// ---- TQC7Thread

TQC7Thread::TQC7Thread(TChannelDevice* device, const TDeviceID& id, TLiveSource* devManager)
    : TUpdateThread(device), FDeviceID(id), FDevManager(devManager), FCycleTimer(FPeriod) {}

TQC7Thread::~TQC7Thread() { Stop(); }

void TQC7Thread::Execute() {
    while (!Terminated()) {
        FCycleTimer.Restart(FPeriod);
        TQC7* driver = LookupControllerDriver(FDevManager, FDeviceID, FDevice->MatchMode());
        if (!driver) {
            FDevice->SetOnline(false);
        } else {
            const std::vector<TRawChannel*> channels = CollectActive();
            if (!channels.empty() && PollChannels(driver, channels) != 0)
                CycleFailed(channels);
        }
        SleepUntil(FCycleTimer.Deadline());
    }
}

std::vector<TRawChannel*> TQC7Thread::CollectActive() const {
    TRawChannelList& list = FDevice->Channels();
    std::lock_guard<std::recursive_mutex> guard(list.Mutex());
    std::vector<TRawChannel*> active;
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        TRawChannel* channel = list.Items(i);
        // Requests carry one byte per identifier.
        if (channel->Active() && channel->ID() >= 0 && channel->ID() < 256)
            active.push_back(channel);
    }
    return active;
}

int TQC7Thread::PollChannels(TQC7* driver, const std::vector<TRawChannel*>& channels) {
    const int total = static_cast<int>(channels.size());
    for (int start = 0; start < total; start += KMaxBatch) {
        const int status = PollBatch(driver, channels.data() + start, std::min(KMaxBatch, total - start));
        if (status != 0)
            return status;
    }
    return 0;
}

int TQC7Thread::PollBatch(TQC7* driver, TRawChannel* const* batch, int count) {
    std::array<std::uint8_t, KMaxBatch> ids{};
    int length = 0;
    for (int i = 0; i < count; ++i) {
        ids[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(batch[i]->ID());
        length += batch[i]->DataSize();
    }
    std::vector<std::uint8_t> reply(static_cast<std::size_t>(length));
    if (length > 0) {
        const int status = driver->ReadChannels(count, ids.data(), length, reply.data());
        if (status != 0)
            return status;
    }
    TRawChannelList& list = FDevice->Channels();
    std::lock_guard<std::recursive_mutex> guard(list.Mutex());
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        TRawChannel* channel = batch[i];
        const int size = channel->DataSize();
        channel->StoreRaw(reply.data() + offset, size);
        offset += size;
    }
    FFailures = 0;
    FDevice->SetOnline(true);
    return 0;
}

void TQC7Thread::CycleFailed(const std::vector<TRawChannel*>& channels) {
    if (FFailures < KToleratedFailures) {
        ++FFailures;
        return;
    }
    TRawChannelList& list = FDevice->Channels();
    std::lock_guard<std::recursive_mutex> guard(list.Mutex());
    for (TRawChannel* channel : channels)
        channel->Invalidate();
    FDevice->SetOnline(false);
}

// ---- TLBXThread

TLBXThread::TLBXThread(TChannelDevice* device, const TDeviceID& id, TLiveSource* devManager)
    : TUpdateThread(device), FDeviceID(id), FDevManager(devManager) {}

TLBXThread::~TLBXThread() { Stop(); }
TDualLBXThread::~TDualLBXThread() { Stop(); }

void TLBXThread::Execute() {
    while (!Terminated()) {
        TLiveWidebandDriver* driver = LookupWidebandDriver(FDevManager, FDeviceID, FDevice->MatchMode());
        if (!driver) {
            SleepUntil(TMonotonicClock::now() + std::chrono::milliseconds(KRetryMs));
            continue;
        }
        std::array<std::uint8_t, 8> frame{};
        const auto started = TMonotonicClock::now();
        if (driver->ReadData(frame.data(), KFrameTimeoutMs) != 0) {
            FrameFailed();
            // A driver that fails at once must not make this loop spin.
            SleepUntil(started + std::chrono::milliseconds(KRetryMs));
            continue;
        }
        TRawChannelList& list = FDevice->Channels();
        std::lock_guard<std::recursive_mutex> guard(list.Mutex());
        StoreFrame(frame.data());
        FDevice->SetOnline(true);
    }
}

void TLBXThread::StoreWord(int channelId, const std::uint8_t* bytes, int count) {
    if (TRawChannel* channel = FDevice->Channels().FindByID(channelId))
        channel->StoreRaw(bytes, count);
}

void TLBXThread::StoreFrame(const std::uint8_t* frame) {
    StoreWord(1, frame + 4, 2);  // RPM (Ticks)
    StoreWord(2, frame + 2, 2);  // Analog In (Ticks)
    StoreWord(3, frame + 0, 2);  // Lambda (Ticks)
    StoreWord(4, frame + 6, 2);  // Flags
}

void TLBXThread::FrameFailed() {
    TRawChannelList& list = FDevice->Channels();
    std::lock_guard<std::recursive_mutex> guard(list.Mutex());
    const int count = list.Count();
    for (int i = 0; i < count; ++i)
        list.Items(i)->Invalidate();
    FDevice->SetOnline(false);
}

void TDualLBXThread::StoreFrame(const std::uint8_t* frame) {
    StoreWord(1, frame + 0, 2);   // Lambda 1 (Ticks)
    StoreWord(11, frame + 2, 2);  // Lambda 2 (Ticks)
    StoreWord(4, frame + 6, 1);   // Flags 1
    StoreWord(14, frame + 7, 1);  // Flags 2
}
