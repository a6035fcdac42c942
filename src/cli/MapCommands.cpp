#include "MapCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "Jsonwriter.h"
#include "Qcmaptransferfile.h"

namespace {

std::string Extension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

std::string Hex(const std::uint8_t* data, int size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(static_cast<std::size_t>(size) * 2);
    for (int i = 0; i < size; ++i) {
        text += digits[data[i] >> 4];
        text += digits[data[i] & 0xF];
    }
    return text;
}

template <typename TBytes>
void WriteBytes(TJsonWriter& json, const TBytes& bytes) {
    json.BeginArray(true);
    for (std::uint8_t b : bytes)
        json.Int(b);
    json.EndArray();
}

void WriteAxisIndex(TJsonWriter& json, const TQCDeviceMap& deviceMap, const TQCAxis* axis) {
    const int index = axis ? deviceMap.FAxes.IndexOf(axis) : -1;
    if (index < 0)
        json.Null();
    else
        json.Int(index);
}

void WriteAxes(TJsonWriter& json, const TQCDeviceMap& deviceMap) {
    json.BeginArray();
    for (const TQCAxis* axis : deviceMap.FAxes.Snapshot()) {
        json.BeginObject(true);
        json.Key("position").Int(axis->FPosition);
        json.Key("axis_id").Int(axis->AxisId());
        json.Key("name").String(TQCTableData::AxisName(axis));
        json.Key("count").Int(axis->Count());
        json.Key("values").BeginArray(true);
        for (int i = 0; i < axis->Count(); ++i)
            json.Double(axis->GetValue(i));
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void WriteTableRef(TJsonWriter& json, const TQCDeviceMap& deviceMap, const TQCTableData* table) {
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot()) {
        const int index = table ? position->FTables.IndexOf(table) : -1;
        if (index >= 0) {
            json.BeginObject(true);
            json.Key("position").Int(position->FNumber);
            json.Key("index").Int(index);
            json.EndObject();
            return;
        }
    }
    json.Null();
}

void WriteHeaders(TJsonWriter& json, const TQCDeviceMap& deviceMap) {
    json.BeginArray();
    for (const TQCHeader* header : deviceMap.FHeaders.Snapshot()) {
        json.BeginObject(true);
        json.Key("position").Int(header->FPosition);
        json.Key("table_type").Int(header->TableType());
        json.Key("gear_mask").Int(header->GearMask());
        json.Key("selector").Int(header->Selector());
        json.Key("x_axis");
        WriteAxisIndex(json, deviceMap, header->FXAxis);
        json.Key("y_axis");
        WriteAxisIndex(json, deviceMap, header->FYAxis);
        json.Key("table");
        WriteTableRef(json, deviceMap, header->FTable);
        json.EndObject();
    }
    json.EndArray();
}

void WriteTable(TJsonWriter& json, const TQCDeviceMap& deviceMap, const TQCTableData& table) {
    json.BeginObject();
    json.Key("table_type").Int(table.TableType());
    json.Key("type_name").String(table.TypeName());
    json.Key("group_name").String(table.GroupName());
    json.Key("data_type").Int(table.DataType());
    json.Key("decimals").Int(table.Decimals());
    json.Key("x_axis");
    WriteAxisIndex(json, deviceMap, table.XAxis());
    json.Key("y_axis");
    WriteAxisIndex(json, deviceMap, table.YAxis());
    json.Key("cylinders");
    json.BeginArray(true);
    for (int i = 0; i < 4; ++i)
        json.Int(table.GetCylinder(i) ? 1 : 0);
    json.EndArray();
    json.Key("gears");
    json.BeginArray(true);
    for (int i = 0; i < 6; ++i)
        json.Int(table.GetGear(i) ? 1 : 0);
    json.EndArray();
    json.Key("cylinder_text").String(table.CylinderText());
    json.Key("gear_text").String(table.GearText());
    json.Key("raw").String(Hex(table.Data(), table.DataSize()));
    json.Key("values").BeginArray();
    for (int row = 0; row < table.RowCount(); ++row) {
        json.BeginArray(true);
        for (int col = 0; col < table.ColCount(); ++col)
            json.Double(table.GetValue(col, row));
        json.EndArray();
    }
    json.EndArray();
    json.EndObject();
}

void WritePositions(TJsonWriter& json, const TQCDeviceMap& deviceMap) {
    json.BeginArray();
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot()) {
        json.BeginObject();
        json.Key("number").Int(position->FNumber);
        json.Key("name").String(position->FName);
        json.Key("sfm_mode").Int(position->FSfmMode);
        json.Key("tables").BeginArray();
        for (const TQCTableData* table : position->FTables.Snapshot())
            WriteTable(json, deviceMap, *table);
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
}

void WriteDeviceMap(TJsonWriter& json, const TQCDeviceMap& deviceMap) {
    std::lock_guard<std::recursive_mutex> guard(deviceMap.Mutex());
    json.BeginObject();
    json.Key("module_type").Int(deviceMap.FModuleType);
    json.Key("map_type").Int(deviceMap.FMapType);
    json.Key("output_config");
    WriteBytes(json, deviceMap.FOutputConfig);
    json.Key("bank_config");
    WriteBytes(json, deviceMap.FBankConfig);
    json.Key("table_memory_usage").Double(deviceMap.TableMemoryUsage());
    json.Key("header_memory_usage").Double(deviceMap.HeaderMemoryUsage());
    json.Key("axes");
    WriteAxes(json, deviceMap);
    json.Key("headers");
    WriteHeaders(json, deviceMap);
    json.Key("positions");
    WritePositions(json, deviceMap);
    json.EndObject();
}

std::string Number(double value) { return TJsonWriter::FormatDouble(value); }

// One table as a grid: the X axis values across, each row led by its Y value.
void WriteGrid(std::ostream& out, const TQCTableData& table) {
    const std::string yName = TQCTableData::AxisName(table.YAxis());
    const std::string xName = TQCTableData::AxisName(table.XAxis());
    std::ostringstream head;
    head << std::setw(10) << (yName + "\\" + xName);
    for (int col = 0; col < table.ColCount(); ++col)
        head << std::setw(9) << Number(table.XAxis()->GetValue(col));
    out << "      " << head.str() << "\n";
    for (int row = 0; row < table.RowCount(); ++row) {
        out << "      " << std::setw(10) << Number(table.YAxis()->GetValue(row));
        for (int col = 0; col < table.ColCount(); ++col)
            out << std::setw(9) << Number(table.GetValue(col, row));
        out << "\n";
    }
}

void WriteTableText(std::ostream& out, const TQCTableData& table, int index) {
    out << "    Table " << index << ": " << table.TypeName() << " (type " << table.TableType() << ", "
        << table.GroupName() << "), " << table.CylinderText() << ", " << table.GearText() << ", "
        << table.ColCount() << " x " << table.RowCount() << " cells\n";
    if (table.XAxis() && table.YAxis())
        WriteGrid(out, table);
    else
        out << "      (" << table.DataSize() << " data bytes without a second axis)\n";
}

void WriteDeviceMapText(std::ostream& out, const TQCDeviceMap& deviceMap) {
    const std::string name = deviceMap.ModuleName().empty() ? "KZD" : deviceMap.ModuleName();
    out << "Device map " << int(deviceMap.FModuleType) << " (" << name << "), map type " << deviceMap.FMapType
        << ": " << deviceMap.FHeaders.Count() << " headers, " << deviceMap.FAxes.Count() << " axes, "
        << deviceMap.TableCount() << " tables; table memory " << std::fixed << std::setprecision(1)
        << deviceMap.TableMemoryUsage() << " %, header memory " << deviceMap.HeaderMemoryUsage() << " %\n";
    out.unsetf(std::ios::floatfield);
    out << std::setprecision(6);
    for (const TQCPosition* position : deviceMap.FPositions.Snapshot()) {
        out << "  " << position->DisplayName() << ": \"" << position->FName << "\"\n";
        int index = 0;
        for (const TQCTableData* table : position->FTables.Snapshot())
            WriteTableText(out, *table, index++);
    }
}

}  // namespace

void WriteMapJson(TJsonWriter& json, const TQCMap& map) {
    std::lock_guard<std::recursive_mutex> guard(map.Mutex());
    json.BeginObject();
    json.Key("source").Int(map.FSource);
    json.Key("file_name").String(map.FFileName);
    json.Key("device_maps").BeginArray();
    for (const TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot())
        if (!deviceMap->IsEmpty())
            WriteDeviceMap(json, *deviceMap);
    json.EndArray();
    json.EndObject();
}

void WriteMapText(std::ostream& out, const TQCMap& map) {
    std::lock_guard<std::recursive_mutex> guard(map.Mutex());
    out << "Map file " << map.FFileName << ": " << map.UsedDeviceMaps() << " device map(s) in use\n";
    for (const TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot())
        if (!deviceMap->IsEmpty())
            WriteDeviceMapText(out, *deviceMap);
}

std::string MapLoadStatusText(int status) {
    switch (status) {
    case TQCMapTransferFile::StatusDamaged:
        return "missing, unreadable or damaged";
    case TQCMapTransferFile::StatusCountOutOfRange:
        return "a count out of range or a device map of an unknown module type";
    case TQCMapTransferFile::StatusUnknownFormat:
        return "unknown format word";
    default:
        return "load failed";
    }
}

int RunMapShow(TCliContext& ctx) {
    if (const std::string option = ctx.Args.UnknownOption(); !option.empty())
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "unknown option '" + option + "'");
    if (ctx.Args.Words().size() != 1)
        return CliFail(ctx, KZD_EXIT_USAGE, "bad usage", "map show needs one FILE (see kzdctl map show --help)");
    const std::string& file = ctx.Args.Words().front();
    const std::string what = "cannot read map file '" + file + "'";
    const std::string ext = Extension(file);
    if (ext == ".qzm")
        return CliFail(ctx, KZD_EXIT_USAGE, what, "older map files (.qzm) are not supported yet");
    if (ext != ".kzm" && ext != ".qkm")
        return CliFail(ctx, KZD_EXIT_USAGE, what, "not a map file (.kzm, .qkm)");
    TQCMap map;
    TQCMapTransferFile transfer(&map);
    if (const int status = transfer.LoadFromFile(file); status != 0)
        return CliFail(ctx, KZD_EXIT_USAGE, what, MapLoadStatusText(status) + " (status " + std::to_string(status) + ")");
    if (ctx.Json) {
        TJsonWriter json(ctx.Out);
        WriteMapJson(json, map);
        json.Finish();
    } else {
        WriteMapText(ctx.Out, map);
    }
    return KZD_EXIT_OK;
}
