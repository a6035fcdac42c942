#pragma once
#include "LinkClient.h"
#include "Simulator.h"

#include <gtest/gtest.h>

// A simulator with one unit and a connected client.
class SimFixture : public ::testing::Test {
protected:
    static TSimUnitOptions FastOptions() {
        TSimUnitOptions o;
        o.BootDelayMs = 0;
        return o;
    }
    void SetUp() override {
        FUnit = &FSim.AddUnit(FastOptions());
        ASSERT_TRUE(FClient.Connect(FUnit->SocketPath()));
        ASSERT_TRUE(FUnit->WaitConnected(true, 5000));
    }
    // Reads through the wire in pieces of at most 256 bytes; empty on failure.
    std::vector<std::uint8_t> Read(std::uint16_t command, std::uint32_t address, std::size_t length) {
        std::vector<std::uint8_t> out;
        for (std::size_t at = 0; at < length; at += 256) {
            const auto n = std::uint16_t(std::min<std::size_t>(256, length - at));
            auto reply = FClient.Call(command, MemoryRequest(address + std::uint32_t(at), n));
            if (!reply || reply->Data.size() != 1u + n || reply->Data[0] != 0) return {};
            out.insert(out.end(), reply->Data.begin() + 1, reply->Data.end());
        }
        return out;
    }
    std::vector<std::uint8_t> ReadFram(std::uint32_t a, std::size_t n) { return Read(0x0003, a, n); }
    std::vector<std::uint8_t> ReadFlash(std::uint32_t a, std::size_t n) { return Read(0x0006, a, n); }
    // Status byte of a one-byte status reply, -1 without a reply.
    int StatusOf(std::uint16_t command, const std::vector<std::uint8_t>& data = {}) {
        auto reply = FClient.Call(command, data);
        if (!reply || reply->Data.size() != 1) return -1;
        return reply->Data[0];
    }

    TSimulator FSim;
    TSimUnit* FUnit = nullptr;
    TLinkClient FClient;
};
