#include "Channelwatch.h"

#include <cmath>
#include <limits>

#include "Channelmanager.h"

int TruncateToInt(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

TChannelWatch::TChannelWatch(TLiveSource* devManager, TChanManager* chanManager)
    : FDevManager(devManager), FChanManager(chanManager) {}

TChannelWatch::~TChannelWatch() { SetDevice(nullptr); }

void TChannelWatch::SetDevice(const TDeviceID* identity) {
    if (FDeviceID && FChanManager) {
        FChanManager->UnsubscribeChannel(*FDeviceID, KErrorCountChannel);
        FChanManager->UnsubscribeChannel(*FDeviceID, KEngineRunningChannel);
    }
    FDeviceID.reset();
    if (!identity)
        return;
    FDeviceID = std::make_unique<TDeviceID>(*identity);
    if (FChanManager) {
        FChanManager->SubscribeChannel(*FDeviceID, KErrorCountChannel);
        FChanManager->SubscribeChannel(*FDeviceID, KEngineRunningChannel);
    }
}

void TChannelWatch::Tick() {
    if (!FDeviceID || !FChanManager || !FChanManager->IsOnline(*FDeviceID)) {
        FValid = false;
        return;
    }
    FErrorCount = TruncateToInt(FChanManager->GetChannelValue(*FDeviceID, KErrorCountChannel));
    FEngineRunning = FChanManager->GetChannelValue(*FDeviceID, KEngineRunningChannel) != 0.0;
    FValid = true;
}
