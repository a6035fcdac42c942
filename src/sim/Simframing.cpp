#include "Simframing.h"
#include "Simmemory.h"
#include "Simprotocol.h"

#include <algorithm>

using namespace SimProtocol;

TSimAssembler::TSimAssembler(int maxData) : FMaxData(maxData) {}

std::optional<TSimMessage> TSimAssembler::Feed(const TSimReport& report) {
    const std::uint32_t tag = SimGet32(&report[1]);
    const std::uint8_t* stream = &report[1 + TagSize];
    if (FPartial && FPartial->Message.Tag == tag) {
        auto& data = FPartial->Message.Data;
        const std::size_t take = std::min<std::size_t>(FPartial->Expected - data.size(), StreamBytesPerReport);
        data.insert(data.end(), stream, stream + take);
    } else {
        if (FPartial) ++FDropped;
        FPartial.reset();
        const std::uint16_t command = SimGet16(stream);
        const std::uint16_t total = SimGet16(stream + 2);
        if (total < HeaderSize || total > HeaderSize + FMaxData) {
            ++FDropped;
            return std::nullopt;
        }
        TPartial partial;
        partial.Message.Command = command;
        partial.Message.Tag = tag;
        partial.Expected = total - HeaderSize;
        const std::size_t take = std::min<std::size_t>(partial.Expected, StreamBytesPerReport - HeaderSize);
        partial.Message.Data.assign(stream + HeaderSize, stream + HeaderSize + take);
        FPartial = std::move(partial);
    }
    if (FPartial->Message.Data.size() < FPartial->Expected) return std::nullopt;
    TSimMessage done = std::move(FPartial->Message);
    FPartial.reset();
    return done;
}

TSimTagSource::TSimTagSource(std::uint32_t seed) : FState(seed ? seed : 0x2545F491u) {}

std::uint32_t TSimTagSource::Random15() {
    FState ^= FState << 13;
    FState ^= FState >> 17;
    FState ^= FState << 5;
    return FState & 0x7FFF;
}

std::uint32_t TSimTagSource::Next() {
    std::uint32_t tag = 0;
    do {
        tag = Random15() << 16 | Random15();
    } while (tag == FLast);
    FLast = tag;
    return tag;
}

std::vector<TSimReport> SimCutMessage(std::uint16_t command, const std::vector<std::uint8_t>& data,
                                      std::uint32_t tag, std::optional<std::uint16_t> totalLengthField) {
    std::vector<std::uint8_t> stream(HeaderSize + data.size());
    SimPut16(stream.data(), command);
    SimPut16(stream.data() + 2, totalLengthField ? *totalLengthField : std::uint16_t(data.size() + HeaderSize));
    std::copy(data.begin(), data.end(), stream.begin() + HeaderSize);
    std::vector<TSimReport> reports;
    for (std::size_t at = 0; at < stream.size(); at += StreamBytesPerReport) {
        TSimReport report{};
        SimPut32(&report[1], tag);
        const std::size_t take = std::min<std::size_t>(stream.size() - at, StreamBytesPerReport);
        std::copy_n(stream.begin() + at, take, report.begin() + 1 + TagSize);
        reports.push_back(report);
    }
    return reports;
}
