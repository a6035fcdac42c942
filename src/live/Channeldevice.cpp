#include "Channeldevice.h"

#include <algorithm>
#include <mutex>
#include <vector>

// ---- TChannelDevice

TChannelDevice::TChannelDevice(TLiveSource* devManager, std::uint8_t matchMode, const TDeviceID& identity)
    : FID(identity), FMatchMode(matchMode), FDevManager(devManager) {}

TChannelDevice::~TChannelDevice() { StopThread(); }

std::unique_ptr<TChannelDevice> TChannelDevice::Create(TLiveSource* devManager, std::uint8_t matchMode,
                                                       const TDeviceID& identity) {
    std::unique_ptr<TChannelDevice> device;
    switch (identity.Kind()) {
    case KDevKindQC7:
    case KDevKindQC7SFM:
    case KDevKindQC7Ignition:
        device.reset(new TChannelDeviceQC7(devManager, matchMode, identity));
        break;
    case KDevKindKZD:
        device.reset(new TChannelDeviceKZD(devManager, matchMode, identity));
        break;
    case KDevKindLBX:
        device.reset(new TChannelDeviceLBX(devManager, matchMode, identity));
        break;
    case KDevKindDualLBX:
        device.reset(new TChannelDeviceDualLBX(devManager, matchMode, identity));
        break;
    default:
        return nullptr;
    }
    TChannelDevice& d = *device;
    d.ReadConfiguration();
    d.CreateChannels();
    d.FThread = d.CreateThread();
    if (d.FThread)
        d.FThread->Start();
    return device;
}

void TChannelDevice::StopThread() {
    if (FThread) {
        FThread->Stop();
        FThread.reset();
    }
}

bool TChannelDevice::Matches(const TDeviceID& identity) const {
    switch (FMatchMode) {
    case KMatchIdentical:
        return FID.Identical(&identity);
    case KMatchSameDevice:
        return FID.SameDevice(&identity);
    default:
        return false;
    }
}

void TChannelDevice::SubscribeChannel(int channelId) {
    std::lock_guard<std::recursive_mutex> guard(FChannels.Mutex());
    if (TRawChannel* channel = FChannels.FindByID(channelId))
        channel->Subscribe();
}

void TChannelDevice::UnsubscribeChannel(int channelId) {
    std::lock_guard<std::recursive_mutex> guard(FChannels.Mutex());
    if (TRawChannel* channel = FChannels.FindByID(channelId))
        channel->Unsubscribe();
}

double TChannelDevice::GetChannelValue(int channelId) const {
    std::lock_guard<std::recursive_mutex> guard(FChannels.Mutex());
    const TRawChannel* channel = FChannels.FindByID(channelId);
    return channel ? channel->GetValue() : 0.0;
}

std::string TChannelDevice::ChannelName(int channelId) const {
    std::lock_guard<std::recursive_mutex> guard(FChannels.Mutex());
    const TRawChannel* channel = FChannels.FindByID(channelId);
    return channel ? channel->Name() : std::string();
}

void TChannelDevice::AddChannel(TRawChannel* channel, std::uint8_t dataType, const std::string& name, int decimals,
                                bool clamp, double min, double max) {
    if (!channel)
        return;
    channel->SetProperties(dataType, name, decimals, clamp, min, max);
    FChannels.Add(channel);
}

void TChannelDevice::AddFlagChannel(int id, const std::string& name, int bit, int sourceId) {
    AddChannel(new TFlagChannel(id, FChannels.FindByID(sourceId), bit), KChanFlag, name, 0, false, 0.0, 1.0);
}

void TChannelDevice::AddRawChannel(int id, const std::string& name, std::uint8_t dataType, int decimals, bool clamp,
                                   double min, double max) {
    AddChannel(NewChannel(id, true, nullptr, nullptr), dataType, name, decimals, clamp, min, max);
}

void TChannelDevice::AddDerivedChannel(int id, const std::string& name, int sourceId1, int sourceId2, int decimals,
                                       bool clamp, double min, double max) {
    TRawChannel* s1 = sourceId1 != 0 ? FChannels.FindByID(sourceId1) : nullptr;
    TRawChannel* s2 = sourceId2 != 0 ? FChannels.FindByID(sourceId2) : nullptr;
    // A derived channel's raw type is not used; it stays 0.
    AddChannel(NewChannel(id, false, s1, s2), KChanU8, name, decimals, clamp, min, max);
}

