#include "Simunit.h"
#include "Simcommands.h"
#include "Simfactory.h"
#include "Simframing.h"
#include "Simlink.h"
#include "Simmemory.h"
#include "Simprotocol.h"
#include "Simstate.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

using namespace SimProtocol;
using TClock = std::chrono::steady_clock;

namespace {

struct TQueued {
    TSimReport Report;
    TClock::time_point ReleaseAt;
};

struct TArmedFault {
    TSimFault Fault;
    int Seen = 0;
};

constexpr auto SaveQuietTime = std::chrono::milliseconds(300);
constexpr int MaxReportsPerStep = 256;

} // namespace

struct TSimUnit::TImpl {
    TImpl(const std::string& linkDir, const TSimUnitOptions& options);
    ~TImpl();

    // Served by the unit's thread; all under Mutex.
    void Run();
    void Step(TClock::time_point now);
    int PollTimeoutUs(TClock::time_point now) const;
    void ServeAttach(TClock::time_point now);
    void AcceptConnections(TClock::time_point now);
    void ReadRequests(TClock::time_point now);
    void WriteReplies(TClock::time_point now);
    void FinishTransition(TClock::time_point now);
    void HandleRequest(const TSimMessage& request, TClock::time_point now);
    std::vector<TSimFault> FiredFaults(std::uint16_t command);
    void QueueReply(std::uint16_t command, std::vector<std::uint8_t> data, const std::vector<TSimFault>& faults,
                    TClock::time_point now);
    void Queue(const std::vector<TSimReport>& reports, TClock::time_point releaseAt);
    void Advance(TClock::time_point& next, TClock::time_point now) const;

    // Also used by the public operations, under Mutex.
    bool OpenSocket();
    void CloseSocket();
    void DropConnection();
    void Restart(TSimMode mode, TClock::time_point now);
    void MarkDirty(TClock::time_point now);
    bool SaveNow(std::string* error = nullptr);
    void Wake() const;
    std::string Path() const;
    std::uint16_t CurrentProductId() const;

    TSimUnitOptions Options;
    std::string LinkDir;
    mutable std::mutex Mutex;
    mutable std::condition_variable Changed;
    TSimMemory Memory;
    TSimCommands Commands{Memory};
    TSimAssembler Assembler{MaxRequestData};
    TSimTagSource Tags;
    TSimMode Mode = TSimMode::Application;
    TSimListener Listener;
    int Conn = -1;
    int WakeFd = -1;
    bool WantAttached = true;
    std::optional<TClock::time_point> AttachAt;
    std::deque<TQueued> Out;
    bool WriteBlocked = false;
    TClock::time_point NextRead, NextWrite;
    TSimTransition Pending = TSimTransition::None;
    std::map<std::uint16_t, int> Counts;
    int Total = 0, BadPackets = 0, Refused = 0;
    std::vector<TArmedFault> Faults;
    bool Silent = false;
    std::map<std::uint16_t, int> ReplyLength;
    int IntervalUs = 0;
    int BootDelayMs = 0;
    TClock::time_point PowerUp;
    bool Dirty = false;
    TClock::time_point LastChange;
    std::string LastError, StateError;
    bool Stop = false;
    std::thread Thread;
};

TSimUnit::TImpl::TImpl(const std::string& linkDir, const TSimUnitOptions& options)
    : Options(options), LinkDir(linkDir), Tags(0x5A17u * std::uint32_t(options.UnitNumber + 1) + 0x1234567u),
      IntervalUs(std::max(0, options.ReportIntervalUs)), BootDelayMs(std::max(0, options.BootDelayMs)) {
    if (!SimValidUnitName(Options.Name))
        throw std::invalid_argument("unit name '" + Options.Name + "' may hold only letters, digits, '_' and '-'");
    SimBuildFactoryImages(Memory, SimFactoryIdentity(std::max(1, Options.UnitNumber)));
    bool loaded = false;
    if (!Options.StateFile.empty() && !Options.FreshState && std::filesystem::exists(Options.StateFile)) {
        TSimStoredState stored;
        loaded = SimLoadState(Options.StateFile, Memory, stored, &StateError);
        if (loaded && stored.InBootloader) Mode = TSimMode::Bootloader;
    }
    for (const auto& f : Options.Faults) Faults.push_back({f, 0});
    PowerUp = TClock::now();
    WakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!OpenSocket()) throw std::runtime_error(LastError);
    if (!Options.StateFile.empty() && !loaded && StateError.empty()) SaveNow();
    Thread = std::thread([this] { Run(); });
}

