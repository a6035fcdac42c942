#include "Qcdevicemap.h"

#include <cmath>

namespace {
constexpr double TableArea = 24574.0;
constexpr double HeaderArea = 2046.0;
constexpr int AllAxisTests = TQCAxisList::FindByPosition | TQCAxisList::FindByAddress | TQCAxisList::FindByAxisId;
}  // namespace

TQCDeviceMap::TQCDeviceMap(const TQCDeviceMap& source)
    : FModuleType(source.FModuleType),
      FMapType(source.FMapType),
      FOutputConfig(source.FOutputConfig),
      FBankConfig(source.FBankConfig) {
    std::lock_guard<std::recursive_mutex> guard(source.FLock);
    CopyAxes(source);
    CopyHeaders(source);
}

void TQCDeviceMap::Clear() {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    FPositions.Clear();
    FHeaders.Clear();
    FAxes.Clear();
    FOutputConfig.fill(0);
    FBankConfig.fill(0);
}

void TQCDeviceMap::AssignFrom(const TQCDeviceMap& source, std::uint8_t moduleType) {
    if (&source == this) {
        FModuleType = moduleType;
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(FLock);
    FPositions.Clear();
    FHeaders.Clear();
    FAxes.Clear();
    FOutputConfig = source.FOutputConfig;
    FBankConfig = source.FBankConfig;
    FModuleType = moduleType;
    FMapType = source.FMapType;
    CopyAxes(source);
    CopyHeaders(source);
}

void TQCDeviceMap::CopyAxes(const TQCDeviceMap& source) {
    for (TQCAxis* axis : source.FAxes.Snapshot())
        FAxes.Append(new TQCAxis(*axis));
}

void TQCDeviceMap::CopyHeaders(const TQCDeviceMap& source) {
    for (TQCHeader* header : source.FHeaders.Snapshot())
        CopyHeader(source, *header, false, header->FPosition);
}

void TQCDeviceMap::CopyPositionAxes(const TQCDeviceMap& source, int fromPosition, int toPosition) {
    for (TQCAxis* axis : source.FAxes.Snapshot()) {
        if (axis->FPosition != fromPosition)
            continue;
        if (FAxes.Find(TQCAxisList::FindByPosition | TQCAxisList::FindByAddress, toPosition, 0, axis->FAddress))
            continue;
        auto* copy = new TQCAxis(*axis);
        copy->FPosition = toPosition;
        FAxes.Append(copy);
    }
}

void TQCDeviceMap::CopyPositionHeaders(const TQCDeviceMap& source, int fromPosition, int toPosition) {
    for (TQCHeader* header : source.FHeaders.Snapshot())
        if (header->FPosition == fromPosition)
            CopyHeader(source, *header, true, toPosition);
}

void TQCDeviceMap::CopyPositionName(const TQCDeviceMap& source, int fromPosition, int toPosition) {
    TQCPosition* from = source.FPositions.Find(fromPosition);
    TQCPosition* to = FPositions.Find(toPosition);
    if (from && to && from != to)
        to->FName = from->FName;
}

TQCAxis* TQCDeviceMap::LinkAxis(const TQCAxis* sourceAxis, int position) const {
    return sourceAxis ? FAxes.Find(AllAxisTests, position, sourceAxis->AxisId(), sourceAxis->FAddress) : nullptr;
}

TQCPosition* TQCDeviceMap::TargetPosition(const TQCDeviceMap& source, int sourceNumber, int number) {
    if (TQCPosition* found = FPositions.Find(number))
        return found;
    const TQCPosition* from = source.FPositions.Find(sourceNumber);
    auto* position = from ? new TQCPosition(*from) : new TQCPosition(number);
    position->FNumber = number;
    FPositions.Append(position);
    return position;
}

// One header of source copied into this map (moved: into position toPosition).
// A table that an earlier header copy already brought over is shared, not copied again.
void TQCDeviceMap::CopyHeader(const TQCDeviceMap& source, const TQCHeader& header, bool moved, int toPosition) {
    const int position = moved ? toPosition : header.FPosition;
    auto* copy = new TQCHeader(header);
    if (moved) {
        copy->FPosition = toPosition;
        copy->FRecord[0] = static_cast<std::uint8_t>((copy->FRecord[0] & 0xC0) | (toPosition & 0x3F));
    }
    copy->FXAxis = LinkAxis(header.FXAxis, position);
    copy->FYAxis = LinkAxis(header.FYAxis, position);
    if (const TQCTableData* sourceTable = header.FTable) {
        const int tablePosition = moved ? toPosition : sourceTable->FPosition;
        TQCPosition* target = TargetPosition(source, sourceTable->FPosition, tablePosition);
        TQCTableData* table = target->FTables.FindByAddress(sourceTable->FAddress, tablePosition);
        if (!table) {
            table = new TQCTableData(*sourceTable, &FOutputConfig, copy->FYAxis, copy->FXAxis);
            table->FPosition = tablePosition;
            target->FTables.Append(table);
        }
        ApplySelectors(*table, *copy);
        copy->FTable = table;
    }
    FHeaders.Append(copy);
}

void TQCDeviceMap::CopyValuesFrom(const TQCDeviceMap& other) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    for (TQCPosition* position : FPositions.Snapshot()) {
        const TQCPosition* from = other.FPositions.Find(position->FNumber);
        if (!from)
            continue;
        for (TQCTableData* table : position->FTables.Snapshot())
            if (const TQCTableData* match = from->FTables.FindMatching(table->BuildID(), true))
                table->CopyCellsFrom(*match);
    }
}

