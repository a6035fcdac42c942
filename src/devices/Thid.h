#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Hidbackend.h"

// One HID device connection: finds devices by vendor and product id, opens
// one, writes output reports and hands every input report to its owner from
// its own read thread.
//
// Threads: Open, OpenPath and Close are called by one managing thread at a
// time (the enumeration thread, or the owner's destructor); Write by any
// sending thread; the report handler runs on the read thread. Close never
// waits for the read thread while holding the lock that Write takes, so a
// close during a send cannot deadlock: the read thread ends within one read
// poll (50 ms) plus the handler's own run, a Write in progress within its
// report time limit (100 ms per report).
class THID {
public:
    // Called on the read thread with each input report: report id in byte 0,
    // length the bytes delivered (65 for the family's devices). It must be
    // thread-safe and must not call Open, OpenPath or Close.
    using TReportHandler = std::function<void(const std::uint8_t* report, int length)>;

    // Devices with shorter reports cannot carry the message framing (tag and
    // data out, tag, command and length in) and are not opened.
    static constexpr int KMinOutputReportLength = 6;
    static constexpr int KMinInputReportLength = 9;
    static constexpr int KWriteTimeoutMs = 100;
    static constexpr int KReadPollMs = 50;

    explicit THID(std::shared_ptr<THIDBackend> backend);
    ~THID();
    THID(const THID&) = delete;
    THID& operator=(const THID&) = delete;

    // Set before opening; replaces the handler of the next open.
    void SetReportHandler(TReportHandler handler);

    // Paths of the present devices whose ids match (0 = any), in order.
    std::vector<std::string> EnumeratePaths(std::uint16_t vendorId, std::uint16_t productId);
    // The ids of a present device path; false when the path is not present.
    bool GetIds(const std::string& path, std::uint16_t& vendorId, std::uint16_t& productId);
    // Every present device with its ids.
    std::vector<THIDDeviceInfo> ListDevices();

    // Opens the single present device with these ids and keeps it open while
    // it stays attached. Closes when none or more than one match; closes and
    // reopens in the same call when the matching path changed or the read
    // thread found the device gone. Returns whether a device is open after.
    bool Open(std::uint16_t vendorId, std::uint16_t productId);
    // Opens a path when nothing is open. Fails (and leaves nothing behind)
    // when the path cannot be opened, its vendor id differs from the one of
    // the last Open, or its reports are too short. Returns the open flag.
    bool OpenPath(const std::string& path);
    // Stops the read thread, then closes the device. Safe when closed.
    void Close();

    bool IsOpen() const;
    // The read thread saw the device fail or go away (reset by each open).
    bool DeviceGone() const { return FGone.load(); }
    std::string OpenedPath() const;
    std::uint16_t VendorId() const { return FVendorId; }
    std::uint16_t ProductId() const { return FProductId; }
    // Output report length - 1 (the bytes after the report id); 0 when closed.
    int PayloadSize() const;
    int InputReportLength() const;

    // Sends data in output reports of the device's length: report id 0, up to
    // length - 1 data bytes, zeros after. Returns the data bytes sent; fewer
    // than asked when a report fails or takes longer than 100 ms, 0 when closed.
    int Write(const std::uint8_t* data, int length);

private:
    bool OpenPathLocked(const std::string& path, std::uint16_t vendorId);
    void CloseLocked();
    void ReadLoop(THIDConnection* connection, int inputLength, TReportHandler handler);

    std::shared_ptr<THIDBackend> FBackend;
    std::mutex FOpenLock;      // Open, OpenPath, Close
    mutable std::mutex FLock;  // the connection as Write uses it
    std::unique_ptr<THIDConnection> FConnection;
    std::vector<std::uint8_t> FOutput;
    int FInputLength = 0;
    std::string FPath;
    std::uint16_t FVendorId = 0;
    std::uint16_t FProductId = 0;
    TReportHandler FHandler;
    std::thread FReadThread;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FGone{false};
};