TSimUnit::TImpl::~TImpl() {
    {
        std::lock_guard lock(Mutex);
        Stop = true;
        Wake();
    }
    if (Thread.joinable()) Thread.join();
    std::lock_guard lock(Mutex);
    CloseSocket();
    if (!Options.StateFile.empty()) SaveNow();
    if (WakeFd >= 0) ::close(WakeFd);
}

std::string TSimUnit::TImpl::Path() const {
    return LinkDir + "/" + SimSocketFileName(Options.VendorId, CurrentProductId(), Options.Name);
}

std::uint16_t TSimUnit::TImpl::CurrentProductId() const {
    return Mode == TSimMode::Application ? Options.ProductId : Options.BootloaderProductId;
}

void TSimUnit::TImpl::Wake() const {
    const std::uint64_t one = 1;
    if (WakeFd >= 0) (void)!::write(WakeFd, &one, sizeof one);
}

bool TSimUnit::TImpl::OpenSocket() {
    if (Listener.Fd() >= 0) return true;
    std::string error;
    if (!Listener.Open(Path(), &error)) {
        LastError = error;
        return false;
    }
    Changed.notify_all();
    return true;
}

void TSimUnit::TImpl::DropConnection() {
    SimCloseFd(Conn);
    Out.clear();
    Assembler.Reset();
    WriteBlocked = false;
    Changed.notify_all();
}

void TSimUnit::TImpl::CloseSocket() {
    DropConnection();
    Listener.Close();
    Changed.notify_all();
}

void TSimUnit::TImpl::Restart(TSimMode mode, TClock::time_point now) {
    CloseSocket();
    Mode = mode;
    Commands.Restarted();
    PowerUp = now;
    Pending = TSimTransition::None;
    if (!Options.StateFile.empty()) SaveNow();
    WantAttached = true;
    AttachAt = now + std::chrono::milliseconds(BootDelayMs);
    Wake();
}

void TSimUnit::TImpl::MarkDirty(TClock::time_point now) {
    if (Options.StateFile.empty()) return;
    Dirty = true;
    LastChange = now;
}

bool TSimUnit::TImpl::SaveNow(std::string* error) {
    std::string why;
    TSimStoredState stored;
    stored.InBootloader = Mode == TSimMode::Bootloader;
    const bool ok = SimSaveState(Options.StateFile, Memory, stored, &why);
    if (ok) Dirty = false;
    else LastError = why;
    if (error) *error = why;
    return ok;
}

void TSimUnit::TImpl::Run() {
    ::prctl(PR_SET_TIMERSLACK, 1UL);   // wake on the report grid, not 50 us late
    std::unique_lock lock(Mutex);
    while (!Stop) {
        Step(TClock::now());
        Changed.notify_all();
        pollfd fds[3];
        nfds_t n = 0;
        int connIndex = -1;
        fds[n++] = {WakeFd, POLLIN, 0};
        if (Listener.Fd() >= 0) fds[n++] = {Listener.Fd(), POLLIN, 0};
        const auto now = TClock::now();
        if (Conn >= 0) {
            short events = (IntervalUs == 0 || now >= NextRead) ? POLLIN : 0;
            if (WriteBlocked) events |= POLLOUT;
            connIndex = int(n);
            fds[n++] = {Conn, events, 0};
        }
        const int timeoutUs = PollTimeoutUs(now);
        timespec ts{timeoutUs / 1000000, long(timeoutUs % 1000000) * 1000};
        lock.unlock();
        ::ppoll(fds, n, timeoutUs < 0 ? nullptr : &ts, nullptr);
        std::uint64_t drained;
        (void)!::read(WakeFd, &drained, sizeof drained);
        lock.lock();
        if (connIndex >= 0 && (fds[connIndex].revents & (POLLOUT | POLLERR | POLLHUP))) WriteBlocked = false;
    }
}

