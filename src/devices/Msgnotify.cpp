#include "Msgnotify.h"

#include <algorithm>
#include <chrono>

#include "Timeout.h"

TMsgNotify::TMsgNotify() : FBuffer(KBufferSize) {}

void TMsgNotify::Put(const void* bytes, int length) {
    if (!FAccepting.load())
        return;
    {
        std::lock_guard<std::mutex> guard(FWakeLock);
        FBuffer.Write(bytes, length);
    }
    FWake.notify_all();
}

bool TMsgNotify::AwaitBytes(int n, int timeoutMs, const std::function<bool()>& abandon) {
    if (timeoutMs != 0) {
        const TTimeout timeout(timeoutMs);
        const auto slice = std::chrono::milliseconds(10);
        std::unique_lock<std::mutex> lock(FWakeLock);
        while (!FBuffer.HasAtLeast(n) && !timeout.Expired()) {
            const auto until = abandon ? std::min(timeout.Deadline(), TMonotonicClock::now() + slice) : timeout.Deadline();
            FWake.wait_until(lock, until, [&] { return FBuffer.HasAtLeast(n); });
            if (abandon && !FBuffer.HasAtLeast(n) && abandon())
                break;
        }
    }
    FAccepting = false;
    return FBuffer.HasAtLeast(n);
}

int TUSBNotify::Wait(TUSBMessage& out, int timeoutMs) { return WaitUnless(out, timeoutMs, nullptr); }

int TUSBNotify::WaitUnless(TUSBMessage& out, int timeoutMs, const std::function<bool()>& abandon) {
    if (!AwaitBytes(TUSBMessage::KRecordSize, timeoutMs, abandon))
        return -1;
    std::uint8_t record[TUSBMessage::KRecordSize];
    if (FBuffer.Read(record, TUSBMessage::KRecordSize) != TUSBMessage::KRecordSize)
        return -1;
    out.Unpack(record);
    return 0;
}

void TUSBNotify::Deliver(const TUSBMessage& msg) {
    if (!Accepting())
        return;
    std::uint8_t record[TUSBMessage::KRecordSize];
    msg.Pack(record);
    Put(record, TUSBMessage::KRecordSize);
}

void TMsgNotifyList::DeliverToCommand(const TUSBMessage& msg) {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i) {
        auto* waiter = dynamic_cast<TUSBNotify*>(Get(i));
        if (waiter && waiter->Command() == msg.Command)
            waiter->Deliver(msg);
    }
}

void TNotifyEventList::Add(TNotifyEvent::TCode code, void* data) { FList.Append(new TNotifyEvent{code, data}); }

int TNotifyEventList::IndexOf(TNotifyEvent::TCode code, void* data) const {
    std::lock_guard<std::recursive_mutex> guard(FList.Mutex());
    for (int i = 0; i < FList.Count(); ++i) {
        const TNotifyEvent* e = FList.Get(i);
        if (e->Code == code && e->Data == data)
            return i;
    }
    return -1;
}

void TNotifyEventList::Delete(int index) { FList.Delete(index); }

void TNotifyEventList::Remove(TNotifyEvent::TCode code, void* data) {
    std::lock_guard<std::recursive_mutex> guard(FList.Mutex());
    FList.Delete(IndexOf(code, data));
}

TNotifyEvent TNotifyEventList::Get(int index) const {
    const TNotifyEvent* e = FList.Get(index);
    return e ? *e : TNotifyEvent{};
}

void TNotifyEventList::Notify(void* sender) const {
    std::vector<TNotifyEvent> copy;
    {
        std::lock_guard<std::recursive_mutex> guard(FList.Mutex());
        for (TNotifyEvent* e : FList.Snapshot())
            copy.push_back(*e);
    }
    for (const TNotifyEvent& e : copy)
        if (e.Code)
            e.Code(e.Data, sender);
}
