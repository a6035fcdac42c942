#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "Channeltables.h"
#include "Deviceid.h"
#include "Livesource.h"
#include "Locklist.h"
#include "Rawchannel.h"
#include "Updatethread.h"

// The live-data side of one attached device: its identity, its channel
// table, the polling thread that fills it and the online flag.
//
// Create builds a channel device in two phases: construction, then
// ReadConfiguration and CreateChannels (which need the complete object),
// then the polling thread starts. Destruction stops the thread before
// anything it uses is freed; it returns only after the thread has ended.
//
// Threads: Create and destruction on the UI thread. SubscribeChannel,
// UnsubscribeChannel and GetChannelValue may be called from any thread;
// they take the channel list lock (never waiting for the device). Lock
// order: channel device list, then channel list.
class TChannelDevice {
public:
    // Match modes: how FID is compared with other identities.
    enum : std::uint8_t { KMatchIdentical = 0, KMatchSameDevice = 1 };

    // The channel device for the identity's kind (kinds 1..3, 6, 8, 9), or
    // nullptr for other kinds. Reads the configuration through devManager
    // (UI thread; up to the driver's time limits).
    static std::unique_ptr<TChannelDevice> Create(TLiveSource* devManager, std::uint8_t matchMode,
                                                  const TDeviceID& identity);

    virtual ~TChannelDevice();
    TChannelDevice(const TChannelDevice&) = delete;
    TChannelDevice& operator=(const TChannelDevice&) = delete;

    const TDeviceID& ID() const { return FID; }
    std::uint8_t MatchMode() const { return FMatchMode; }
    // Whether identity is this device by the match mode (0 Identical,
    // 1 SameDevice, any other value never).
    bool Matches(const TDeviceID& identity) const;
    TRawChannelList& Channels() { return FChannels; }
    const TRawChannelList& Channels() const { return FChannels; }
    bool Online() const { return FOnline.load(); }
    // Polling thread.
    void SetOnline(bool online) { FOnline.store(online); }

    // Unknown identifiers do nothing / read 0.0.
    void SubscribeChannel(int channelId);
    void UnsubscribeChannel(int channelId);
    double GetChannelValue(int channelId) const;
    // The channel's name, or "" for an unknown identifier.
    std::string ChannelName(int channelId) const;

    void AddChannel(TRawChannel* channel, std::uint8_t dataType, const std::string& name, int decimals, bool clamp,
                    double min, double max);
    void AddFlagChannel(int id, const std::string& name, int bit, int sourceId);
    void AddRawChannel(int id, const std::string& name, std::uint8_t dataType, int decimals, bool clamp, double min,
                       double max);
    void AddDerivedChannel(int id, const std::string& name, int sourceId1, int sourceId2, int decimals, bool clamp,
                           double min, double max);
    // Adds every row of a table in order.
    void AddTable(const TChannelTable& table);

protected:
    TChannelDevice(TLiveSource* devManager, std::uint8_t matchMode, const TDeviceID& identity);

    virtual void ReadConfiguration() {}
    virtual void CreateChannels() {}
    // The polling thread for this kind (not started), or nullptr.
    virtual std::unique_ptr<TUpdateThread> CreateThread() { return nullptr; }
    // A channel object of the device family.
    virtual TRawChannel* NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) = 0;
    // Stops and destroys the polling thread; called by every destructor
    // whose members the thread or the channels use.
    void StopThread();

    TDeviceID FID;
    std::uint8_t FMatchMode;
    TRawChannelList FChannels;
    std::unique_ptr<TUpdateThread> FThread;
    std::atomic<bool> FOnline{false};
    TLiveSource* FDevManager;
};

// Controllers: the System record and the common channel table.
class TChannelDeviceQC7Base : public TChannelDevice {
public:
    static constexpr int KSystemSize = 23;
    ~TChannelDeviceQC7Base() override;
    // The first output (0..3, below the output count of System byte 4)
    // whose kind byte (System byte 11 + i) equals kind; -1 when none.
    int FindOutput(std::uint8_t kind) const;
    const std::array<std::uint8_t, KSystemSize>& System() const { return FSystem; }

protected:
    using TChannelDevice::TChannelDevice;
    void ReadConfiguration() override;
    void CreateChannels() override;
    std::unique_ptr<TUpdateThread> CreateThread() override;
    TRawChannel* NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) override;

    std::array<std::uint8_t, KSystemSize> FSystem{};
};

// QC7 controllers, kinds 1..3.
class TChannelDeviceQC7 : public TChannelDeviceQC7Base {
public:
    ~TChannelDeviceQC7() override;

protected:
    friend class TChannelDevice;
    using TChannelDeviceQC7Base::TChannelDeviceQC7Base;
    void CreateChannels() override;
};

// KZD units, kind 6.
class TChannelDeviceKZD : public TChannelDeviceQC7Base {
public:
    ~TChannelDeviceKZD() override;

protected:
    friend class TChannelDevice;
    using TChannelDeviceQC7Base::TChannelDeviceQC7Base;
    void CreateChannels() override;
};

// LBX modules, kind 8, with the two configuration records the speed and
// throttle channels decode with (zero when they could not be read).
class TChannelDeviceLBX : public TChannelDevice {
public:
    static constexpr int KRecordSize = 8;
    ~TChannelDeviceLBX() override;
    const std::array<std::uint8_t, KRecordSize>& TpsCalibration() const { return FTpsCalibration; }
    const std::array<std::uint8_t, KRecordSize>& RpmConfig() const { return FRpmConfig; }

protected:
    friend class TChannelDevice;
    using TChannelDevice::TChannelDevice;
    void ReadConfiguration() override;
    void CreateChannels() override;
    std::unique_ptr<TUpdateThread> CreateThread() override;
    TRawChannel* NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) override;

private:
    std::array<std::uint8_t, KRecordSize> FTpsCalibration{};
    std::array<std::uint8_t, KRecordSize> FRpmConfig{};
};

// Dual LBX modules, kind 9.
class TChannelDeviceDualLBX : public TChannelDevice {
public:
    ~TChannelDeviceDualLBX() override;

protected:
    friend class TChannelDevice;
    using TChannelDevice::TChannelDevice;
    void CreateChannels() override;
    std::unique_ptr<TUpdateThread> CreateThread() override;
    TRawChannel* NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) override;
};

// The owned channel devices of the channel manager, guarded by its own
// re-entrant mutex.
class TChannelDeviceList : public TOwningLockList<TChannelDevice> {
public:
    TChannelDevice* Items(int index) const { return Get(index); }
    // The first entry whose identity matches by the entry's own match mode.
    TChannelDevice* FindByID(const TDeviceID& identity) const;
};
