#include "FakeHid.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "Qc7.h"
#include "Usbframing.h"

// ---- TFakeDevice ----

void TFakeDevice::SetOnOutput(std::function<void(const TBytes&)> handler) {
    std::lock_guard<std::mutex> guard(FLock);
    FOnOutput = std::move(handler);
}

void TFakeDevice::QueueInput(TBytes report) {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FInput.push_back(std::move(report));
    }
    FInputReady.notify_all();
}

void TFakeDevice::Unplug() {
    FPlugged = false;
    FInputReady.notify_all();
}

void TFakeDevice::Replug() {
    std::lock_guard<std::mutex> guard(FLock);
    FInput.clear();
    FPlugged = true;
}

std::vector<TBytes> TFakeDevice::Outputs() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FOutputs;
}

int TFakeDevice::OutputCount() const {
    std::lock_guard<std::mutex> guard(FLock);
    return static_cast<int>(FOutputs.size());
}

int TFakeDevice::Read(std::uint8_t* buffer, int size, int timeoutMs) {
    std::unique_lock<std::mutex> lock(FLock);
    FInputReady.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !FInput.empty() || !FPlugged; });
    if (!FPlugged)
        return -1;
    if (FInput.empty())
        return 0;
    TBytes report = std::move(FInput.front());
    FInput.pop_front();
    const int n = std::min(size, static_cast<int>(report.size()));
    std::memcpy(buffer, report.data(), static_cast<std::size_t>(n));
    return n;
}

int TFakeDevice::Write(const std::uint8_t* report, int length) {
    if (!FPlugged || length != OutputLength)
        return -1;
    TBytes bytes(report, report + length);
    std::function<void(const TBytes&)> handler;
    {
        std::lock_guard<std::mutex> guard(FLock);
        FOutputs.push_back(bytes);
        handler = FOnOutput;
    }
    if (handler)
        handler(bytes);
    return length;
}

// ---- TFakeBackend ----

namespace {

class TFakeConnection : public THIDConnection {
public:
    explicit TFakeConnection(std::shared_ptr<TFakeDevice> device) : FDevice(std::move(device)) {
        ++FDevice->LiveConnections;
    }
    ~TFakeConnection() override { --FDevice->LiveConnections; }
    int InputReportLength() const override { return FDevice->InputLength; }
    int OutputReportLength() const override { return FDevice->OutputLength; }
    int Read(std::uint8_t* buffer, int size, int timeoutMs) override { return FDevice->Read(buffer, size, timeoutMs); }
    int Write(const std::uint8_t* report, int length, int) override { return FDevice->Write(report, length); }

private:
    std::shared_ptr<TFakeDevice> FDevice;
};

}  // namespace

std::shared_ptr<TFakeDevice> TFakeBackend::Add(std::string path, std::uint16_t vendorId, std::uint16_t productId,
                                               int inputLength, int outputLength) {
    auto device = std::make_shared<TFakeDevice>(std::move(path), vendorId, productId, inputLength, outputLength);
    std::lock_guard<std::mutex> guard(FLock);
    FDevices.push_back(device);
    return device;
}

void TFakeBackend::RemoveAll() {
    std::lock_guard<std::mutex> guard(FLock);
    FDevices.clear();
}

std::vector<THIDDeviceInfo> TFakeBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<THIDDeviceInfo> found;
    for (const auto& d : FDevices)
        if (d->Plugged() && (!vendorId || d->VendorId == vendorId) && (!productId || d->ProductId == productId))
            found.push_back({d->Path, d->VendorId, d->ProductId});
    return found;
}

std::unique_ptr<THIDConnection> TFakeBackend::Open(const std::string& path) {
    std::lock_guard<std::mutex> guard(FLock);
    for (const auto& d : FDevices) {
        if (d->Path != path)
            continue;
        ++d->Opens;
        if (d->FailOpen || !d->Plugged())
            return nullptr;
        return std::make_unique<TFakeConnection>(d);
    }
    return nullptr;
}

// ---- TFakeMessageDevice ----

TFakeMessageDevice::TFakeMessageDevice(std::shared_ptr<TFakeDevice> device, TFakeResponder responder)
    : FDevice(std::move(device)), FResponder(std::move(responder)) {
    FDevice->SetOnOutput([this](const TBytes& report) { OnOutput(report); });
}

TFakeMessageDevice::~TFakeMessageDevice() { FDevice->SetOnOutput(nullptr); }

