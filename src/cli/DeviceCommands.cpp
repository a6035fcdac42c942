#include "DeviceCommands.h"

#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "Deviceinfo.h"
#include "Devicesession.h"
#include "Jsonwriter.h"
#include "Qc7.h"
#include "Qc7errorcode.h"

namespace {

int CheckNoArguments(TCliContext& ctx) {
    if (const std::string unknown = ctx.Args.UnknownOption(); !unknown.empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unknown option " + unknown);
    if (!ctx.Args.Words().empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unexpected argument '" + ctx.Args.Words()[0] + "'");
    return 0;
}

void WriteIdentity(TJsonWriter& json, const TDeviceID& id, bool withParent) {
    json.BeginObject(true);
    json.Key("kind").Int(id.Kind());
    json.Key("name").String(id.Name());
    json.Key("connection").Int(id.Connection());
    json.Key("number").Int(id.Number());
    if (withParent) {
        json.Key("parent");
        if (id.Parent())
            WriteIdentity(json, *id.Parent(), false);
        else
            json.Null();
    }
    json.EndObject();
}

std::string Describe(const TDeviceID& id) {
    std::string text = id.Name() + " [" + id.Text() + "]";
    if (id.Parent())
        text += " on " + id.Parent()->Name() + " [" + id.Parent()->Text() + "]";
    return text;
}

// Opens the session and picks the device; the driver is nullptr on failure,
// with status holding the exit status.
TQC7* OpenDevice(TCliContext& ctx, TDeviceSession& session, int& status) {
    status = CheckNoArguments(ctx);
    if (status == 0)
        status = session.Open(ctx);
    if (status != 0)
        return nullptr;
    const std::optional<TDeviceID> id = session.Pick(ctx);
    if (!id) {
        status = KZD_EXIT_FAILED;
        return nullptr;
    }
    TQC7* driver = session.Driver(*id);
    if (!driver)
        status = CliFail(ctx, KZD_EXIT_FAILED, "device " + id->Text(), "Error loading device driver.");
    return driver;
}

}  // namespace

std::string ErrorTimestampText(std::int32_t valueMs) {
    const std::int64_t v = valueMs;
    const std::int64_t magnitude = v < 0 ? -v : v;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", v < 0 ? "-" : "", static_cast<long long>(magnitude / 1000),
                  static_cast<long long>(magnitude % 1000));
    return text;
}

int RunDeviceList(TCliContext& ctx) {
    TDeviceSession session;
    int status = CheckNoArguments(ctx);
    if (status == 0)
        status = session.Open(ctx);
    if (status != 0)
        return status;
    const TDeviceIDList& ids = session.Manager().ConnectedIds();
    std::lock_guard<std::recursive_mutex> guard(ids.Mutex());
    if (ctx.Json) {
        TJsonWriter json(ctx.Out);
        json.BeginArray();
        for (const TDeviceID* id : ids.Snapshot())
            WriteIdentity(json, *id, true);
        json.EndArray();
        json.Finish();
    } else if (ids.Count() == 0) {
        ctx.Out << "No device connected.\n";
    } else {
        for (const TDeviceID* id : ids.Snapshot())
            ctx.Out << Describe(*id) << "\n";
    }
    return KZD_EXIT_OK;
}

int RunDeviceInfo(TCliContext& ctx) {
    TDeviceSession session;
    int status = 0;
    TQC7* driver = OpenDevice(ctx, session, status);
    if (!driver)
        return status;
    const std::vector<TDeviceInfoLine> lines = ReadDeviceInfoLines(*driver);
    if (ctx.Json) {
        TJsonWriter json(ctx.Out);
        json.BeginObject();
        json.Key("lines").BeginArray();
        for (const auto& line : lines) {
            json.BeginObject(true);
            json.Key("label").String(line.Label);
            json.Key("value").String(line.Value);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
    } else {
        for (const auto& line : lines)
            ctx.Out << line.Label << ": " << line.Value << "\n";
    }
    if (lines.empty())
        return CliFail(ctx, KZD_EXIT_FAILED, "device info", "the device answered none of the information reads");
    return KZD_EXIT_OK;
}

int RunDeviceErrors(TCliContext& ctx) {
    TDeviceSession session;
    int status = 0;
    TQC7* driver = OpenDevice(ctx, session, status);
    if (!driver)
        return status;
    const std::optional<TDeviceID> id = session.Pick(ctx);
    TQC7ErrorCodeManager manager(session.Manager(), *id);
    if (const int refresh = manager.Refresh(); refresh != 0)
        return CliFail(ctx, KZD_EXIT_FAILED, "cannot read the error log",
                       "the device did not answer (status " + std::to_string(refresh) + ")");
    const auto codes = manager.Codes().Snapshot();
    if (ctx.Json) {
        TJsonWriter json(ctx.Out);
        json.BeginObject();
        json.Key("codes").BeginArray();
        for (const TQC7ErrorCode* code : codes) {
            json.BeginObject(true);
            json.Key("number").Int(code->Number());
            json.Key("message").String(code->Message());
            json.Key("timestamp").String(ErrorTimestampText(code->Value()));
            json.Key("severity").String(code->Severity());
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Finish();
        return KZD_EXIT_OK;
    }
    ctx.Out << "Error Code;Description;Timestamp;Severity\n";
    if (codes.empty())
        ctx.Out << "None;None;None;None\n";
    for (const TQC7ErrorCode* code : codes)
        ctx.Out << code->Number() << ";" << code->Message() << ";" << ErrorTimestampText(code->Value()) << ";"
                << code->Severity() << "\n";
    return KZD_EXIT_OK;
}
