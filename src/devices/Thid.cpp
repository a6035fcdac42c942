#include "Thid.h"

#include <algorithm>
#include <cstring>
#include <system_error>

THID::THID(std::shared_ptr<THIDBackend> backend) : FBackend(std::move(backend)) {}

THID::~THID() { Close(); }

void THID::SetReportHandler(TReportHandler handler) {
    std::lock_guard<std::mutex> guard(FOpenLock);
    FHandler = std::move(handler);
}

std::vector<std::string> THID::EnumeratePaths(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<std::string> paths;
    for (auto& info : FBackend->Enumerate(vendorId, productId))
        paths.push_back(std::move(info.Path));
    return paths;
}

bool THID::GetIds(const std::string& path, std::uint16_t& vendorId, std::uint16_t& productId) {
    for (const auto& info : FBackend->Enumerate(0, 0)) {
        if (info.Path == path) {
            vendorId = info.VendorId;
            productId = info.ProductId;
            return true;
        }
    }
    return false;
}

std::vector<THIDDeviceInfo> THID::ListDevices() { return FBackend->Enumerate(0, 0); }

bool THID::Open(std::uint16_t vendorId, std::uint16_t productId) {
    std::lock_guard<std::mutex> guard(FOpenLock);
    const auto paths = EnumeratePaths(vendorId, productId);
    if (paths.size() != 1) {
        CloseLocked();
        return false;
    }
    if (IsOpen() && (paths[0] != OpenedPath() || FGone.load()))
        CloseLocked();
    if (!IsOpen()) {
        FVendorId = vendorId;
        FProductId = productId;
        OpenPathLocked(paths[0], vendorId);
    }
    return IsOpen();
}

bool THID::OpenPath(const std::string& path) {
    std::lock_guard<std::mutex> guard(FOpenLock);
    std::uint16_t vendorId = 0, productId = 0;
    if (IsOpen() || !GetIds(path, vendorId, productId))
        return IsOpen();
    if (FVendorId != 0 && vendorId != FVendorId)
        return false;
    return OpenPathLocked(path, vendorId);
}

bool THID::OpenPathLocked(const std::string& path, std::uint16_t vendorId) {
    if (IsOpen())
        return true;
    std::unique_ptr<THIDConnection> connection = FBackend->Open(path);
    if (!connection)
        return false;
    const int inputLength = connection->InputReportLength();
    const int outputLength = connection->OutputReportLength();
    if (outputLength < KMinOutputReportLength || inputLength < KMinInputReportLength)
        return false;  // the connection closes as it goes out of scope
    FStop = false;
    FGone = false;
    THIDConnection* reader = connection.get();
    try {
        FReadThread = std::thread(&THID::ReadLoop, this, reader, inputLength, FHandler);
    } catch (const std::system_error&) {
        return false;
    }
    std::lock_guard<std::mutex> guard(FLock);
    FConnection = std::move(connection);
    FOutput.assign(static_cast<std::size_t>(outputLength), 0);
    FInputLength = inputLength;
    FPath = path;
    FVendorId = vendorId;
    return true;
}

void THID::Close() {
    std::lock_guard<std::mutex> guard(FOpenLock);
    CloseLocked();
}

void THID::CloseLocked() {
    // The read thread ends first, without FLock held: its handler may wait for
    // a sender that itself waits for FLock in Write.
    FStop = true;
    if (FReadThread.joinable())
        FReadThread.join();
    std::unique_ptr<THIDConnection> closing;
    {
        std::lock_guard<std::mutex> guard(FLock);
        closing = std::move(FConnection);
        FOutput.clear();
        FInputLength = 0;
        FPath.clear();
    }
}

void THID::ReadLoop(THIDConnection* connection, int inputLength, TReportHandler handler) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(inputLength));
    while (!FStop.load()) {
        const int n = connection->Read(buffer.data(), inputLength, KReadPollMs);
        if (n > 0) {
            if (handler)
                handler(buffer.data(), n);
        } else if (n < 0) {
            FGone = true;  // the next Open closes and reopens
            return;
        }
    }
}

bool THID::IsOpen() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FConnection != nullptr;
}

std::string THID::OpenedPath() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FPath;
}

int THID::PayloadSize() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FOutput.empty() ? 0 : static_cast<int>(FOutput.size()) - 1;
}

int THID::InputReportLength() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FInputLength;
}

int THID::Write(const std::uint8_t* data, int length) {
    std::lock_guard<std::mutex> guard(FLock);
    if (!FConnection || !data || length <= 0)
        return 0;
    const int reportLength = static_cast<int>(FOutput.size());
    const int chunkMax = reportLength - 1;
    int sent = 0;
    while (sent < length) {
        const int chunk = std::min(chunkMax, length - sent);
        std::fill(FOutput.begin(), FOutput.end(), std::uint8_t{0});
        std::memcpy(FOutput.data() + 1, data + sent, static_cast<std::size_t>(chunk));
        if (FConnection->Write(FOutput.data(), reportLength, KWriteTimeoutMs) != reportLength)
            break;
        sent += chunk;
    }
    return sent;
}