std::vector<TFakeRequest> TFakeMessageDevice::Requests() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FRequests;
}

int TFakeMessageDevice::CountOf(std::uint16_t command) const {
    std::lock_guard<std::mutex> guard(FLock);
    return static_cast<int>(std::count_if(FRequests.begin(), FRequests.end(),
                                          [&](const TFakeRequest& r) { return r.Command == command; }));
}

void TFakeMessageDevice::ClearRequests() {
    std::lock_guard<std::mutex> guard(FLock);
    FRequests.clear();
}

std::vector<TBytes> TFakeMessageDevice::FrameReply(const TFakeReply& reply, std::uint32_t tag, int inputLength) {
    TUSBMessage msg;
    msg.Set(reply.Command, reply.Data.data(), static_cast<int>(reply.Data.size()));
    std::vector<TBytes> reports;
    FrameMessage(msg, tag, inputLength - 1, [&](const std::uint8_t* payload, int size) {
        TBytes report(1, 0);
        report.insert(report.end(), payload, payload + size);
        reports.push_back(std::move(report));
        return true;
    });
    return reports;
}

void TFakeMessageDevice::Send(const TFakeReply& reply) {
    std::uint32_t tag;
    {
        std::lock_guard<std::mutex> guard(FLock);
        tag = FNextTag++;
    }
    for (auto& report : FrameReply(reply, tag, FDevice->InputLength))
        FDevice->QueueInput(std::move(report));
}

void TFakeMessageDevice::OnOutput(const TBytes& report) {
    if (report.size() < 5)
        return;
    const std::uint32_t tag = GetLE32(report.data() + 1);
    TFakeRequest request;
    {
        std::lock_guard<std::mutex> guard(FLock);
        if (FPartial.empty() || tag != FPartialTag) {
            FPartial.clear();
            FPartialTag = tag;
            FPartialTotal = GetLE16(report.data() + 7);
        }
        FPartial.insert(FPartial.end(), report.begin() + 5, report.end());
        if (static_cast<int>(FPartial.size()) < FPartialTotal)
            return;
        request.Command = GetLE16(FPartial.data());
        request.Data.assign(FPartial.begin() + 4, FPartial.begin() + FPartialTotal);
        FPartial.clear();
        FRequests.push_back(request);
    }
    for (const auto& reply : FResponder(request))
        Send(reply);
}

// ---- TFakeKZD ----

namespace {

TBytes Status(std::uint8_t status) { return TBytes{status}; }

}  // namespace

TFakeKZD::TFakeKZD() : Fram(KFramSize, 0), Flash(KFlashSize, 0xFF) {
    PutLE32(FDeviceInfo, 6);
    PutLE32(FDeviceInfo + 4, 0x01020304);
    PutLE32(FDeviceInfo + 8, 0x00010002);
    PutLE32(FDeviceInfo + 20, KRoot);
    const std::uint32_t root[6] = {24, 0x80006000u, 0, 0x80000000u | KFramTable, KRWTable, KROTable};
    for (int i = 0; i < 6; ++i)
        PutFlash32(KRoot + 4u * i, root[i]);
    PutFram32(KFramTable, 68);
    PutFram32(KFramTable + 4, 0x80000000u | KFeatureTable);
    PutFram32(KFeatureTable, 44);
    PutFlash32(KROTable, 20);
    PutFlash32(KRWTable, 20);
    // Structures: flash ones 0x100 apart after their table, RAM ones packed from 0x6A00.
    std::uint32_t ram = 0x6A00;
    for (int i = static_cast<int>(TQC7Struct::System); i < static_cast<int>(TQC7Struct::Count); ++i) {
        const auto which = static_cast<TQC7Struct>(i);
        const std::uint32_t size = static_cast<std::uint32_t>(QC7StructSize(which));
        std::uint32_t address;
        if (which <= TQC7Struct::ROBlock4) {
            address = KROTable + 0x100u * (1 + i - static_cast<int>(TQC7Struct::System));
            PutFlash32(KROTable + 4u * (1 + i - static_cast<int>(TQC7Struct::System)), address);
        } else if (which <= TQC7Struct::RWBlock4) {
            address = KRWTable + 0x100u * (1 + i - static_cast<int>(TQC7Struct::Device));
            PutFlash32(KRWTable + 4u * (1 + i - static_cast<int>(TQC7Struct::Device)), address);
        } else {
            address = ram;
            ram += (size + 15) & ~15u;
            const bool feature = which >= TQC7Struct::MapSwitch;
            const int word = feature ? 2 + i - static_cast<int>(TQC7Struct::MapSwitch) : 2 + i - static_cast<int>(TQC7Struct::TPS);
            PutFram32((feature ? KFeatureTable : KFramTable) + 4u * word, 0x80000000u | address);
        }
        auto& space = which <= TQC7Struct::RWBlock4 ? Flash : Fram;
        for (std::uint32_t b = 4; b < size; ++b)
            space[address + b] = static_cast<std::uint8_t>(i * 7 + b);
        PutLE32(space.data() + address, size);
    }
    const char serial[] = "KZD-SN-000123456";
    std::memcpy(Flash.data() + 0x6110, serial, 16);
    for (int i = 0; i < 16; ++i)
        Flash[0x6100 + i] = static_cast<std::uint8_t>(0xA0 + i);
}

