#pragma once
#include "Simstate.h"
#include "Simunit.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The device simulator: simulated units of the family served on a report-link
// directory (one SOCK_SEQPACKET socket file per attached unit, 65-byte
// reports), so that the program's whole device stack runs against it through
// real report bytes. It runs inside a test or tool process (TSimulator) or as
// its own process (kzd-sim DIR). TSimFault, TSimUnitOptions and TSimUnit are
// declared in Simunit.h.

class TSimulator {
public:
    // Serves on linkDir (created when missing). An empty linkDir makes a fresh
    // temporary directory that is removed on destruction.
    explicit TSimulator(std::string linkDir = {});
    ~TSimulator();
    TSimulator(const TSimulator&) = delete;
    TSimulator& operator=(const TSimulator&) = delete;

    const std::string& LinkDir() const;
    // Attaches a unit (its socket file appears); returns it. A name already
    // used by another unit of this simulator is replaced by "kzdN" with the
    // smallest free N. Throws std::invalid_argument for a name with other
    // characters than letters, digits, '_' and '-', and std::runtime_error
    // when the socket file cannot be served (for one, a path over 107 bytes).
    TSimUnit& AddUnit(const TSimUnitOptions& options = {});
    int UnitCount() const;
    TSimUnit& Unit(int index);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