int TSimUnit::TImpl::PollTimeoutUs(TClock::time_point now) const {
    std::optional<TClock::time_point> due;
    auto consider = [&due](TClock::time_point t) { if (!due || t < *due) due = t; };
    if (Conn >= 0 && IntervalUs > 0 && now < NextRead) consider(NextRead);
    if (Conn >= 0 && !Out.empty() && !WriteBlocked)
        consider(std::max(Out.front().ReleaseAt, IntervalUs > 0 ? NextWrite : now));
    if (AttachAt) consider(*AttachAt);
    if (Dirty) consider(LastChange + SaveQuietTime);
    if (!due) return -1;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(*due - now).count();
    return int(std::clamp<long long>(us, 0, 10'000'000));
}

void TSimUnit::TImpl::Step(TClock::time_point now) {
    ServeAttach(now);
    AcceptConnections(now);
    ReadRequests(now);
    WriteReplies(now);
    FinishTransition(now);
    if (Dirty && now - LastChange >= SaveQuietTime) SaveNow();
}

void TSimUnit::TImpl::ServeAttach(TClock::time_point now) {
    if (!AttachAt || now < *AttachAt) return;
    AttachAt.reset();
    if (WantAttached) OpenSocket();
}

void TSimUnit::TImpl::AcceptConnections(TClock::time_point now) {
    for (int fd = Listener.Accept(); fd >= 0; fd = Listener.Accept()) {
        if (Conn >= 0) {
            SimCloseFd(fd);   // one connection at a time
            ++Refused;
            continue;
        }
        Conn = fd;
        Assembler.Reset();
        NextRead = NextWrite = now;
        Changed.notify_all();
    }
}

void TSimUnit::TImpl::Advance(TClock::time_point& next, TClock::time_point now) const {
    const auto interval = std::chrono::microseconds(IntervalUs);
    next = (now - next >= interval) ? now + interval : next + interval;
}

void TSimUnit::TImpl::ReadRequests(TClock::time_point now) {
    for (int i = 0; i < MaxReportsPerStep && Conn >= 0; ++i) {
        if (IntervalUs > 0 && now < NextRead) return;
        TSimReport report;
        switch (SimReceive(Conn, report)) {
        case TSimRecv::WouldBlock: return;
        case TSimRecv::Closed: DropConnection(); return;
        case TSimRecv::BadPacket: ++BadPackets; break;
        case TSimRecv::Report:
            if (auto message = Assembler.Feed(report)) HandleRequest(*message, now);
            break;
        }
        if (IntervalUs > 0) Advance(NextRead, now);
    }
}

void TSimUnit::TImpl::WriteReplies(TClock::time_point now) {
    while (Conn >= 0 && !Out.empty() && !WriteBlocked) {
        if (Out.front().ReleaseAt > now || (IntervalUs > 0 && now < NextWrite)) return;
        switch (SimSendReport(Conn, Out.front().Report)) {
        case TSimSend::WouldBlock: WriteBlocked = true; return;
        case TSimSend::Closed: DropConnection(); return;
        case TSimSend::Sent:
            Out.pop_front();
            if (IntervalUs > 0) Advance(NextWrite, now);
            break;
        }
    }
}

void TSimUnit::TImpl::FinishTransition(TClock::time_point now) {
    if (Pending == TSimTransition::None || !Out.empty()) return;
    Restart(Pending == TSimTransition::EnterBootloader ? TSimMode::Bootloader : TSimMode::Application, now);
}