std::uint32_t TFakeKZD::DeviceInfoWord(int word) const { return GetLE32(FDeviceInfo + 4 * word); }
void TFakeKZD::SetDeviceInfoWord(int word, std::uint32_t value) { PutLE32(FDeviceInfo + 4 * word, value); }
void TFakeKZD::PutFlash32(std::uint32_t address, std::uint32_t value) { PutLE32(Flash.data() + address, value); }
void TFakeKZD::PutFram32(std::uint32_t address, std::uint32_t value) { PutLE32(Fram.data() + address, value); }
std::uint32_t TFakeKZD::Fram32(std::uint32_t address) const { return GetLE32(Fram.data() + address); }

TFakeResponder TFakeKZD::Responder() {
    return [this](const TFakeRequest& request) -> std::vector<TFakeReply> {
        if (Silent)
            return {};
        if (Override)
            if (auto replies = Override(request))
                return *replies;
        std::lock_guard<std::mutex> guard(FLock);
        return Answer(request);
    };
}

std::vector<TFakeReply> TFakeKZD::Answer(const TFakeRequest& request) {
    const std::uint16_t cmd = request.Command;
    const TBytes& d = request.Data;
    auto memoryOf = [&](std::uint16_t c) -> std::vector<std::uint8_t>& { return c == 0x0003 || c == 0x0004 ? Fram : Flash; };
    switch (cmd) {
    case 0x0003:
    case 0x0006: {
        if (d.size() != 6)
            return {{cmd, Status(1)}};
        const std::uint32_t address = GetLE32(d.data());
        const std::uint16_t n = GetLE16(d.data() + 4);
        auto& memory = memoryOf(cmd);
        if (n > 256 || std::uint64_t(address) + n > memory.size())
            return {{cmd, Status(1)}};
        TBytes reply = Status(0);
        reply.insert(reply.end(), memory.begin() + address, memory.begin() + address + n);
        return {{cmd, reply}};
    }
    case 0x0004:
    case 0x0022:
    case 0x0101: {
        if (d.size() < 6)
            return {{cmd, Status(1)}};
        const std::uint32_t address = GetLE32(d.data());
        const std::uint16_t n = GetLE16(d.data() + 4);
        auto& memory = memoryOf(cmd);
        if (d.size() != 6u + n || std::uint64_t(address) + n > memory.size())
            return {{cmd, Status(1)}};
        std::copy(d.begin() + 6, d.end(), memory.begin() + address);
        return {{cmd, Status(0)}};
    }
    case 0x0005: return {{cmd, d}};  // each channel's value is its id, one byte
    case 0x00E8: {
        TBytes log(44, 0);
        PutLE32(log.data(), 1);
        PutLE32(log.data() + 4, 0x40000011);
        PutLE32(log.data() + 8, 7);
        return {{cmd, log}};
    }
    case 0x00EA: {
        TBytes reply = Status(0);
        reply.insert(reply.end(), FDeviceInfo, FDeviceInfo + 32);
        return {{cmd, reply}};
    }
    case 0x00EB: {
        TBytes reply(8, 0);
        PutLE32(reply.data(), 0x01000203);
        return {{cmd, reply}};
    }
    default: return {{cmd, Status(0)}};  // status-only commands
    }
}

TFakeUnit::TFakeUnit(int inputLength, int outputLength) {
    Device = Backend->Add("/fake/kzd", 0xF1A0, 0x0506, inputLength, outputLength);
    Messages = std::make_unique<TFakeMessageDevice>(Device, Kzd.Responder());
}