void TChannelDevice::AddTable(const TChannelTable& table) {
    std::lock_guard<std::recursive_mutex> guard(FChannels.Mutex());
    for (const TChannelSpec& row : table) {
        switch (row.Kind) {
        case TChannelSpec::TKind::Raw:
            AddRawChannel(row.ID, row.Name, row.DataType, row.Decimals, row.Clamp, row.Min, row.Max);
            break;
        case TChannelSpec::TKind::Derived:
            AddDerivedChannel(row.ID, row.Name, row.Source1, row.Source2, row.Decimals, row.Clamp, row.Min, row.Max);
            break;
        case TChannelSpec::TKind::Flag:
            AddFlagChannel(row.ID, row.Name, row.Bit, row.Source1);
            break;
        }
    }
}

// ---- controllers

TChannelDeviceQC7Base::~TChannelDeviceQC7Base() { StopThread(); }
TChannelDeviceQC7::~TChannelDeviceQC7() { StopThread(); }
TChannelDeviceKZD::~TChannelDeviceKZD() { StopThread(); }

void TChannelDeviceQC7Base::ReadConfiguration() {
    FSystem.fill(0);
    TQC7* driver = FDevManager ? FDevManager->ControllerDriver(FID, TDriverLookup::SameDevice) : nullptr;
    if (!driver)
        return;
    // The buffer is undefined after a failed read: keep the zero record then.
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::max(KSystemSize, QC7StructSize(TQC7Struct::System))));
    if (driver->ReadSystem(buffer.data()) == 0)
        std::copy_n(buffer.begin(), KSystemSize, FSystem.begin());
}

int TChannelDeviceQC7Base::FindOutput(std::uint8_t kind) const {
    for (int i = 0; i < FSystem[4] && i < 4; ++i)
        if (FSystem[static_cast<std::size_t>(11 + i)] == kind)
            return i;
    return -1;
}

void TChannelDeviceQC7Base::CreateChannels() { AddTable(CommonControllerTable(FindOutput(1), FindOutput(2))); }

void TChannelDeviceQC7::CreateChannels() {
    TChannelDeviceQC7Base::CreateChannels();
    AddTable(QC7ExtraTable());
}

void TChannelDeviceKZD::CreateChannels() {
    TChannelDeviceQC7Base::CreateChannels();
    AddTable(KZDExtraTable());
}

std::unique_ptr<TUpdateThread> TChannelDeviceQC7Base::CreateThread() {
    return std::make_unique<TQC7Thread>(this, FID, FDevManager);
}

TRawChannel* TChannelDeviceQC7Base::NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) {
    return new TSWChanQC7Base(id, direct, source1, source2);
}

// ---- wide-band modules

TChannelDeviceLBX::~TChannelDeviceLBX() { StopThread(); }
TChannelDeviceDualLBX::~TChannelDeviceDualLBX() { StopThread(); }

void TChannelDeviceLBX::ReadConfiguration() {
    FRpmConfig.fill(0);
    FTpsCalibration.fill(0);
    TLiveWidebandDriver* driver = FDevManager ? FDevManager->WidebandDriver(FID, TDriverLookup::SameDevice) : nullptr;
    if (!driver)
        return;
    std::array<std::uint8_t, KRecordSize> buffer{};
    if (driver->ReadSetup(buffer.data()) == 0)
        FRpmConfig = buffer;
    buffer.fill(0);
    if (driver->ReadThrottleScaling(buffer.data()) == 0)
        FTpsCalibration = buffer;
}

void TChannelDeviceLBX::CreateChannels() { AddTable(LBXTable()); }

std::unique_ptr<TUpdateThread> TChannelDeviceLBX::CreateThread() {
    return std::make_unique<TLBXThread>(this, FID, FDevManager);
}

TRawChannel* TChannelDeviceLBX::NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel*) {
    return new TSWChanLBX(id, direct, source1, FTpsCalibration.data(), FRpmConfig.data());
}

void TChannelDeviceDualLBX::CreateChannels() { AddTable(DualLBXTable()); }

std::unique_ptr<TUpdateThread> TChannelDeviceDualLBX::CreateThread() {
    return std::make_unique<TDualLBXThread>(this, FID, FDevManager);
}

TRawChannel* TChannelDeviceDualLBX::NewChannel(int id, bool direct, TRawChannel* source1, TRawChannel* source2) {
    return new TSWChanDualLBX(id, direct, source1, source2);
}

// ---- TChannelDeviceList

TChannelDevice* TChannelDeviceList::FindByID(const TDeviceID& identity) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        TChannelDevice* device = Get(i);
        if (device->Matches(identity))
            return device;
    }
    return nullptr;
}