std::vector<TSimFault> TSimUnit::TImpl::FiredFaults(std::uint16_t command) {
    std::vector<TSimFault> fired;
    for (auto& armed : Faults)
        if (armed.Fault.Command == 0 || armed.Fault.Command == command)
            if (++armed.Seen == armed.Fault.Nth) fired.push_back(armed.Fault);
    std::erase_if(Faults, [](const TArmedFault& a) { return a.Seen >= a.Fault.Nth; });
    return fired;
}

void TSimUnit::TImpl::HandleRequest(const TSimMessage& request, TClock::time_point now) {
    ++Counts[request.Command];
    ++Total;
    const auto fired = FiredFaults(request.Command);
    for (const auto& f : fired) {
        if (f.Kind != TSimFault::TKind::DetachAfter) continue;
        CloseSocket();
        WantAttached = f.DelayMs > 0;
        if (WantAttached) AttachAt = now + std::chrono::milliseconds(f.DelayMs);
        return;
    }
    const auto uptimeMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - PowerUp).count();
    TSimResponse response = Commands.Handle(Mode, request, uptimeMs);
    if (response.MemoryChanged) MarkDirty(now);
    if (response.Transition != TSimTransition::None) Pending = response.Transition;
    const bool dropped = std::any_of(fired.begin(), fired.end(),
                                     [](const TSimFault& f) { return f.Kind == TSimFault::TKind::DropReply; });
    if (!response.HasReply || Silent || dropped) return;
    QueueReply(request.Command, std::move(response.Data), fired, now);
}

void TSimUnit::TImpl::QueueReply(std::uint16_t command, std::vector<std::uint8_t> data,
                                 const std::vector<TSimFault>& faults, TClock::time_point now) {
    if (auto it = ReplyLength.find(command); it != ReplyLength.end()) data.resize(std::size_t(it->second), 0);
    std::optional<std::uint16_t> totalField;
    bool switchTag = false;
    auto releaseAt = now;
    for (const auto& f : faults) {
        if (f.Kind == TSimFault::TKind::DelayReply) releaseAt += std::chrono::milliseconds(f.DelayMs);
        if (f.Kind != TSimFault::TKind::CorruptReply) continue;
        if (f.Corruption == TSimFault::TCorruption::FlipFirstByte && !data.empty()) data[0] ^= 0xFF;
        if (f.Corruption == TSimFault::TCorruption::BadTotalLength) totalField = 513;
        if (f.Corruption == TSimFault::TCorruption::SwitchTag) switchTag = true;
    }
    auto reports = SimCutMessage(command, data, Tags.Next(), totalField);
    if (switchTag) {
        const std::uint32_t other = Tags.Next();
        for (std::size_t i = 1; i < reports.size(); ++i) SimPut32(&reports[i][1], other);
    }
    Queue(reports, releaseAt);
}

void TSimUnit::TImpl::Queue(const std::vector<TSimReport>& reports, TClock::time_point releaseAt) {
    if (Conn < 0) return;
    for (const auto& r : reports) Out.push_back({r, releaseAt});
}

// ---------------------------------------------------------------------------

TSimUnit::TSimUnit(const std::string& linkDir, const TSimUnitOptions& options)
    : FImpl(std::make_unique<TImpl>(linkDir, options)) {}

TSimUnit::~TSimUnit() = default;

const TSimUnitOptions& TSimUnit::Options() const { return FImpl->Options; }
const std::string& TSimUnit::Name() const { return FImpl->Options.Name; }

bool TSimUnit::IsAttached() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Listener.Fd() >= 0;
}

bool TSimUnit::IsConnected() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Conn >= 0;
}

bool TSimUnit::InBootloader() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Mode == TSimMode::Bootloader;
}

std::uint16_t TSimUnit::ProductId() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->CurrentProductId();
}

std::string TSimUnit::SocketPath() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Listener.Path();
}

