#include "Usb.h"

#include <chrono>
#include <vector>

TUSB::TUSB(std::shared_ptr<THIDBackend> backend, std::uint16_t productId, std::uint16_t vendorId)
    : FProductId(productId), FVendorId(vendorId), FTagSource(std::random_device{}()), FHid(std::move(backend)) {
    FHid.SetReportHandler([this](const std::uint8_t* report, int length) { OnReport(report, length); });
    FDispatchThread = std::thread(&TUSB::DispatchLoop, this);
}

TUSB::~TUSB() {
    FHid.Close();
    {
        std::lock_guard<std::mutex> guard(FReceiveLock);
        FStop = true;
    }
    FReceivedSignal.notify_all();
    FDispatchThread.join();
}

bool TUSB::IsConnected() {
    const bool open = FHid.Open(FVendorId, FProductId);
    FConnected = open;
    return open;
}

TUSBNotify* TUSB::AddWaiter(std::uint16_t command) {
    auto* waiter = new TUSBNotify(command);
    FWaiters.Add(waiter);
    return waiter;
}

void TUSB::RemoveWaiter(TMsgNotify* waiter) {
    if (waiter)
        FWaiters.Remove(waiter);
}

std::uint32_t TUSB::NextTag() {
    const std::uint32_t high = FTagSource() & 0x7FFF;
    const std::uint32_t low = FTagSource() & 0x7FFF;
    return high << 16 | low;
}

int TUSB::Send(TUSBMessage& msg) {
    if (msg.DataLength < 0 || msg.DataLength > TUSBMessage::KMaxData)
        return -1;
    std::lock_guard<std::mutex> guard(FSendLock);
    const int payloadSize = FHid.PayloadSize();
    if (payloadSize <= 4)
        return -1;
    msg.TotalLength = static_cast<std::uint16_t>(msg.DataLength + 4);
    msg.Tag = NextTag();
    return FrameMessage(msg, msg.Tag, payloadSize, [this](const std::uint8_t* payload, int size) {
        return FHid.Write(payload, size) == size;
    });
}

int TUSB::Request(std::uint16_t command, const std::uint8_t* data, int length, int timeoutMs, TUSBMessage& reply) {
    auto request = std::make_unique<TUSBMessage>();
    if (!request->Set(command, data, length))
        return -1;
    TUSBNotify* waiter = AddWaiter(command);
    int status = Send(*request);
    if (status == 0)
        status = waiter->WaitUnless(reply, timeoutMs, [this] { return FHid.DeviceGone() || !FHid.IsOpen(); });
    RemoveWaiter(waiter);
    return status;
}

int TUSB::TakeMessage(TUSBMessage& out) {
    std::uint8_t record[TUSBMessage::KRecordSize];
    std::lock_guard<std::mutex> guard(FReceiveLock);
    if (!FReceived.HasAtLeast(TUSBMessage::KRecordSize))
        return -1;
    if (FReceived.Read(record, TUSBMessage::KRecordSize) != TUSBMessage::KRecordSize)
        return -1;
    out.Unpack(record);
    return 0;
}

void TUSB::SetCANMessageHandler(TCANMessageHandler handler) {
    std::lock_guard<std::mutex> guard(FCANLock);
    FCANHandler = std::move(handler);
}

void TUSB::OnReport(const std::uint8_t* report, int length) {
    bool completed = false;
    {
        std::lock_guard<std::mutex> guard(FReceiveLock);
        if (FAssembler.Feed(report, length)) {
            std::uint8_t record[TUSBMessage::KRecordSize];
            FAssembler.Message().Pack(record);
            completed = FReceived.Write(record, TUSBMessage::KRecordSize) == TUSBMessage::KRecordSize;
            if (!completed)
                ++FDropped;  // ring full: the whole record is refused
        }
    }
    if (completed)
        FReceivedSignal.notify_one();
}

void TUSB::Dispatch(const TUSBMessage& msg) {
    if (msg.Command == KCANCommand || msg.Command == KCANTimedCommand) {
        std::lock_guard<std::mutex> guard(FCANLock);
        if (FCANHandler)
            FCANHandler(msg);
        return;
    }
    FWaiters.DeliverToCommand(msg);
}

void TUSB::DispatchLoop() {
    auto msg = std::make_unique<TUSBMessage>();
    while (!FStop.load()) {
        while (!FStop.load() && TakeMessage(*msg) == 0)
            Dispatch(*msg);
        std::unique_lock<std::mutex> lock(FReceiveLock);
        FReceivedSignal.wait_for(lock, std::chrono::milliseconds(10),
                                 [this] { return FStop.load() || FReceived.HasAtLeast(TUSBMessage::KRecordSize); });
    }
}