void TQCDeviceMap::CopyNamesFrom(const TQCDeviceMap& other) {
    std::lock_guard<std::recursive_mutex> guard(FLock);
    for (TQCPosition* position : FPositions.Snapshot())
        if (const TQCPosition* from = other.FPositions.Find(position->FNumber); from && from != position)
            position->FName = from->FName;
}

void TQCDeviceMap::Renumber() {
    std::int32_t address = 0;
    for (TQCHeader* header : FHeaders.Snapshot())
        header->FAddress = address++;
    for (TQCAxis* axis : FAxes.Snapshot())
        axis->FAddress = address++;
    for (TQCPosition* position : FPositions.Snapshot())
        for (TQCTableData* table : position->FTables.Snapshot())
            table->FAddress = address++;
}

int TQCDeviceMap::TableCount() const {
    int count = 0;
    for (TQCPosition* position : FPositions.Snapshot())
        count += position->FTables.Count();
    return count;
}

int TQCDeviceMap::TableBytes() const {
    int bytes = 0;
    for (TQCPosition* position : FPositions.Snapshot())
        for (TQCTableData* table : position->FTables.Snapshot())
            bytes += table->DataSize();
    return bytes;
}

double TQCDeviceMap::TableMemoryUsage() const {
    const int bytes = TableBytes();
    return bytes == 0 ? 0.0 : bytes / TableArea * 100;
}

double TQCDeviceMap::HeaderMemoryUsage() const {
    int bytes = 16 * FHeaders.Count();
    for (TQCAxis* axis : FAxes.Snapshot())
        bytes += 4 + axis->ByteSize();
    return bytes / HeaderArea * 100;
}

std::string TQCDeviceMap::ModuleNameOf(int moduleType) {
    switch (moduleType) {
    case QC_MODULE_PRIMARY:
        return "Primary Module";
    case QC_MODULE_SECONDARY:
        return "Secondary Module";
    case QC_MODULE_IGNITION:
        return "Ignition Module";
    default:
        return "";
    }
}

std::string TQCDeviceMap::ModuleName() const { return ModuleNameOf(FModuleType); }

bool TQCDeviceMap::HasTable(int position, int tableType, int yAxisId, int xAxisId) const {
    const TQCPosition* p = FPositions.Find(position);
    return p && p->HasTable(tableType, xAxisId, yAxisId);
}

std::uint8_t TQCDeviceMap::TableMode(int position, int tableType, int yAxisId, int xAxisId) const {
    const TQCPosition* p = FPositions.Find(position);
    return p ? p->TableMode(tableType, xAxisId, yAxisId) : 0;
}

void TQCDeviceMap::ApplyOutputSelector(TQCTableData& table, int output) const {
    const int cylinder = output >= 0 && output < 4 ? FOutputConfig[3 + static_cast<std::size_t>(output)] : 0;
    if (cylinder < FOutputConfig[1] && cylinder < 4)
        table.SetCylinder(cylinder, 1);
}