void TSimUnit::Detach() {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->CloseSocket();
    FImpl->WantAttached = false;
    FImpl->AttachAt.reset();
    FImpl->Wake();
}

bool TSimUnit::Attach() {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->WantAttached = true;
    FImpl->AttachAt.reset();
    const bool ok = FImpl->OpenSocket();
    FImpl->Wake();
    return ok;
}

void TSimUnit::RestartInto(bool bootloader) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Restart(bootloader ? TSimMode::Bootloader : TSimMode::Application, TClock::now());
}

bool TSimUnit::WaitAttached(bool attached, int timeoutMs) const {
    std::unique_lock lock(FImpl->Mutex);
    return FImpl->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return (FImpl->Listener.Fd() >= 0) == attached; });
}

bool TSimUnit::WaitConnected(bool connected, int timeoutMs) const {
    std::unique_lock lock(FImpl->Mutex);
    return FImpl->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return (FImpl->Conn >= 0) == connected; });
}

std::string TSimUnit::LastError() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->LastError;
}

std::vector<std::uint8_t> TSimUnit::Fram(std::uint32_t address, std::size_t length) const {
    std::lock_guard lock(FImpl->Mutex);
    std::vector<std::uint8_t> out(length);
    if (!FImpl->Memory.ReadFram(address, out.data(), length)) throw std::out_of_range("FRAM read outside the unit's FRAM");
    return out;
}

std::vector<std::uint8_t> TSimUnit::Flash(std::uint32_t address, std::size_t length) const {
    std::lock_guard lock(FImpl->Mutex);
    std::vector<std::uint8_t> out(length);
    if (!FImpl->Memory.ReadFlash(address, out.data(), length)) throw std::out_of_range("flash read outside the unit's flash");
    return out;
}

std::uint32_t TSimUnit::FramWord(std::uint32_t address) const { return SimGet32(Fram(address, 4).data()); }
std::uint32_t TSimUnit::FlashWord(std::uint32_t address) const { return SimGet32(Flash(address, 4).data()); }

void TSimUnit::SetFram(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(FImpl->Mutex);
    if (!FImpl->Memory.WriteFram(address, bytes.data(), bytes.size()))
        throw std::out_of_range("FRAM write outside the unit's FRAM");
    FImpl->MarkDirty(TClock::now());
    FImpl->Wake();
}

void TSimUnit::SetFlash(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(FImpl->Mutex);
    if (!FImpl->Memory.StoreFlash(address, bytes.data(), bytes.size()))
        throw std::out_of_range("flash write outside the unit's flash");
    FImpl->MarkDirty(TClock::now());
    FImpl->Wake();
}

std::size_t TSimUnit::FramSize() const { return SimProtocol::FramSize; }
std::size_t TSimUnit::FlashSize() const { return SimProtocol::FlashSize; }

std::vector<std::uint8_t> TSimUnit::DeviceInfo() const { return Flash(DeviceInfoAddress, DeviceInfoSize); }

void TSimUnit::SetDeviceInfo(const std::vector<std::uint8_t>& info32) {
    if (info32.size() != DeviceInfoSize) throw std::invalid_argument("device information is 32 bytes");
    SetFlash(DeviceInfoAddress, info32);
}

std::vector<std::uint8_t> TSimUnit::FirmwareInfo() const { return Flash(FirmwareInfoAddress, FirmwareInfoSize); }

void TSimUnit::SetFirmwareInfo(std::uint32_t version, std::uint32_t needsNewerSoftware) {
    std::vector<std::uint8_t> info(FirmwareInfoSize);
    SimPut32(&info[0], version);
    SimPut32(&info[4], needsNewerSoftware);
    SetFlash(FirmwareInfoAddress, info);
}

void TSimUnit::SetErrorLog(std::uint32_t count, const std::vector<std::pair<std::uint32_t, std::int32_t>>& entries) {
    std::lock_guard lock(FImpl->Mutex);
    SimWriteErrorLog(FImpl->Memory, count, entries);
    FImpl->MarkDirty(TClock::now());
    FImpl->Wake();
}

