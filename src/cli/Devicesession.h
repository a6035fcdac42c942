#pragma once
#include <memory>
#include <optional>
#include <string>

#include "Cli.h"
#include "Devicemanager.h"
#include "Timeout.h"
#include "Uibridge.h"

class TSimulator;
class TQC7;

// The devices a device command works with: the source chosen by --device
// (a simulated unit inside this process, a link directory or real USB), a
// device manager over it, and the device picked by --id.
//
// Like the main window, the session keeps enumeration passes running once a
// second while the command waits (Wait), so that a unit restarting into its
// boot loader and back is seen.
class TDeviceSession {
public:
    TDeviceSession();
    ~TDeviceSession();

    // Sets up the source and runs the first pass. On failure writes the error
    // line and returns the exit status to end with; 0 when ready.
    int Open(TCliContext& ctx);
    // Picks the device: --id when given, else the first KZD unit, else the
    // first controller. Writes the error line and returns nullopt when none.
    std::optional<TDeviceID> Pick(TCliContext& ctx);
    // The controller driver of id (DriverOf), or nullptr.
    TQC7* Driver(const TDeviceID& id) const;

    // Waits ms milliseconds processing UI work and starting a pass a second.
    void Wait(int ms);
    TDevManager& Manager() { return *FManager; }
    TUIBridge& UI() { return FUI; }

    // The state file of the simulated unit of "--device sim".
    static std::string DefaultSimStateFile();
    // Parses "KIND:CONN:NUMBER"; nullopt when malformed.
    static std::optional<TDeviceID> ParseId(const std::string& text);

private:
    int OpenSimulator(TCliContext& ctx, const std::string& spec);

    TPlainUIBridge FUI;
    std::unique_ptr<TSimulator> FSim;
    std::unique_ptr<TDevManager> FManager;
    TMonotonicClock::time_point FLastPass;
};
