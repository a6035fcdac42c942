#include "Devicemanager.h"

#include "Timeout.h"
#include "Usb.h"

namespace {

// The USB scan: a record for every family device with a known product id.
void ScanUsb(TDeviceList& devices, THIDBackend& backend, const std::shared_ptr<THIDBackend>& shared) {
    const std::uint16_t vendor = FamilyVendorId();
    for (const THIDDeviceInfo& info : backend.Enumerate(0, 0)) {
        if (info.VendorId != vendor)
            continue;
        const std::optional<std::uint8_t> kind = DeviceKindOfProductId(info.ProductId);
        if (!kind)
            continue;
        const TDeviceID id(nullptr, info.ProductId, KConnUSB, *kind);
        std::lock_guard<std::recursive_mutex> guard(devices.Mutex());
        if (!devices.FindIdentical(id))
            devices.AddUnique(new TDevice(nullptr, info.ProductId, KConnUSB, *kind, shared));
    }
}

// Marks the records whose parent is this controller not connected.
void DisconnectNodesOf(TDeviceList& devices, const TDevice& controller) {
    for (TDevice* node : devices.Snapshot())
        if (node->Id().Parent() && node->Id().Parent()->Identical(&controller.Id()))
            node->SetConnected(false);
}

void CheckUsbRecord(TDeviceList& devices, TDevice& device) {
    device.SetPending(true);
    const bool connected = device.Usb() && device.Usb()->IsConnected();
    if (connected) {
        device.SetConnected(true);
    } else if (device.IsConnected()) {
        device.SetConnected(false);
        DisconnectNodesOf(devices, device);
    }
    device.SetPending(false);
}

}  // namespace

TEnumerateThread::TEnumerateThread(TDeviceList& devices, std::shared_ptr<THIDBackend> backend,
                                   std::function<void()> onEnd)
    : FThread([&devices, backend, onEnd = std::move(onEnd)] {
          RunPass(devices, *backend, backend);
          onEnd();
      }) {}

TEnumerateThread::~TEnumerateThread() { WaitFor(); }

void TEnumerateThread::WaitFor() {
    if (FThread.joinable())
        FThread.join();
}

void TEnumerateThread::RunPass(TDeviceList& devices, THIDBackend& backend, const std::shared_ptr<THIDBackend>& shared) {
    ScanUsb(devices, backend, shared);
    // Records are only ever appended, so a snapshot stays valid while new
    // ones are added behind it.
    for (TDevice* device : devices.Snapshot())
        if (device->Id().Connection() == KConnUSB)
            CheckUsbRecord(devices, *device);
}

TDevManager::TDevManager(TUIBridge& ui, std::shared_ptr<THIDBackend> backend)
    : FUI(ui), FBackend(std::move(backend)), FAlive(std::make_shared<std::atomic<bool>>(true)) {}

TDevManager::~TDevManager() {
    *FAlive = false;
    FThread.reset();  // waits for a running pass
    FDevices.Clear();
}

void TDevManager::StartEnumeration() {
    if (FBusy)
        return;
    FPreviousIds = std::make_unique<TDeviceIDList>(FConnectedIds);
    FThread.reset();
    FBusy = true;
    std::shared_ptr<std::atomic<bool>> alive = FAlive;
    FThread = std::make_unique<TEnumerateThread>(FDevices, FBackend, [this, alive] {
        FUI.PostToUI([this, alive] {
            if (*alive)
                EnumerationDone();
        });
    });
}

bool TDevManager::RunEnumeration(int timeoutMs) {
    StartEnumeration();
    TTimeout deadline(timeoutMs);
    while (FBusy && !deadline.Expired()) {
        FUI.ProcessEvents();
        if (FBusy)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return !FBusy;
}

void TDevManager::EnumerationDone() {
    {
        std::lock_guard<std::recursive_mutex> idsGuard(FConnectedIds.Mutex());
        std::lock_guard<std::recursive_mutex> kindsGuard(FConnectedKinds.Mutex());
        FConnectedIds.Clear();
        FConnectedKinds.Clear();
        {
            std::lock_guard<std::recursive_mutex> devicesGuard(FDevices.Mutex());
            for (TDevice* device : FDevices.Snapshot()) {
                if (!device->IsConnected())
                    continue;
                FConnectedIds.Append(new TDeviceID(device->Id()));
                bool known = false;
                for (TDeviceID* kind : FConnectedKinds.Snapshot())
                    known = known || kind->SameDevice(&device->Id());
                if (!known)
                    FConnectedKinds.Append(new TDeviceID(device->Id()));
            }
        }
        FConnectedIds.SortByName();
        FConnectedKinds.SortByName();
    }
    if (ConnectedSetChanged()) {
        std::vector<std::pair<int, THandler>> subscribers;
        {
            std::lock_guard<std::mutex> guard(FSubscriberLock);
            subscribers = FSubscribers;
        }
        for (auto& [token, handler] : subscribers)
            handler(*this);
    }
    FBusy = false;
}

bool TDevManager::ConnectedSetChanged() const {
    if (!FPreviousIds)
        return FConnectedIds.Count() > 0;
    for (TDeviceID* id : FConnectedIds.Snapshot())
        if (!FPreviousIds->Find(*id))
            return true;
    for (TDeviceID* id : FPreviousIds->Snapshot())
        if (!FConnectedIds.Find(*id))
            return true;
    return false;
}

int TDevManager::Subscribe(THandler handler) {
    std::lock_guard<std::mutex> guard(FSubscriberLock);
    FSubscribers.emplace_back(FNextToken, std::move(handler));
    return FNextToken++;
}

void TDevManager::Unsubscribe(int token) {
    std::lock_guard<std::mutex> guard(FSubscriberLock);
    std::erase_if(FSubscribers, [token](const auto& s) { return s.first == token; });
}

bool TDevManager::IsConnected(const TDeviceID& id) const {
    const TDevice* device = FDevices.FindConnected(id);
    return device && device->IsConnected();
}

TBaseDriver* TDevManager::DriverOf(const TDeviceID& id) const {
    const TDevice* device = FDevices.FindConnected(id);
    return device ? device->Driver() : nullptr;
}

TBaseDriver* TDevManager::DriverOfIdentical(const TDeviceID& id) const {
    const TDevice* device = FDevices.FindIdentical(id);
    return device ? device->Driver() : nullptr;
}

std::optional<TDeviceID> TDevManager::BootloaderIdOf(const TDeviceID& id) const {
    const TDevice* device = FDevices.FindConnected(id);
    if (!device)
        return std::nullopt;
    return device->BootloaderId();
}
