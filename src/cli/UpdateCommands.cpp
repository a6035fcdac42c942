#include "UpdateCommands.h"

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "Jsonwriter.h"
#include "Qkufile.h"
#include "Sha256.h"

namespace {

void WriteFilter(TJsonWriter& json, const TQCFileFilter& filter) {
    json.BeginObject();
    json.Key("check_type");
    json.Int(filter.CheckType());
    json.Key("type_mask");
    json.Int(filter.TypeMask());
    json.Key("serial_numbers");
    json.BeginArray();
    for (const auto& s : filter.SerialNumbers())
        json.String(s);
    json.EndArray();
    json.Key("model_numbers");
    json.BeginArray();
    for (const auto& m : filter.ModelNumbers())
        json.String(m);
    json.EndArray();
    json.Key("map_types");
    json.BeginArray();
    for (auto t : filter.MapTypes())
        json.Int(t);
    json.EndArray();
    json.EndObject();
}

void NameOrNull(TJsonWriter& json, const TQKSItem* item) {
    if (item)
        json.String(item->Name());
    else
        json.Null();
}

void WriteSection(TJsonWriter& json, const TQKSFileSection& s) {
    json.BeginObject();
    json.Key("command");
    json.Int(s.Command());
    json.Key("command_name");
    NameOrNull(json, TQKSFileSection::Commands().FindById(s.Command()));
    json.Key("structure");
    json.Int(s.Structure());
    json.Key("structure_name");
    json.String(s.StructureName());
    json.Key("item_id");
    json.Int(s.ItemId());
    json.Key("item_name");
    NameOrNull(json, s.Item());
    json.Key("operator");
    json.Int(s.Operator());
    json.Key("operator_name");
    NameOrNull(json, TQKSFileSection::Operators().FindById(s.Operator()));
    json.Key("operand");
    json.Int(s.Operand());
    json.EndObject();
}

void WriteScript(TJsonWriter& json, const TQKSFile& script) {
    json.BeginObject();
    json.Key("name");
    json.String(script.Name());
    json.Key("filter");
    WriteFilter(json, script.Filter());
    json.Key("sections");
    json.BeginArray();
    for (const TQKSFileSection* s : script.Sections().Snapshot())
        WriteSection(json, *s);
    json.EndArray();
    json.EndObject();
}

void WriteJson(std::ostream& out, const TQKUFile& file) {
    TJsonWriter json(out);
    json.BeginObject();
    json.Key("format");
    json.Int(file.Format());
    json.Key("boot_value");
    json.Int(file.BootValue());
    json.Key("firmware_version");
    json.Int(file.FirmwareVersion());
    json.Key("encoded");
    json.Bool(file.IsEncoded());
    json.Key("filter");
    WriteFilter(json, file.Filter());
    json.Key("image");
    if (file.ImageSize() > 0) {
        json.BeginObject();
        json.Key("size");
        json.Int(file.ImageSize());
        json.Key("sha256");
        json.String(Sha256Hex(file.Image().data(), file.Image().size()));
        json.EndObject();
    } else {
        json.Null();
    }
    json.Key("scripts");
    json.BeginArray();
    for (const TQKSFile* script : file.Scripts().Snapshot())
        WriteScript(json, *script);
    json.EndArray();
    json.EndObject();
    json.Finish();
}

std::string ListText(const std::vector<std::string>& list) {
    if (list.empty())
        return "any";
    std::string text;
    for (const auto& s : list)
        text += (text.empty() ? "" : ", ") + TJsonWriter::Quote(s);
    return text;
}

std::string FilterText(const TQCFileFilter& f) {
    std::vector<std::string> types;
    for (auto t : f.MapTypes())
        types.push_back(std::to_string(t));
    char mask[8];
    std::snprintf(mask, sizeof mask, "0x%02X", f.TypeMask());
    std::string kinds = f.CheckType() ? std::string("type mask ") + mask : "any device kind";
    std::string typeText = types.empty() ? "any" : "";
    for (const auto& t : types)
        typeText += (typeText.empty() ? "" : ", ") + t;
    return kinds + "; serial numbers: " + ListText(f.SerialNumbers()) + "; model numbers: " +
           ListText(f.ModelNumbers()) + "; map types: " + typeText;
}

std::string SectionText(const TQKSFileSection& s) {
    const TQKSItem* command = TQKSFileSection::Commands().FindById(s.Command());
    const TQKSItem* op = TQKSFileSection::Operators().FindById(s.Operator());
    const TQKSCfgItem* item = s.Item();
    std::string text = (command ? command->Name() : "Command " + std::to_string(s.Command())) + " " +
                       s.StructureName() + " (" + std::to_string(s.Structure()) + ")";
    if (s.Command() != 2)
        return text;
    text += " item " + std::to_string(s.ItemId());
    if (item)
        text += " \"" + item->Name() + "\" " + ValueTypeName(item->ValueType()) + " at " + std::to_string(item->Offset());
    return text + " " + (op ? op->Name() : "operator " + std::to_string(s.Operator())) + " " + std::to_string(s.Operand());
}

void WriteText(std::ostream& out, const TQKUFile& file) {
    out << "Format: " << file.Format() << "\n"
        << "Boot value: " << file.BootValue() << "\n"
        << "Firmware version: " << file.FirmwareVersion() << "\n"
        << "Encoded: " << (file.IsEncoded() ? "yes" : "no") << "\n"
        << "Filter: " << FilterText(file.Filter()) << "\n";
    if (file.ImageSize() > 0)
        out << "Image: " << file.ImageSize() << " bytes, sha256 " << Sha256Hex(file.Image().data(), file.Image().size())
            << "\n";
    else
        out << "Image: none\n";
    const auto scripts = file.Scripts().Snapshot();
    out << "Scripts: " << scripts.size() << "\n";
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        out << "  " << i + 1 << ". " << TJsonWriter::Quote(scripts[i]->Name()) << "\n"
            << "     Filter: " << FilterText(scripts[i]->Filter()) << "\n";
        for (const TQKSFileSection* s : scripts[i]->Sections().Snapshot())
            out << "     " << SectionText(*s) << "\n";
    }
}

}  // namespace

int RunUpdateShow(TCliContext& ctx) {
    const bool json = ctx.Json || ctx.Args.TakeFlag("--json");
    if (!ctx.Args.UnknownOption().empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unknown option " + ctx.Args.UnknownOption());
    if (ctx.Args.Words().size() != 1)
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "update show needs one FILE");
    const std::string& path = ctx.Args.Words()[0];
    TQKUFile file;
    if (!file.Load(path))
        return CliFail(ctx, KZD_EXIT_USAGE, "cannot read update file '" + path + "'", file.Error());
    for (const auto& skipped : file.SkippedScripts())
        ctx.Err << "kzdctl: warning: " << skipped << " (skipped)\n";
    if (json)
        WriteJson(ctx.Out, file);
    else
        WriteText(ctx.Out, file);
    return KZD_EXIT_OK;
}
