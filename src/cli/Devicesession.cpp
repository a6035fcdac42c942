#include "Devicesession.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Qc7.h"
#include "Simulator.h"
#include "Simunit.h"
#include "Timeout.h"

namespace fs = std::filesystem;

TDeviceSession::TDeviceSession() = default;

TDeviceSession::~TDeviceSession() {
    // The manager closes its connections before the simulated units go.
    FManager.reset();
    FSim.reset();
}

std::string TDeviceSession::DefaultSimStateFile() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path dir;
    if (cache && *cache)
        dir = cache;
    else if (const char* home = std::getenv("HOME"); home && *home)
        dir = fs::path(home) / ".cache";
    else
        dir = fs::temp_directory_path();
    return (dir / "kzdcc" / "sim-kzd.state").string();
}

int TDeviceSession::OpenSimulator(TCliContext& ctx, const std::string& spec) {
    TSimUnitOptions options;
    if (spec == "sim" || spec == "sim:fresh") {
        options.StateFile = DefaultSimStateFile();
        options.FreshState = spec == "sim:fresh";
    } else {
        options.StateFile = spec.substr(4);
    }
    std::error_code ec;
    fs::create_directories(fs::path(options.StateFile).parent_path(), ec);
    try {
        FSim = std::make_unique<TSimulator>();
        FSim->AddUnit(options);
    } catch (const std::exception& e) {
        return CliFail(ctx, KZD_EXIT_FAILED, "cannot start the simulated unit", e.what());
    }
    FManager = std::make_unique<TDevManager>(FUI, MakeHIDBackend(TDeviceSource{FSim->LinkDir()}));
    return 0;
}

int TDeviceSession::Open(TCliContext& ctx) {
    if (ctx.Id && !ParseId(*ctx.Id))
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "--id needs KIND:CONN:NUMBER, e.g. 6:2:1286");
    const std::string spec = ctx.Device.value_or("");
    if (spec == "sim" || spec.rfind("sim:", 0) == 0) {
        if (spec == "sim:")
            return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "--device sim: needs a state file path");
        if (const int status = OpenSimulator(ctx, spec); status != 0)
            return status;
    } else {
        const std::optional<TDeviceSource> source = TDeviceSource::FromOption(ctx.Device);
        if (!source)
            return CliFail(ctx, KZD_EXIT_USAGE, "bad usage",
                           "unknown device '" + spec + "' (use sim, sim:fresh, sim:PATH, link:DIR or usb)");
        FManager = std::make_unique<TDevManager>(FUI, MakeHIDBackend(*source));
    }
    if (!FManager->RunEnumeration(10000))
        return CliFail(ctx, KZD_EXIT_FAILED, "device enumeration", "did not end within 10 s");
    FLastPass = TMonotonicClock::now();
    // A simulated unit answers on the pass after it is attached; give a real
    // or linked device the same second chance when nothing was found.
    if (FManager->ConnectedIds().Count() == 0) {
        Wait(300);
        FManager->RunEnumeration(10000);
    }
    return 0;
}

std::optional<TDeviceID> TDeviceSession::ParseId(const std::string& text) {
    int kind = 0, conn = 0;
    long number = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%li%c", &kind, &conn, &number, &tail) != 3)
        return std::nullopt;
    if (kind < 0 || kind > 255 || (conn != KConnUSB && conn != KConnCAN))
        return std::nullopt;
    return TDeviceID(nullptr, static_cast<std::int32_t>(number), static_cast<std::uint8_t>(conn),
                     static_cast<std::uint8_t>(kind));
}

std::optional<TDeviceID> TDeviceSession::Pick(TCliContext& ctx) {
    const TDeviceIDList& ids = FManager->ConnectedIds();
    std::lock_guard<std::recursive_mutex> guard(ids.Mutex());
    if (ctx.Id) {
        const std::optional<TDeviceID> wanted = ParseId(*ctx.Id);  // checked by Open
        // A CAN node is named without its parent: match kind, connection, number.
        for (TDeviceID* id : ids.Snapshot())
            if (id->Kind() == wanted->Kind() && id->Connection() == wanted->Connection() &&
                id->Number() == wanted->Number())
                return *id;
        CliFail(ctx, KZD_EXIT_FAILED, "no device " + *ctx.Id, "not connected");
        return std::nullopt;
    }
    for (TDeviceID* id : ids.Snapshot())
        if (id->Kind() == KDevKindKZD)
            return *id;
    for (TDeviceID* id : ids.Snapshot())
        if (id->Kind() >= KDevKindQC7 && id->Kind() <= KDevKindQC7Tester)
            return *id;
    CliFail(ctx, KZD_EXIT_FAILED, "no device", "no KZD unit or controller is connected");
    return std::nullopt;
}

TQC7* TDeviceSession::Driver(const TDeviceID& id) const { return dynamic_cast<TQC7*>(FManager->DriverOf(id)); }

void TDeviceSession::Wait(int ms) {
    TTimeout deadline(ms);
    while (!deadline.Expired()) {
        FUI.ProcessEvents();
        if (!FManager->Busy() && TMonotonicClock::now() - FLastPass >= std::chrono::milliseconds(1000)) {
            FManager->StartEnumeration();
            FLastPass = TMonotonicClock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    FUI.ProcessEvents();
}
