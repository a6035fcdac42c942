#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "Cli.h"

// What one kzdctl run gave: its exit status and both streams.
struct TRun {
    int Status;
    std::string Out, Err;
};

// Runs kzdctl in this process with argv[1..] = args.
inline TRun Kzdctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunKzdctl(args, out, err);
    return {status, out.str(), err.str()};
}
