#include "MapTransferCommands.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <ostream>

#include "Devicesession.h"
#include "Jsonwriter.h"
#include "MapCommands.h"
#include "Mapflows.h"
#include "Qcmaptransferfile.h"

namespace {

// A decimal position 0..63; false (usage error written) when bad.
bool PositionOption(TCliContext& ctx, std::optional<int>& position, int& status) {
    const std::optional<std::string> text = ctx.Args.TakeOption("--position");
    if (!text)
        return true;
    int v = -1;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size() || v < 0 || v > 63) {
        status = CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "--position needs a map position 0..63");
        return false;
    }
    position = v;
    return true;
}

int CheckRest(TCliContext& ctx, std::size_t words, const char* usage) {
    if (!ctx.Args.Error().empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", ctx.Args.Error());
    if (const std::string option = ctx.Args.UnknownOption(); !option.empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unknown option '" + option + "'");
    if (ctx.Args.Words().size() != words)
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", usage);
    return 0;
}

// Progress on standard error, only when that is a terminal.
TMapFlows::TPercentEvent ProgressBar(TCliContext& ctx, const char* what) {
    if (&ctx.Err != &std::cerr || !isatty(STDERR_FILENO))
        return nullptr;
    return [&ctx, what](double percent) {
        const int width = 30, filled = static_cast<int>(percent / 100 * width);
        ctx.Err << "\r" << what << " [" << std::string(static_cast<std::size_t>(filled), '#')
                << std::string(static_cast<std::size_t>(width - filled), ' ') << "] " << static_cast<int>(percent)
                << "%" << (percent >= 100 ? "\n" : "") << std::flush;
    };
}

std::string PositionList(const TQCDeviceMap& deviceMap) {
    std::string list;
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot())
        list += (list.empty() ? "" : ", ") + std::to_string(position->FNumber);
    return list.empty() ? "none" : list;
}

int LowestPosition(const TQCDeviceMap& deviceMap) {
    int lowest = -1;
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot())
        if (lowest < 0 || position->FNumber < lowest)
            lowest = position->FNumber;
    return lowest;
}

// Opens the session and picks the device; nullopt with status set on failure.
std::optional<TDeviceID> OpenDevice(TCliContext& ctx, TDeviceSession& session, int& status) {
    status = session.Open(ctx);
    if (status != 0)
        return std::nullopt;
    std::optional<TDeviceID> id = session.Pick(ctx);
    if (!id)
        status = KZD_EXIT_FAILED;
    return id;
}

int SaveCut(TCliContext& ctx, const TQCMap& map, const TDeviceID& id, std::optional<int> wanted,
            const std::string& file) {
    const TQCDeviceMap* deviceMap = map.GetDeviceMap(id.Kind());
    if (!deviceMap || deviceMap->IsEmpty())
        return CliFail(ctx, KZD_EXIT_FAILED, "map get", "the device's map holds no position");
    const int position = wanted.value_or(LowestPosition(*deviceMap));
    if (!deviceMap->FPositions.Find(position))
        return CliFail(ctx, KZD_EXIT_USAGE, "map get",
                       "no position " + std::to_string(position) + " (positions: " + PositionList(*deviceMap) + ")");
    std::unique_ptr<TQCMap> cut = TMapFlows::CutPosition(map, position);
    TQCMapTransferFile transfer(cut.get());
    if (const int status = transfer.SaveToFile(file); status != 0) {
        const std::string refusal = TQCMapTransferFile::SaveRefusal(*cut);
        return CliFail(ctx, KZD_EXIT_FAILED, "cannot write map file '" + file + "'",
                       (refusal.empty() ? "the file could not be written" : refusal) + " (status " +
                           std::to_string(status) + ")");
    }
    return KZD_EXIT_OK;
}

std::string SendFailure(int status, const TMapFlows& flows, int target) {
    switch (status) {
    case TMapFlows::StatusDeclined:
        return "position " + std::to_string(target) + " of the device's map is occupied; use --yes to overwrite it";
    case TMapFlows::StatusTooLarge:
        return "The map is too large for the device memory.";
    default:
        if (!flows.DeviceCopy())
            return "cannot read the device's map first (status " + std::to_string(status) + ")";
        return "the transfer failed (status " + std::to_string(status) + ")";
    }
}

}  // namespace

int RunMapGet(TCliContext& ctx) {
    std::optional<int> position;
    int status = 0;
    if (!PositionOption(ctx, position, status))
        return status;
    if ((status = CheckRest(ctx, ctx.Json ? 0 : 1, "map get needs OUT.kzm or --json (see kzdctl map get --help)")))
        return status;
    if (ctx.Json && position)
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "--json prints the whole map; --position needs OUT.kzm");
    TDeviceSession session;
    const std::optional<TDeviceID> id = OpenDevice(ctx, session, status);
    if (!id)
        return status;
    TMapFlows flows(&session.Manager(), &session.UI());
    flows.OnReceiveProgress = ProgressBar(ctx, "Receiving Map...");
    TQCMap map;
    if (const int read = flows.GetMap(*id, map); read != 0)
        return CliFail(ctx, KZD_EXIT_FAILED, "cannot read the device's map",
                       "the transfer failed (status " + std::to_string(read) + ")");
    if (!ctx.Json)
        return SaveCut(ctx, map, *id, position, ctx.Args.Words().front());
    TJsonWriter json(ctx.Out);
    WriteMapJson(json, map);
    json.Finish();
    return KZD_EXIT_OK;
}

int RunMapSend(TCliContext& ctx) {
    std::optional<int> target;
    int status = 0;
    const bool yes = ctx.Args.TakeFlag("--yes");
    if (!PositionOption(ctx, target, status))
        return status;
    if ((status = CheckRest(ctx, 1, "map send needs IN.kzm (see kzdctl map send --help)")))
        return status;
    if (!target)
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "map send needs --position T");
    const std::string& file = ctx.Args.Words().front();
    TQCMap map;
    TQCMapTransferFile loader(&map);
    if (const int load = loader.LoadFromFile(file); load != 0)
        return CliFail(ctx, KZD_EXIT_USAGE, "cannot read map file '" + file + "'",
                       MapLoadStatusText(load) + " (status " + std::to_string(load) + ")");
    const TQCDeviceMap* kzd = map.KZDMap();
    if (!kzd || kzd->FPositions.Count() != 1)
        return CliFail(ctx, KZD_EXIT_FAILED, "map send",
                       "'" + file + "' must hold exactly one KZD position (it holds " +
                           std::to_string(kzd ? kzd->FPositions.Count() : 0) + ")");
    TDeviceSession session;
    const std::optional<TDeviceID> id = OpenDevice(ctx, session, status);
    if (!id)
        return status;
    TPlainUIBridge ui(yes, [](const std::string&, const std::string&, TUIBridge::TMessageKind) {});
    TMapFlows flows(&session.Manager(), &ui);
    flows.OnSendProgress = ProgressBar(ctx, "Sending Map...");
    if (const int sent = flows.SendToPosition(map, *id, *target); sent != 0)
        return CliFail(ctx, KZD_EXIT_FAILED, "map send", SendFailure(sent, flows, *target));
    ctx.Out << "Sent '" << file << "' into position " << *target << ".\n";
    return KZD_EXIT_OK;
}
