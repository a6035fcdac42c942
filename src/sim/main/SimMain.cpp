// kzd-sim: serves simulated KZD units on a report-link directory until
// stopped (SIGINT or SIGTERM remove the socket files).
#include "Simlink.h"
#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* Usage =
    "usage: kzd-sim DIR [options]\n"
    "Serves simulated KZD units on the report-link directory DIR (created when\n"
    "missing) until stopped with Ctrl-C or SIGTERM, which remove the socket files.\n"
    "\n"
    "options:\n"
    "  --units N                 number of units (default 1), named kzd1..kzdN\n"
    "  --name NAME               name of a single unit (default kzd1)\n"
    "  --report-interval-us N    one report per N microseconds each way (1000 models\n"
    "                            a full-speed interrupt endpoint; default 0 = no pacing)\n"
    "  --state FILE              keep the unit's memory in FILE between runs (unit k > 1\n"
    "                            uses FILE.k)\n"
    "  --fresh                   start from the factory state (and save it with --state)\n"
    "  --bootloader              start in the boot loader (product id 0503)\n"
    "  --boot-delay-ms N         time between detach and attach on a restart (default 200)\n"
    "  --silent                  answer no request\n"
    "  --drop-reply N[@CMD]      do not answer the N-th request (of command CMD)\n"
    "  --delay-reply N:MS[@CMD]  answer the N-th request MS milliseconds late\n"
    "  --corrupt-reply N[:flip|length|tag][@CMD]\n"
    "                            spoil the N-th reply: invert its first data byte\n"
    "                            (default), announce total length 513, or change the\n"
    "                            tag of its later reports\n"
    "  --detach-after N[:MS][@CMD]\n"
    "                            unplug on receiving the N-th request (unanswered) and\n"
    "                            plug in again after MS milliseconds (default: stay out)\n"
    "  --quiet                   print nothing but errors\n"
    "  --help                    this text\n"
    "\n"
    "Faults count the requests received from the start, 1 for the first. The vendor\n"
    "id is f1a0 unless KZD_VENDOR_ID names another (hexadecimal).\n";

struct TArgs {
    std::string Dir;
    int Units = 1;
    std::string Name;
    int IntervalUs = 0;
    std::string StateFile;
    bool Fresh = false, Bootloader = false, Silent = false, Quiet = false;
    int BootDelayMs = 200;
    std::vector<TSimFault> Faults;
};

[[noreturn]] void UsageError(const std::string& why) {
    std::cerr << "kzd-sim: " << why << "\n(kzd-sim --help lists the options)\n";
    std::exit(2);
}

int ParseInt(const std::string& text, const std::string& option, int base = 10) {
    try {
        std::size_t used = 0;
        const long v = std::stol(text, &used, base);
        if (used == text.size() && v >= 0 && v <= 100'000'000) return int(v);
    } catch (...) {
    }
    UsageError("bad number '" + text + "' for " + option);
}

// N[:ARG][@CMD]
TSimFault ParseFault(TSimFault::TKind kind, const std::string& text, const std::string& option) {
    TSimFault f;
    f.Kind = kind;
    std::string spec = text;
    if (const auto at = spec.find('@'); at != std::string::npos) {
        f.Command = std::uint16_t(ParseInt(spec.substr(at + 1), option, 16));
        spec.resize(at);
    }
    std::string arg;
    if (const auto colon = spec.find(':'); colon != std::string::npos) {
        arg = spec.substr(colon + 1);
        spec.resize(colon);
    }
    f.Nth = ParseInt(spec, option);
    if (f.Nth < 1) UsageError(option + " counts requests from 1");
    if (kind == TSimFault::TKind::CorruptReply) {
        if (arg == "length") f.Corruption = TSimFault::TCorruption::BadTotalLength;
        else if (arg == "tag") f.Corruption = TSimFault::TCorruption::SwitchTag;
        else if (!arg.empty() && arg != "flip") UsageError("unknown corruption '" + arg + "'");
    } else if (!arg.empty()) {
        f.DelayMs = ParseInt(arg, option);
    } else if (kind == TSimFault::TKind::DelayReply) {
        UsageError(option + " needs N:MS");
    }
    return f;
}

