#include "Qctabledata.h"

#include <cmath>
#include <cstring>

namespace {

struct TTableTypeInfo {
    int Code;
    const char* Name;
    const char* Group;
    int DataType;
    int Decimals;
};

constexpr TTableTypeInfo TableTypes[] = {
    {QC_TABLE_FUEL, "Fuel", "Fuel", QC_TYPE_FUEL, 0},
    {QC_TABLE_IGNITION, "Ignition", "Ignition", QC_TYPE_S8, 0},
    {QC_TABLE_TARGET_AFR, "Target AFR", "Auto Tune", QC_TYPE_U8, 1},
    {QC_TABLE_INTEGRATOR, "Integrator", "Auto Tune", QC_TYPE_S8, 0},
    {QC_TABLE_TRIM, "Trim", "Auto Tune", QC_TYPE_S8, 0},
    {QC_TABLE_OFFSET, "Offset (Volts)", "O2", QC_TYPE_S16, 3},
};

const TTableTypeInfo* FindType(int code) {
    for (const auto& info : TableTypes)
        if (info.Code == code)
            return &info;
    return nullptr;
}

std::string JoinFlags(const std::string& word, const std::uint8_t* flags, int count) {
    std::string text = word;
    bool first = true;
    for (int i = 0; i < count; ++i) {
        if (!flags[i])
            continue;
        if (!first)
            text += ",";
        text += std::to_string(i + 1);
        first = false;
    }
    return text;
}

}  // namespace

int TQCTableData::TableDataType(int tableType) {
    const auto* info = FindType(tableType);
    return info ? info->DataType : 0;
}

int TQCTableData::TableDecimals(int tableType) {
    const auto* info = FindType(tableType);
    return info ? info->Decimals : 0;
}

std::string TQCTableData::TypeNameOf(int tableType) {
    const auto* info = FindType(tableType);
    return info ? info->Name : "";
}

std::string TQCTableData::GroupNameOf(int tableType) {
    const auto* info = FindType(tableType);
    return info ? info->Group : "";
}

TQCTableData::TQCTableData() = default;

TQCTableData::TQCTableData(const TQCTableData& source, const TQCOutputConfig* config, TQCAxis* yAxis,
                           TQCAxis* xAxis) {
    FPosition = source.FPosition;
    FAddress = source.FAddress;
    FXAxis = xAxis;
    FYAxis = yAxis;
    FFoldPoint = source.FFoldPoint;
    FFoldFactor = source.FFoldFactor;
    FTableType = source.FTableType;
    FDataType = source.FDataType;
    Reallocate();
    FConfig = config;
    FModuleType = source.FModuleType;
    CopyValuesFrom(source);
}

int TQCTableData::Decimals() const { return TableDecimals(FTableType); }

int TQCTableData::CellCount() const {
    if (DataTypeSize(FDataType) == 0)
        return 0;
    if (FXAxis && FYAxis)
        return FXAxis->Count() * FYAxis->Count();
    if (FXAxis)
        return FXAxis->Count();
    if (FYAxis)
        return FYAxis->Count();
    return 0;
}

bool TQCTableData::CellOffset(int col, int row, std::size_t& offset) const {
    const int width = DataTypeSize(FDataType);
    if (width == 0 || col < 0 || row < 0)
        return false;
    const long long at = (static_cast<long long>(col) + static_cast<long long>(row) * ColCount()) * width;
    if (at + width > FDataSize)
        return false;
    offset = static_cast<std::size_t>(at);
    return true;
}

double TQCTableData::FuelRead(std::int64_t byte) const {
    std::int64_t v = byte - 100;
    if (v > FFoldPoint)
        v = (v - FFoldPoint) * FFoldFactor + FFoldPoint;
    return static_cast<double>(v);
}

bool TQCTableData::FuelWrite(double x, std::int64_t& byte) const {
    if (x > FFoldPoint && FFoldFactor != 0)
        x = (x - FFoldPoint) / FFoldFactor + FFoldPoint;
    return QCRaw::Saturate(x + 100, 0, 255, byte);
}

double TQCTableData::GetValue(int col, int row) const {
    std::size_t offset;
    if (!CellOffset(col, row, offset))
        return 0;
    const std::int64_t raw = QCRaw::Read(&FData[offset], FDataType);
    const double value = FDataType == QC_TYPE_FUEL ? FuelRead(raw) : static_cast<double>(raw);
    const int d = Decimals();
    return d > 0 ? value / QCRaw::Pow10(d) + 0.5 / QCRaw::Pow10(d + 1) : value;
}

void TQCTableData::SetValue(int col, int row, double x) {
    std::size_t offset;
    if (!CellOffset(col, row, offset) || std::isnan(x))
        return;
    const int d = Decimals();
    if (d > 0) {
        const double bias = 0.5 / QCRaw::Pow10(d + 1), scale = QCRaw::Pow10(d);
        // Negative values mirror the rounding: the read bias moves them toward
        // zero, so twice the bias brings every raw value back to itself.
        x = x < 0 ? -std::trunc((-x + 2 * bias) * scale) : std::trunc((x + bias) * scale);
    }
    std::int64_t raw, lo, hi;
    if (FDataType == QC_TYPE_FUEL) {
        if (!FuelWrite(x, raw))
            return;
    } else if (!QCRaw::Range(FDataType, lo, hi) || !QCRaw::Saturate(x, lo, hi, raw)) {
        return;
    }
    QCRaw::Write(&FData[offset], FDataType, raw);
}

