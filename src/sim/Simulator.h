#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The device simulator: simulated units of the family served on a report-link
// directory (one SOCK_SEQPACKET socket file per attached unit, 65-byte
// reports), so that the program's whole device stack runs against it through
// real report bytes. It runs inside a test or tool process (TSimulator) or as
// its own process (kzd-sim DIR).

// Faults that a unit can be told to inject, counted over the requests it
// receives (1 = the first request after the fault was set).
struct TSimFault {
    enum class TKind { None, DropReply, DelayReply, CorruptReply, DetachAfter };
    TKind Kind = TKind::None;
    int Nth = 0;          // which request (1-based) the fault applies to
    int DelayMs = 0;      // DelayReply
};

struct TSimUnitOptions {
    std::string Name = "kzd1";          // the NAME part of the socket file name
    std::uint16_t VendorId = 0xF1A0;
    std::uint16_t ProductId = 0x0506;   // KZD unit
    int ReportIntervalUs = 0;           // 1000 models a full-speed interrupt endpoint
    std::string StateFile;              // memory kept between runs ("" = none)
};

class TSimUnit;

class TSimulator {
public:
    // Serves on linkDir (created when missing). An empty linkDir makes a fresh
    // temporary directory that is removed on destruction.
    explicit TSimulator(std::string linkDir = {});
    ~TSimulator();
    TSimulator(const TSimulator&) = delete;
    TSimulator& operator=(const TSimulator&) = delete;

    const std::string& LinkDir() const;
    // Attaches a unit (its socket file appears); returns it.
    TSimUnit& AddUnit(const TSimUnitOptions& options = {});
    int UnitCount() const;
    TSimUnit& Unit(int index);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
