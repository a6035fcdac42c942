#include "WatchCommands.h"

#include <charconv>
#include <ostream>
#include <vector>

#include "Channelmanager.h"
#include "Devicesession.h"
#include "Devmanagersource.h"
#include "Jsonwriter.h"

namespace {

constexpr int KDefaultIntervalMs = 50;
// How long the first line waits for the first polled values.
constexpr int KFirstValuesTimeoutMs = 3000;

// A positive decimal integer option; false (usage error written) when bad.
bool PositiveOption(TCliContext& ctx, const char* name, std::optional<long>& value, int& status) {
    const std::optional<std::string> text = ctx.Args.TakeOption(std::string("--") + name);
    if (!text)
        return true;
    long v = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size() || v <= 0 || v > 86400000) {
        status = CliFail(ctx, KZD_EXIT_USAGE, "bad usage", std::string("--") + name + " needs a positive number");
        return false;
    }
    value = v;
    return true;
}

struct TWatchOptions {
    std::optional<long> Count;  // none: until interrupted
    int IntervalMs = KDefaultIntervalMs;
    std::vector<std::string> Channels;
};

int ParseWatch(TCliContext& ctx, TWatchOptions& options) {
    int status = 0;
    std::optional<long> interval;
    if (!PositiveOption(ctx, "count", options.Count, status) || !PositiveOption(ctx, "interval", interval, status))
        return status;
    if (interval)
        options.IntervalMs = static_cast<int>(*interval);
    if (!ctx.Args.Error().empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", ctx.Args.Error());
    if (const std::string unknown = ctx.Args.UnknownOption(); !unknown.empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unknown option " + unknown);
    options.Channels = ctx.Args.Words();
    if (options.Channels.empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "watch needs at least one CHANNEL (identifier or name)");
    return 0;
}

void WriteLine(TCliContext& ctx, long long timeMs, const TChanManager& manager, const TDeviceID& id,
               const std::vector<int>& channels) {
    const bool online = manager.IsOnline(id);
    ctx.Out << timeMs;
    for (int channel : channels) {
        ctx.Out << ',';
        if (online)
            ctx.Out << TJsonWriter::FormatDouble(manager.GetChannelValue(id, channel));
    }
    ctx.Out << '\n' << std::flush;
}

int Watch(TCliContext& ctx, TDeviceSession& session, const TWatchOptions& options) {
    const std::optional<TDeviceID> id = session.Pick(ctx);
    if (!id)
        return KZD_EXIT_FAILED;
    TDevManagerSource source(session.Manager());
    TChanManager manager(&source, TChannelDevice::KMatchSameDevice);
    manager.DevicesChanged();  // the first pass has been published already
    std::vector<int> channels;
    for (const std::string& text : options.Channels) {
        const std::optional<int> channel = ResolveWatchChannel(manager, *id, text);
        if (!channel)
            return CliFail(ctx, KZD_EXIT_USAGE, "unknown channel '" + text + "'",
                           "not a channel of " + id->Name() + "[" + id->Text() + "]");
        channels.push_back(*channel);
    }
    for (int channel : channels)
        manager.SubscribeChannel(*id, channel);
    for (TTimeout first(KFirstValuesTimeoutMs); !manager.IsOnline(*id) && !first.Expired();)
        session.Wait(5);
    ctx.Out << "time_ms";
    for (const std::string& text : options.Channels)
        ctx.Out << ',' << CsvField(text);
    ctx.Out << '\n';
    const TTimerStat clock;
    for (long line = 0; !options.Count || line < *options.Count; ++line) {
        const double due = static_cast<double>(line) * options.IntervalMs;
        if (const double wait = due - clock.ElapsedMs(); wait > 0)
            session.Wait(static_cast<int>(wait));
        WriteLine(ctx, static_cast<long long>(clock.ElapsedMs()), manager, *id, channels);
    }
    for (int channel : channels)
        manager.UnsubscribeChannel(*id, channel);
    return KZD_EXIT_OK;
}

}  // namespace

std::optional<int> ResolveWatchChannel(const TChanManager& manager, const TDeviceID& id, const std::string& text) {
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size() && !manager.ChannelName(id, number).empty())
        return number;
    const int byName = manager.FindChannelByName(id, text);
    return byName >= 0 ? std::optional<int>(byName) : std::nullopt;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

int RunWatch(TCliContext& ctx) {
    TWatchOptions options;
    if (const int status = ParseWatch(ctx, options); status != 0)
        return status;
    TDeviceSession session;
    if (const int status = session.Open(ctx); status != 0)
        return status;
    return Watch(ctx, session, options);
}
