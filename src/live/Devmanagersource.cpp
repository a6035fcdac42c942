#include "Devmanagersource.h"

namespace {
bool IsControllerKind(std::uint8_t kind) { return kind >= KDevKindQC7 && kind <= KDevKindKZD; }
}  // namespace

TQC7* TDevManagerSource::ControllerDriver(const TDeviceID& id, TDriverLookup lookup) {
    if (!IsControllerKind(id.Kind()))
        return nullptr;
    TBaseDriver* driver = lookup == TDriverLookup::Identical ? FManager.DriverOfIdentical(id) : FManager.DriverOf(id);
    return dynamic_cast<TQC7*>(driver);
}

TLiveWidebandDriver* TDevManagerSource::WidebandDriver(const TDeviceID& id, TDriverLookup lookup) {
    TBaseDriver* driver = lookup == TDriverLookup::Identical ? FManager.DriverOfIdentical(id) : FManager.DriverOf(id);
    return dynamic_cast<TLiveWidebandDriver*>(driver);
}

int TDevManagerSource::Subscribe(THandler handler) {
    return FManager.Subscribe([handler = std::move(handler)](TDevManager&) { handler(); });
}

void TDevManagerSource::Unsubscribe(int token) { FManager.Unsubscribe(token); }