void TQCTableData::Reallocate() {
    FDataSize = DataTypeSize(FDataType) * CellCount();
    FData.assign(static_cast<std::size_t>(FDataSize), 0);
    if (FDataSize == 0)
        return;
    for (int row = 0; row < RowCount(); ++row)
        for (int col = 0; col < ColCount(); ++col)
            SetValue(col, row, 0);
}

void TQCTableData::SetTableType(int code) {
    FTableType = static_cast<std::uint8_t>(code);
    const int type = TableDataType(code);
    if (type != 0)
        SetDataType(type);
}

void TQCTableData::SetDataType(int type) {
    if (type == FDataType)
        return;
    FDataType = static_cast<std::uint8_t>(type);
    Reallocate();
}

void TQCTableData::SetXAxis(TQCAxis* axis) {
    FXAxis = axis;
    Reallocate();
}

void TQCTableData::SetYAxis(TQCAxis* axis) {
    FYAxis = axis;
    Reallocate();
}

void TQCTableData::SetCylinder(int i, std::uint8_t flag) {
    if (i >= 0 && i < 4)
        FCylinders[static_cast<std::size_t>(i)] = flag;
}

void TQCTableData::SetGear(int i, std::uint8_t flag) {
    if (i >= 0 && i < 6)
        FGears[static_cast<std::size_t>(i)] = flag;
}

bool TQCTableData::IsCylinderSpecific() const {
    if (!FConfig)
        return false;
    if (FTableType == QC_TABLE_OFFSET)
        return FCylinders[0] == 0 || FCylinders[1] == 0;
    const int count = (*FConfig)[1] < 4 ? (*FConfig)[1] : 4;
    for (int i = 0; i < count; ++i)
        if (GetCylinder(i) == 0)
            return true;
    return false;
}

bool TQCTableData::IsGearSpecific() const {
    if (!FConfig)
        return false;
    const int count = (*FConfig)[2] < 6 ? (*FConfig)[2] : 6;
    for (int i = 0; i < count; ++i)
        if (GetGear(i) == 0)
            return true;
    return false;
}

int TQCTableData::Kind() const {
    const bool cylinder = IsCylinderSpecific(), gear = IsGearSpecific();
    return cylinder && gear ? 4 : (cylinder ? 2 : (gear ? 3 : 1));
}

std::string TQCTableData::TypeName() const {
    std::string name = TypeNameOf(FTableType);
    if (FXAxis && FXAxis->AxisId() == QC_AXIS_PRESSURE)
        name += " (" + AxisName(FXAxis) + ")";
    return name;
}

std::string TQCTableData::GroupName() const { return GroupNameOf(FTableType); }

std::string TQCTableData::CylinderText() const {
    return JoinFlags(FTableType == QC_TABLE_OFFSET ? "Sensor " : "Cylinder ", FCylinders.data(), 4);
}

std::string TQCTableData::GearText() const { return JoinFlags("Gear ", FGears.data(), 6); }

std::string TQCTableData::AxisName(const TQCAxis* axis) {
    if (!axis)
        return "";
    switch (axis->AxisId()) {
    case QC_AXIS_RPM:
        return "RPM";
    case QC_AXIS_PRESSURE:
        return "Pressure";
    case QC_AXIS_TPS:
        return "TPS";
    default:
        return "";
    }
}

bool TQCTableData::SameLayoutAs(const TQCTableData& other) const {
    return FDataType == other.FDataType && FDataSize == other.FDataSize && ColCount() == other.ColCount() &&
           RowCount() == other.RowCount() && Decimals() == other.Decimals() &&
           (FDataType != QC_TYPE_FUEL || (FFoldPoint == other.FFoldPoint && FFoldFactor == other.FFoldFactor));
}

void TQCTableData::CopyCellsFrom(const TQCTableData& other) {
    if (SameLayoutAs(other)) {
        if (FDataSize > 0)
            std::memcpy(FData.data(), other.FData.data(), static_cast<std::size_t>(FDataSize));
        return;
    }
    for (int row = 0; row < RowCount(); ++row)
        for (int col = 0; col < ColCount(); ++col)
            SetValue(col, row, other.GetValue(col, row));
}

int TQCTableData::CopyValuesFrom(const TQCTableData& other) {
    if (FDataSize != other.FDataSize)
        return -1;
    CopyCellsFrom(other);
    return 0;
}

const TQCTableID& TQCTableData::BuildID() const {
    FID.FTableType = FTableType;
    FID.FCylinders = FCylinders;
    FID.FGears = FGears;
    FID.FXAxisId = FXAxis ? FXAxis->AxisId() : -1;
    FID.FYAxisId = FYAxis ? FYAxis->AxisId() : -1;
    FID.FPosition = FPosition;
    FID.FModuleType = FModuleType;
    return FID;
}

TQCTableData* TQCTableDataList::FindByAddress(std::int32_t address, std::int32_t position) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->FAddress == address && Get(i)->FPosition == position)
            return Get(i);
    return nullptr;
}

TQCTableData* TQCTableDataList::FindMatching(const TQCTableID& id, bool checkModule) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->BuildID().Matches(id, checkModule))
            return Get(i);
    return nullptr;
}

TQCTableData* TQCTableDataList::FindCovering(const TQCTableID& id, bool checkModule) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->BuildID().Covers(id, checkModule))
            return Get(i);
    return nullptr;
}
