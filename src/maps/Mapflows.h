#pragma once
#include <functional>
#include <memory>
#include <string>

#include "Deviceid.h"
#include "Qcmap.h"

class TDevManager;
class TUIBridge;

// The window-free map flows of the map editor: the read of a device's map
// with the device copy kept beside it, the one-position cut of a save, the
// checked send and the send of a one-position map into a target position.
// The editor calls them; kzdctl calls them now.
//
// Statuses: 0 success; the transfer's statuses (Qcmaptransferdevice.h)
// passed through; StatusTooLarge for a map over the device's memory (the
// error message has been shown); StatusDeclined when the user answered No to
// overwriting an occupied position; StatusBadPosition for a target outside
// 0..63 or a map without exactly one KZD position. Nothing is written to the
// device in the last three cases.
//
// Every operation runs on the caller's (UI) thread and blocks while it talks
// to the device (each driver request up to its 1000 ms limit).
class TMapFlows {
public:
    enum : int { StatusTooLarge = -100, StatusDeclined = -101, StatusBadPosition = -102 };
    using TPercentEvent = std::function<void(double percent)>;
    using TTranslate = std::function<std::string(const std::string& text)>;

    // devManager gives the drivers, ui shows the messages and asks the
    // questions (neither owned; ui may be nullptr: no message, questions
    // answered No).
    TMapFlows(TDevManager* devManager, TUIBridge* ui);
    ~TMapFlows();
    TMapFlows(const TMapFlows&) = delete;
    TMapFlows& operator=(const TMapFlows&) = delete;

    TPercentEvent OnReceiveProgress;
    TPercentEvent OnSendProgress;
    // Translates the texts shown to the user; they are shown as they are when empty.
    TTranslate Translate;

    double FProgress = 0;
    bool FReportProgress = true;

    // The progress of module a of b, done d of c, in percent; a quotient
    // whose divisor is 0 counts 0.
    static double ProgressPercent(int a, int b, int c, int d);

    // Reads the device's map into map (cleared first). On success the map is
    // also stored as the device copy; on failure map holds what was read so
    // far and the device copy is dropped, so that the next send reads the
    // device again instead of merging into a partial map.
    int GetMap(const TDeviceID& id, TQCMap& map);
    // Reads the device's map into the device copy only, without progress.
    int ReadDeviceCopy(const TDeviceID& id);
    // The device copy, read first when there is none; nullptr when that read fails.
    TQCMap* GetDeviceCopy(const TDeviceID& id);
    const TQCMap* DeviceCopy() const { return FDeviceCopy.get(); }
    // Replaces the device copy by a copy of map (nullptr: none).
    void SetDeviceCopy(const TQCMap* map);

    // A copy of map whose device maps hold only their position `position`,
    // renumbered 1: what a map file holds.
    static std::unique_ptr<TQCMap> CutPosition(const TQCMap& map, int position);

    // Sends map when its KZD device map fits the device memory (else the
    // error "The map is too large for the device memory." and
    // StatusTooLarge); on success it becomes the device copy.
    int SendChecked(TQCMap& map, const TDeviceID& id);
    // Sends the one KZD position of map into position target of the device's
    // map: a copy of the device copy (read first when missing) loses
    // position target and takes map's position there; an occupied target is
    // overwritten only after Yes to the question. On success the merged map
    // is the device copy and, when sent is given, a copy of it goes there.
    // map and the old device copy stay as they were on every failure.
    int SendToPosition(const TQCMap& map, const TDeviceID& id, int target, std::unique_ptr<TQCMap>* sent = nullptr);

    // Position operations on whole maps (every device map).
    static void RemovePosition(TQCDeviceMap& deviceMap, int position);
    static void DeletePosition(TQCMap& map, int position);
    static void KeepOnlyPosition(TQCMap& map, int keep);
    static void CopyPosition(TQCDeviceMap& deviceMap, const TQCDeviceMap& source, int from, int to);
    // DeletePosition(map, to), then CopyPosition for every device map of map
    // that source has too. The same map and position leave it unchanged.
    static void CopyPositionAll(TQCMap& map, const TQCMap& source, int from, int to);

private:
    TDevManager* FDevManager;
    TUIBridge* FUI;
    std::unique_ptr<TQCMap> FDeviceCopy;
    bool FReceiving = false;
    bool FSending = false;

    int Read(const TDeviceID& id, TQCMap& map);
    void Progress(int a, int b, int c, int d);
    std::string Text(const std::string& text) const;
};
