#include "Hidapibackend.h"

#include <hidapi/hidapi.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "Reportdescriptor.h"

namespace {

constexpr int KFamilyReportLength = 65;

void InitHidapiOnce() {
    static std::once_flag once;
    std::call_once(once, [] { hid_init(); });
}

class THidapiConnection : public THIDConnection {
public:
    THidapiConnection(hid_device* reader, hid_device* writer, TReportLengths lengths)
        : FReader(reader), FWriter(writer), FLengths(lengths) {}
    ~THidapiConnection() override {
        hid_close(FReader);
        hid_close(FWriter);
    }
    int InputReportLength() const override { return FLengths.Input; }
    int OutputReportLength() const override { return FLengths.Output; }

    int Read(std::uint8_t* buffer, int size, int timeoutMs) override {
        if (size < 2)
            return -1;
        // Unnumbered reports arrive without their id byte: read behind it.
        const int skip = FLengths.Numbered ? 0 : 1;
        const int n = hid_read_timeout(FReader, buffer + skip, static_cast<size_t>(size - skip), timeoutMs);
        if (n <= 0)
            return n < 0 ? -1 : 0;
        if (skip)
            buffer[0] = 0;
        return n + skip;
    }
    // hidraw writes are synchronous with the kernel's own transfer time limit.
    int Write(const std::uint8_t* report, int length, int /*timeoutMs*/) override {
        const int n = hid_write(FWriter, report, static_cast<size_t>(length));
        return n == length ? length : -1;
    }

private:
    hid_device* FReader;
    hid_device* FWriter;
    TReportLengths FLengths;
};

}  // namespace

TReportLengths HidrawReportLengths(const std::string& path) {
    TReportLengths lengths{KFamilyReportLength, KFamilyReportLength, false};
    const auto slash = path.rfind('/');
    const std::string node = slash == std::string::npos ? path : path.substr(slash + 1);
    std::ifstream in("/sys/class/hidraw/" + node + "/device/report_descriptor", std::ios::binary);
    if (!in)
        return lengths;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TReportLengths parsed;
    if (!bytes.empty() && ParseReportDescriptor(bytes.data(), bytes.size(), parsed))
        return parsed;
    return lengths;
}

THidapiBackend::THidapiBackend() { InitHidapiOnce(); }

std::vector<THIDDeviceInfo> THidapiBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<THIDDeviceInfo> found;
    hid_device_info* list = hid_enumerate(vendorId, productId);
    for (hid_device_info* d = list; d; d = d->next) {
        // Only devices that this user may open for reading and writing.
        if (d->path && access(d->path, R_OK | W_OK) == 0)
            found.push_back({d->path, d->vendor_id, d->product_id});
    }
    hid_free_enumeration(list);
    return found;
}

std::unique_ptr<THIDConnection> THidapiBackend::Open(const std::string& path) {
    hid_device* reader = hid_open_path(path.c_str());
    if (!reader)
        return nullptr;
    hid_device* writer = hid_open_path(path.c_str());
    if (!writer) {
        hid_close(reader);
        return nullptr;
    }
    return std::make_unique<THidapiConnection>(reader, writer, HidrawReportLengths(path));
}
