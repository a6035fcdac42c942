#include "Device.h"

#include "Kzdusb.h"
#include "Qc7usb.h"
#include "Usb.h"

namespace {

std::unique_ptr<TBaseDriver> MakeDriver(std::uint8_t kind, std::uint8_t connection, TUSB* usb) {
    if (connection == KConnUSB) {
        switch (kind) {
        case KDevKindKZD:
            return std::make_unique<TKZDUSB>(usb);
        case KDevKindQC7:
        case KDevKindQC7SFM:
        case KDevKindQC7Ignition:
        case KDevKindQC7Bootloader:
        case KDevKindQC7Tester:
            return std::make_unique<TQC7USB>(usb);
        default:
            return nullptr;
        }
    }
    return nullptr;
}

}  // namespace

TDevice::TDevice(const TDevice* parent, std::int32_t number, std::uint8_t connection, std::uint8_t kind,
                 const std::shared_ptr<THIDBackend>& backend)
    : FId(std::make_shared<const TDeviceID>(parent ? parent->IdRef() : nullptr, number, connection, kind)) {
    if (connection == KConnUSB && backend)
        FUSB = std::make_unique<TUSB>(backend, static_cast<std::uint16_t>(number));
    FDriver = MakeDriver(kind, connection, FUSB.get());
    if (DeviceKindHasBootloader(kind))
        FBootloaderId.emplace(nullptr, KBootloaderProductId, KConnUSB, KDevKindQC7Bootloader);
}

TDevice::~TDevice() {
    // The driver refers to the transport: it goes first.
    FDriver.reset();
    FUSB.reset();
}

TDevice* TDeviceList::FindIdentical(const TDeviceID& id) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (TDevice* device : Snapshot())
        if (device->Id().Identical(&id))
            return device;
    return nullptr;
}

TDevice* TDeviceList::FindConnected(const TDeviceID& id) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    TDevice* lastCan = nullptr;
    for (TDevice* device : Snapshot()) {
        if (!device->IsConnected() || !device->Id().SameDevice(&id))
            continue;
        if (device->Id().Connection() == KConnUSB)
            return device;
        lastCan = device;
    }
    return lastCan;
}