void TSimUnit::ResetToFactory() {
    std::lock_guard lock(FImpl->Mutex);
    SimBuildFactoryImages(FImpl->Memory, SimFactoryIdentity(std::max(1, FImpl->Options.UnitNumber)));
    FImpl->MarkDirty(TClock::now());
    FImpl->Wake();
}

bool TSimUnit::WriteMap(const TSimMap& map, std::string* error) {
    std::lock_guard lock(FImpl->Mutex);
    TSimMemory trial = FImpl->Memory;
    if (!SimWriteMap(trial, map, error)) return false;
    FImpl->Memory = std::move(trial);
    FImpl->MarkDirty(TClock::now());
    FImpl->Wake();
    return true;
}

TSimRunInfo TSimUnit::RunInfo() const {
    std::lock_guard lock(FImpl->Mutex);
    const auto& r = FImpl->Commands.RunState();
    TSimRunInfo info;
    info.Prepared = r.Prepared;
    info.MapWriteOpen = r.MapWriteOpen;
    info.FirmwareWriteBegun = r.FirmwareWriteBegun;
    info.BootValue = r.BootValue;
    info.MapWritesOutsideBracket = r.MapWritesOutsideBracket;
    info.ApplyCount = r.ApplyCount;
    return info;
}

int TSimUnit::RequestCount(std::uint16_t command) const {
    std::lock_guard lock(FImpl->Mutex);
    const auto it = FImpl->Counts.find(command);
    return it == FImpl->Counts.end() ? 0 : it->second;
}

int TSimUnit::RequestTotal() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Total;
}

void TSimUnit::ResetCounts() {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Counts.clear();
    FImpl->Total = 0;
    FImpl->BadPackets = 0;
    FImpl->Refused = 0;
}

int TSimUnit::BadPackets() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->BadPackets;
}

int TSimUnit::DroppedMessages() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Assembler.DroppedMessages();
}

int TSimUnit::RefusedConnections() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->Refused;
}

void TSimUnit::AddFault(const TSimFault& fault) {
    std::lock_guard lock(FImpl->Mutex);
    if (fault.Kind != TSimFault::TKind::None && fault.Nth > 0) FImpl->Faults.push_back({fault, 0});
}

void TSimUnit::ClearFaults() {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Faults.clear();
}

void TSimUnit::SetSilent(bool silent) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Silent = silent;
}

void TSimUnit::SetReplyDataLength(std::uint16_t command, int length) {
    std::lock_guard lock(FImpl->Mutex);
    if (length < 0) FImpl->ReplyLength.erase(command);
    else FImpl->ReplyLength[command] = std::min(length, 0xFFFF - HeaderSize);
}

void TSimUnit::SetReportIntervalUs(int intervalUs) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->IntervalUs = std::max(0, intervalUs);
    FImpl->Wake();
}

void TSimUnit::SetBootDelayMs(int delayMs) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->BootDelayMs = std::max(0, delayMs);
}

void TSimUnit::SendMessage(std::uint16_t command, const std::vector<std::uint8_t>& data, std::uint32_t tag) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Queue(SimCutMessage(command, data, tag ? tag : FImpl->Tags.Next()), TClock::now());
    FImpl->Wake();
}

void TSimUnit::SendReports(const std::vector<std::array<std::uint8_t, 65>>& reports) {
    std::lock_guard lock(FImpl->Mutex);
    FImpl->Queue(reports, TClock::now());
    FImpl->Wake();
}

bool TSimUnit::SaveState(std::string* error) {
    std::lock_guard lock(FImpl->Mutex);
    if (FImpl->Options.StateFile.empty()) {
        if (error) *error = "the unit has no state file";
        return false;
    }
    return FImpl->SaveNow(error);
}

std::string TSimUnit::StateError() const {
    std::lock_guard lock(FImpl->Mutex);
    return FImpl->StateError;
}
