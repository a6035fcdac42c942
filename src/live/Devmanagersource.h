#pragma once
#include "Devicemanager.h"
#include "Livesource.h"

// The device manager as the live data sees it. Controller drivers are the
// device records' TQC7 drivers; wide-band modules have no driver yet (their
// drivers come with the CAN layer), so their lookups find none and their
// channel devices stay offline.
//
// Threads: lookups from any thread; Subscribe/Unsubscribe and the lists on
// the UI thread, as the device manager allows.
class TDevManagerSource : public TLiveSource {
public:
    explicit TDevManagerSource(TDevManager& manager) : FManager(manager) {}

    TQC7* ControllerDriver(const TDeviceID& id, TDriverLookup lookup) override;
    TLiveWidebandDriver* WidebandDriver(const TDeviceID& id, TDriverLookup lookup) override;
    int Subscribe(THandler handler) override;
    void Unsubscribe(int token) override;
    const TDeviceIDList& ConnectedIds() const override { return FManager.ConnectedIds(); }
    const TDeviceIDList& ConnectedKinds() const override { return FManager.ConnectedKinds(); }

    TDevManager& Manager() { return FManager; }

private:
    TDevManager& FManager;
};
