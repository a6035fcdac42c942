#include "Mapflows.h"

#include "Devicemanager.h"
#include "Qcmaptransferdevice.h"
#include "Uibridge.h"

TMapFlows::TMapFlows(TDevManager* devManager, TUIBridge* ui) : FDevManager(devManager), FUI(ui) {}

TMapFlows::~TMapFlows() = default;

std::string TMapFlows::Text(const std::string& text) const { return Translate ? Translate(text) : text; }

double TMapFlows::ProgressPercent(int a, int b, int c, int d) {
    auto quotient = [](double x, double y) { return y == 0 ? 0.0 : x / y; };
    const double start = quotient(a, b);
    return (start + (quotient(a + 1, b) - start) * quotient(d, c)) * 100;
}

void TMapFlows::Progress(int a, int b, int c, int d) {
    if (!FReportProgress)
        return;
    FProgress = ProgressPercent(a, b, c, d);
    if (FReceiving && OnReceiveProgress)
        OnReceiveProgress(FProgress);
    if (FSending && OnSendProgress)
        OnSendProgress(FProgress);
}

// ---- reading ----

int TMapFlows::Read(const TDeviceID& id, TQCMap& map) {
    FReceiving = true;
    FSending = false;
    TQCMapTransferDevice transfer(&map, FUI);
    transfer.OnReadProgress = [this](int a, int b, int c, int d) { Progress(a, b, c, d); };
    const int status = transfer.ReadMap(FDevManager, id);
    FReceiving = false;
    return status;
}

int TMapFlows::GetMap(const TDeviceID& id, TQCMap& map) {
    const int status = Read(id, map);
    SetDeviceCopy(status == 0 ? &map : nullptr);
    return status;
}

int TMapFlows::ReadDeviceCopy(const TDeviceID& id) {
    FReportProgress = false;
    TQCMap map;
    const int status = Read(id, map);
    FReportProgress = true;
    SetDeviceCopy(status == 0 ? &map : nullptr);
    return status;
}

TQCMap* TMapFlows::GetDeviceCopy(const TDeviceID& id) {
    if (!FDeviceCopy)
        ReadDeviceCopy(id);
    return FDeviceCopy.get();
}

void TMapFlows::SetDeviceCopy(const TQCMap* map) { FDeviceCopy.reset(map ? new TQCMap(*map) : nullptr); }

// ---- position operations ----

void TMapFlows::RemovePosition(TQCDeviceMap& deviceMap, int position) {
    std::lock_guard<std::recursive_mutex> guard(deviceMap.Mutex());
    for (int i = deviceMap.FHeaders.Count() - 1; i >= 0; --i)
        if (deviceMap.FHeaders.Get(i)->FPosition == position)
            deviceMap.FHeaders.Delete(i);
    for (int i = deviceMap.FAxes.Count() - 1; i >= 0; --i)
        if (deviceMap.FAxes.Get(i)->FPosition == position)
            deviceMap.FAxes.Delete(i);
    if (TQCPosition* found = deviceMap.FPositions.Find(position))
        deviceMap.FPositions.Remove(found);
}

void TMapFlows::DeletePosition(TQCMap& map, int position) {
    for (TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot())
        RemovePosition(*deviceMap, position);
}

void TMapFlows::KeepOnlyPosition(TQCMap& map, int keep) {
    for (TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot()) {
        const auto positions = deviceMap->FPositions.Snapshot();
        for (auto it = positions.rbegin(); it != positions.rend(); ++it)
            if ((*it)->FNumber != keep)
                RemovePosition(*deviceMap, (*it)->FNumber);
    }
}

void TMapFlows::CopyPosition(TQCDeviceMap& deviceMap, const TQCDeviceMap& source, int from, int to) {
    deviceMap.CopyPositionAxes(source, from, to);
    deviceMap.CopyPositionHeaders(source, from, to);
    deviceMap.CopyPositionName(source, from, to);
}

void TMapFlows::CopyPositionAll(TQCMap& map, const TQCMap& source, int from, int to) {
    if (&map == &source && from == to)
        return;   // deleting first would leave nothing to copy
    DeletePosition(map, to);
    for (TQCDeviceMap* deviceMap : map.FDeviceMaps.Snapshot())
        if (const TQCDeviceMap* origin = source.GetDeviceMap(deviceMap->FModuleType))
            CopyPosition(*deviceMap, *origin, from, to);
}

std::unique_ptr<TQCMap> TMapFlows::CutPosition(const TQCMap& map, int position) {
    std::lock_guard<std::recursive_mutex> guard(map.Mutex());
    auto copy = std::make_unique<TQCMap>(map);
    KeepOnlyPosition(*copy, 1);
    CopyPositionAll(*copy, map, position, 1);
    return copy;
}

// ---- sending ----

int TMapFlows::SendChecked(TQCMap& map, const TDeviceID& id) {
    const TQCDeviceMap* kzd = map.KZDMap();
    if (kzd && (kzd->TableMemoryUsage() > 100 || kzd->HeaderMemoryUsage() > 100)) {
        if (FUI)
            FUI->ShowMessage(Text("The map is too large for the device memory."), Text("Error"),
                             TUIBridge::TMessageKind::Error);
        return StatusTooLarge;
    }
    FReceiving = false;
    FSending = true;
    TQCMapTransferDevice transfer(&map, FUI);
    transfer.OnWriteProgress = [this](int a, int b, int c, int d) { Progress(a, b, c, d); };
    const int status = transfer.SendMap(FDevManager, id);
    FSending = false;
    if (status == 0)
        SetDeviceCopy(&map);
    return status;
}

int TMapFlows::SendToPosition(const TQCMap& map, const TDeviceID& id, int target, std::unique_ptr<TQCMap>* sent) {
    const TQCDeviceMap* kzd = map.KZDMap();
    if (target < 0 || target > 63 || !kzd || kzd->FPositions.Count() != 1)
        return StatusBadPosition;
    const int from = kzd->FPositions.Get(0)->FNumber;
    const TQCMap* copy = GetDeviceCopy(id);
    if (!copy)
        return -1;
    if (copy->KZDMap() && copy->KZDMap()->FPositions.Find(target)) {
        const std::string question = Text("The map currently contains tables in position") + " " +
                                     std::to_string(target) + "." + "\r\n" +
                                     Text("Do you wish to continue and overwrite it?");
        if (!FUI || !FUI->AskYesNo(question, Text("Confirm")))
            return StatusDeclined;
    }
    auto merged = std::make_unique<TQCMap>(*copy);
    DeletePosition(*merged, target);
    if (TQCDeviceMap* into = merged->KZDMap())
        CopyPosition(*into, *kzd, from, target);
    const int status = SendChecked(*merged, id);
    if (status == 0 && sent)
        *sent = std::move(merged);
    return status;
}
