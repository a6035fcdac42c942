#pragma once
#include <string>

class TSimMemory;

// The state file of a unit: its FRAM and flash images and whether it runs
// its boot loader, as a real unit keeps them across power cycles. The file
// is written to a temporary name beside it and renamed into place, so a
// crash never leaves half a file; a file that is short, of another format or
// whose checksum fails is refused.

struct TSimStoredState {
    bool InBootloader = false;
};

bool SimSaveState(const std::string& path, const TSimMemory& memory, const TSimStoredState& state,
                  std::string* error = nullptr);
// On failure memory and state are left untouched.
bool SimLoadState(const std::string& path, TSimMemory& memory, TSimStoredState& state, std::string* error = nullptr);

// Where a unit run inside the program keeps its state: the user's cache
// folder ($XDG_CACHE_HOME, else ~/.cache)/kzd-control-center/sim-NAME.state.
// The folder is created when the state is first saved.
std::string SimDefaultStateFile(const std::string& unitName = "kzd1");