TArgs Parse(int argc, char** argv) {
    TArgs a;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& s = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) UsageError(s + " needs a value");
            return args[++i];
        };
        if (s == "--help" || s == "-h") {
            std::cout << Usage;
            std::exit(0);
        } else if (s == "--units") a.Units = ParseInt(value(), s);
        else if (s == "--name") a.Name = value();
        else if (s == "--report-interval-us") a.IntervalUs = ParseInt(value(), s);
        else if (s == "--state") a.StateFile = value();
        else if (s == "--fresh") a.Fresh = true;
        else if (s == "--bootloader") a.Bootloader = true;
        else if (s == "--boot-delay-ms") a.BootDelayMs = ParseInt(value(), s);
        else if (s == "--silent") a.Silent = true;
        else if (s == "--quiet") a.Quiet = true;
        else if (s == "--drop-reply") a.Faults.push_back(ParseFault(TSimFault::TKind::DropReply, value(), s));
        else if (s == "--delay-reply") a.Faults.push_back(ParseFault(TSimFault::TKind::DelayReply, value(), s));
        else if (s == "--corrupt-reply") a.Faults.push_back(ParseFault(TSimFault::TKind::CorruptReply, value(), s));
        else if (s == "--detach-after") a.Faults.push_back(ParseFault(TSimFault::TKind::DetachAfter, value(), s));
        else if (!s.empty() && s[0] == '-') UsageError("unknown option '" + s + "'");
        else if (a.Dir.empty()) a.Dir = s;
        else UsageError("more than one directory given");
    }
    if (a.Dir.empty()) UsageError("no link directory given");
    if (a.Units < 1 || a.Units > 16) UsageError("--units takes 1..16");
    if (!a.Name.empty() && a.Units > 1) UsageError("--name names a single unit");
    if (!a.Name.empty() && !SimValidUnitName(a.Name)) UsageError("a unit name holds only letters, digits, '_' and '-'");
    return a;
}

std::string UnitName(const TArgs& a, int k) { return a.Name.empty() ? "kzd" + std::to_string(k) : a.Name; }

// Refuses a directory whose socket paths would not fit before anything is created.
void CheckPathLength(const TArgs& a, const std::string& dir) {
    for (int k = 1; k <= a.Units; ++k) {
        const std::string path = dir + "/" + SimSocketFileName(SimFamilyVendorId(), 0x0506, UnitName(a, k));
        if (path.size() > SimMaxSocketPath) {
            std::cerr << "kzd-sim: link directory '" << dir << "' is too long: the socket path '" << path << "' has "
                      << path.size() << " bytes, more than the " << SimMaxSocketPath << " a Unix socket allows\n";
            std::exit(1);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const TArgs a = Parse(argc, argv);
    const std::string dir = std::filesystem::absolute(a.Dir).lexically_normal().string();
    CheckPathLength(a, dir);
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);   // the unit threads inherit the mask
    try {
        TSimulator sim(dir);
        for (int k = 1; k <= a.Units; ++k) {
            TSimUnitOptions o;
            o.Name = UnitName(a, k);
            o.UnitNumber = k;
            o.ReportIntervalUs = a.IntervalUs;
            o.BootDelayMs = a.BootDelayMs;
            o.FreshState = a.Fresh;
            o.Faults = a.Faults;
            if (!a.StateFile.empty()) o.StateFile = k == 1 ? a.StateFile : a.StateFile + "." + std::to_string(k);
            TSimUnit& unit = sim.AddUnit(o);
            if (!unit.StateError().empty())
                std::cerr << "kzd-sim: " << unit.StateError() << "; unit " << unit.Name() << " starts from the factory state\n";
            unit.SetSilent(a.Silent);
            if (a.Bootloader && !unit.InBootloader()) unit.RestartInto(true);
            if (!a.Quiet) std::cout << "serving " << unit.Name() << (a.Bootloader ? " (boot loader)" : "") << " in " << dir << "\n";
        }
        if (!a.Quiet) std::cout << "Ctrl-C stops the simulator" << std::endl;
        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::exception& e) {
        std::cerr << "kzd-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
