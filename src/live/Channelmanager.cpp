#include "Channelmanager.h"

#include <mutex>

TChanManager::TChanManager(TLiveSource* devManager, std::uint8_t matchMode)
    : FDevManager(devManager), FMatchMode(matchMode) {
    if (FDevManager)
        FSubscription = FDevManager->Subscribe([this] { DevicesChanged(); });
}

TChanManager::~TChanManager() {
    if (FDevManager && FSubscription >= 0)
        FDevManager->Unsubscribe(FSubscription);
    FDevices.Clear();
}

void TChanManager::DevicesChanged() {
    if (!FDevManager)
        return;
    const TDeviceIDList* ids = nullptr;
    if (FMatchMode == TChannelDevice::KMatchIdentical)
        ids = &FDevManager->ConnectedIds();
    else if (FMatchMode == TChannelDevice::KMatchSameDevice)
        ids = &FDevManager->ConnectedKinds();
    else
        return;
    std::lock_guard<std::recursive_mutex> guard(ids->Mutex());
    const int count = ids->Count();
    for (int i = 0; i < count; ++i) {
        const TDeviceID* id = ids->Get(i);
        if (FDevices.FindByID(*id))
            continue;
        if (std::unique_ptr<TChannelDevice> device = TChannelDevice::Create(FDevManager, FMatchMode, *id))
            FDevices.Add(device.release());
    }
}

void TChanManager::SubscribeChannel(const TDeviceID& identity, int channelId) {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    if (TChannelDevice* device = FDevices.FindByID(identity))
        device->SubscribeChannel(channelId);
}

void TChanManager::UnsubscribeChannel(const TDeviceID& identity, int channelId) {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    if (TChannelDevice* device = FDevices.FindByID(identity))
        device->UnsubscribeChannel(channelId);
}

double TChanManager::GetChannelValue(const TDeviceID& identity, int channelId) const {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    const TChannelDevice* device = FDevices.FindByID(identity);
    return device ? device->GetChannelValue(channelId) : 0.0;
}

bool TChanManager::IsOnline(const TDeviceID& identity) const {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    const TChannelDevice* device = FDevices.FindByID(identity);
    return device && device->Online();
}

int TChanManager::FindChannelByName(const TDeviceID& identity, const std::string& name) const {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    const TChannelDevice* device = FDevices.FindByID(identity);
    if (!device)
        return -1;
    const TRawChannelList& channels = device->Channels();
    std::lock_guard<std::recursive_mutex> channelGuard(channels.Mutex());
    const int count = channels.Count();
    for (int i = 0; i < count; ++i)
        if (channels.Items(i)->Name() == name)
            return channels.Items(i)->ID();
    return -1;
}

std::string TChanManager::ChannelName(const TDeviceID& identity, int channelId) const {
    std::lock_guard<std::recursive_mutex> guard(FDevices.Mutex());
    const TChannelDevice* device = FDevices.FindByID(identity);
    return device ? device->ChannelName(channelId) : std::string();
}