void TQCDeviceMap::ApplyBankSelector(TQCTableData& table, int mask) const {
    for (int i = 0; i < 4; ++i) {
        if (!(mask & (1 << i)))
            continue;
        const int cylinder = FOutputConfig[3 + static_cast<std::size_t>(i)];
        if (cylinder < 4)
            table.SetCylinder(cylinder, 1);
    }
}

namespace {
// The bank mask of a sensor selector pair: first = sensor 1, first + 1 = sensor 2.
int BankMask(const TQCBankConfig& bank, int selector, int first) {
    return selector == first ? bank[10] : (selector == first + 1 ? bank[14] : 0);
}
}  // namespace

void TQCDeviceMap::ApplySelectors(TQCTableData& table, const TQCHeader& header) const {
    const int selector = header.Selector();
    switch (header.TableType()) {
    case QC_TABLE_FUEL:
        ApplyOutputSelector(table, selector >= 208 && selector <= 211 ? selector - 208 : -1);
        break;
    case QC_TABLE_IGNITION:
        ApplyOutputSelector(table, selector >= 212 && selector <= 215 ? selector - 212 : -1);
        break;
    case QC_TABLE_TARGET_AFR:
        ApplyBankSelector(table, BankMask(FBankConfig, selector, 124));
        break;
    case QC_TABLE_INTEGRATOR:
        ApplyBankSelector(table, BankMask(FBankConfig, selector, 122));
        break;
    case QC_TABLE_TRIM:
        ApplyBankSelector(table, BankMask(FBankConfig, selector, 126));
        break;
    case QC_TABLE_OFFSET:
        if (selector == 236 || selector == 237)
            table.SetCylinder(selector - 236, 1);
        break;
    default:
        break;
    }
    // Only six gears are representable, and the gear mask is one byte.
    const int gears = FOutputConfig[2] < 6 ? FOutputConfig[2] : 6;
    for (int i = 0; i < gears; ++i)
        if ((header.GearMask() >> i) & 1)
            table.SetGear(i, 1);
}

int TQCDeviceMap::RpmStep(int position) const {
    const TQCAxis* axis = FAxes.Find(TQCAxisList::FindByPosition | TQCAxisList::FindByAxisId, position, QC_AXIS_RPM, 0);
    if (!axis || axis->Count() < 2)
        return 0;
    return static_cast<int>(std::trunc(axis->GetValue(1) - axis->GetValue(0)));
}

void TQCDeviceMap::SetRpmStep(int position, int step) {
    TQCAxis* axis = FAxes.Find(TQCAxisList::FindByPosition | TQCAxisList::FindByAxisId, position, QC_AXIS_RPM, 0);
    if (!axis || step <= 0 || step == RpmStep(position) || axis->Count() < 1)
        return;
    const int first = static_cast<int>(std::trunc(axis->GetValue(0)));
    const int last = static_cast<int>(std::trunc(axis->GetValue(axis->Count() - 1)));
    const int n = (last - first) / step;
    // A descending or damaged axis gives n < 1: leave it as it is.
    if (n < 1 || n >= axis->MaxCount())
        return;
    axis->SetCount(n + 1);
    for (int i = 0; i <= n; ++i)
        axis->SetValue(i, first + static_cast<double>(i) * step);
    for (TQCPosition* p : FPositions.Snapshot())
        for (TQCTableData* table : p->FTables.Snapshot()) {
            if (table->XAxis() == axis)
                table->SetXAxis(axis);
            if (table->YAxis() == axis)
                table->SetYAxis(axis);
        }
}

TQCAxis* TQCDeviceMap::FindAxis(std::int32_t address, std::int32_t position) const {
    return FAxes.Find(TQCAxisList::FindByPosition | TQCAxisList::FindByAddress, position, 0, address);
}

TQCTableData* TQCDeviceMap::FindTable(std::int32_t address, std::int32_t position) const {
    for (TQCPosition* p : FPositions.Snapshot())
        if (TQCTableData* table = p->FTables.FindByAddress(address, position))
            return table;
    return nullptr;
}

TQCDeviceMap* TQCDeviceMapList::Find(int moduleType) const {
    std::lock_guard<std::recursive_mutex> guard(Mutex());
    for (int i = 0; i < Count(); ++i)
        if (Get(i)->FModuleType == moduleType)
            return Get(i);
    return nullptr;
}
