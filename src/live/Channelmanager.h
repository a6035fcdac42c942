#pragma once
#include <cstdint>
#include <string>

#include "Channeldevice.h"
#include "Deviceid.h"
#include "Livesource.h"

// The single entry point of live data: owns one channel device per device
// the device manager reports (created at change notifications, never
// removed), and lets the rest of the program subscribe to channels and read
// their cached values, naming a device by identity and a channel by
// identifier.
//
// Threads: construction, destruction and DevicesChanged on the UI thread.
// Subscribe/Unsubscribe/GetChannelValue/IsOnline never wait for a device:
// they take the channel device list lock, then one channel list lock.
class TChanManager {
public:
    // matchMode 0 compares identities with Identical, 1 with SameDevice (the
    // main window's choice); it is passed to every channel device.
    TChanManager(TLiveSource* devManager, std::uint8_t matchMode);
    ~TChanManager();
    TChanManager(const TChanManager&) = delete;
    TChanManager& operator=(const TChanManager&) = delete;

    // Creates a channel device for every published identity that none
    // matches yet (kinds 1..3, 6, 8, 9). Called by the device manager's
    // change notification.
    void DevicesChanged();

    // Nothing when no channel device matches or the identifier is unknown.
    void SubscribeChannel(const TDeviceID& identity, int channelId);
    void UnsubscribeChannel(const TDeviceID& identity, int channelId);
    // The cached value; 0.0 when no device matches, for an unknown
    // identifier or an invalid value.
    double GetChannelValue(const TDeviceID& identity, int channelId) const;
    bool IsOnline(const TDeviceID& identity) const;
    // The channel identifier named name on the matching device (names
    // compared exactly), or -1.
    int FindChannelByName(const TDeviceID& identity, const std::string& name) const;
    // The channel's name, or "" when unknown.
    std::string ChannelName(const TDeviceID& identity, int channelId) const;

    std::uint8_t MatchMode() const { return FMatchMode; }
    const TChannelDeviceList& Devices() const { return FDevices; }

private:
    TLiveSource* FDevManager;
    std::uint8_t FMatchMode;
    TChannelDeviceList FDevices;
    int FSubscription = -1;
};
