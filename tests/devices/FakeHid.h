#pragma once
// A test HID backend: devices whose input reports are scripted by the test
// (raw report bytes, or replies framed by a message-level responder), with
// report lengths and faults that the report link cannot carry.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Hidbackend.h"

using TBytes = std::vector<std::uint8_t>;

class TFakeDevice {
public:
    TFakeDevice(std::string path, std::uint16_t vendorId, std::uint16_t productId, int inputLength = 65,
                int outputLength = 65)
        : Path(std::move(path)), VendorId(vendorId), ProductId(productId), InputLength(inputLength),
          OutputLength(outputLength) {}

    const std::string Path;
    const std::uint16_t VendorId, ProductId;
    const int InputLength, OutputLength;

    std::atomic<bool> FailOpen{false};
    std::atomic<int> Opens{0};
    std::atomic<int> LiveConnections{0};

    // Called (on the writing thread) with every output report.
    void SetOnOutput(std::function<void(const TBytes& report)> handler);
    // Queues one input report as delivered (report id first).
    void QueueInput(TBytes report);
    // Device gone: reads fail, writes fail; Replug brings it back.
    void Unplug();
    void Replug();
    bool Plugged() const { return FPlugged.load(); }
    std::vector<TBytes> Outputs() const;
    int OutputCount() const;

    // Used by the fake connection.
    int Read(std::uint8_t* buffer, int size, int timeoutMs);
    int Write(const std::uint8_t* report, int length);

private:
    mutable std::mutex FLock;
    std::condition_variable FInputReady;
    std::deque<TBytes> FInput;
    std::vector<TBytes> FOutputs;
    std::function<void(const TBytes&)> FOnOutput;
    std::atomic<bool> FPlugged{true};
};

class TFakeBackend : public THIDBackend {
public:
    std::shared_ptr<TFakeDevice> Add(std::string path, std::uint16_t vendorId, std::uint16_t productId,
                                     int inputLength = 65, int outputLength = 65);
    void RemoveAll();
    std::vector<THIDDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    std::unique_ptr<THIDConnection> Open(const std::string& path) override;
    std::string Name() const override { return "fake"; }

private:
    std::mutex FLock;
    std::vector<std::shared_ptr<TFakeDevice>> FDevices;
};

// One request as a device sees it.
struct TFakeRequest {
    std::uint16_t Command = 0;
    TBytes Data;
};

// Message level of a fake device: puts the output reports together into
// requests (any length) and answers each with what the responder returns,
// framed into input reports of the device's input length (its own tags).
// A responder returning no replies leaves the request unanswered.
struct TFakeReply {
    std::uint16_t Command = 0;
    TBytes Data;
};
using TFakeResponder = std::function<std::vector<TFakeReply>(const TFakeRequest&)>;

class TFakeMessageDevice {
public:
    TFakeMessageDevice(std::shared_ptr<TFakeDevice> device, TFakeResponder responder);
    ~TFakeMessageDevice();
    std::vector<TFakeRequest> Requests() const;
    int CountOf(std::uint16_t command) const;
    void ClearRequests();
    // Frames a reply into input reports of the device's input length.
    static std::vector<TBytes> FrameReply(const TFakeReply& reply, std::uint32_t tag, int inputLength);
    void Send(const TFakeReply& reply);

private:
    void OnOutput(const TBytes& report);

    std::shared_ptr<TFakeDevice> FDevice;
    TFakeResponder FResponder;
    mutable std::mutex FLock;
    std::vector<TFakeRequest> FRequests;
    TBytes FPartial;
    std::uint32_t FPartialTag = 0;
    int FPartialTotal = 0;
    std::uint32_t FNextTag = 0x12340001;
};

// A KZD unit in memory: FRAM and flash images with a valid table tree, and
// every command of the controller's set. Tests change its memory, its
// replies (Override) or make it silent.
class TFakeKZD {
public:
    static constexpr std::uint32_t KFramSize = 0x8000;
    static constexpr std::uint32_t KFlashSize = 0x40000;
    // Table tree addresses of the factory image.
    static constexpr std::uint32_t KRoot = 0x5000, KROTable = 0x7000, KRWTable = 0x8000;
    static constexpr std::uint32_t KFramTable = 0x6800, KFeatureTable = 0x6900;

    TFakeKZD();
    TFakeResponder Responder();

    std::vector<std::uint8_t> Fram, Flash;
    // Returning a value replaces the normal replies of a request.
    std::function<std::optional<std::vector<TFakeReply>>(const TFakeRequest&)> Override;
    std::atomic<bool> Silent{false};
    std::uint32_t DeviceInfoWord(int word) const;
    void SetDeviceInfoWord(int word, std::uint32_t value);
    void PutFlash32(std::uint32_t address, std::uint32_t value);
    void PutFram32(std::uint32_t address, std::uint32_t value);
    std::uint32_t Fram32(std::uint32_t address) const;
    // Address of a structure below the RAM configuration or feature table.
    std::uint32_t RamWord(std::uint32_t table, int word) const { return Fram32(table + 4u * word) & 0x7FFFFFFFu; }

private:
    std::vector<TFakeReply> Answer(const TFakeRequest& request);
    std::uint8_t FDeviceInfo[32] = {};
    std::mutex FLock;
};

// Starts a TFakeKZD on a fake backend device "/fake/kzd" (f1a0:0506).
struct TFakeUnit {
    explicit TFakeUnit(int inputLength = 65, int outputLength = 65);
    std::shared_ptr<TFakeBackend> Backend = std::make_shared<TFakeBackend>();
    std::shared_ptr<TFakeDevice> Device;
    TFakeKZD Kzd;
    std::unique_ptr<TFakeMessageDevice> Messages;
};
