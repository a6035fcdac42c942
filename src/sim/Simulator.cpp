#include "Simulator.h"
#include "Simlink.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

struct TSimulator::TImpl {
    std::string LinkDir;
    bool OwnsDir = false;
    mutable std::mutex Mutex;
    std::vector<std::unique_ptr<TSimUnit>> Units;

    bool NameUsed(const std::string& name) const {
        return std::any_of(Units.begin(), Units.end(), [&](const auto& u) { return u->Name() == name; });
    }
};

namespace {

std::string MakeTemporaryDir() {
    const char* base = std::getenv("TMPDIR");
    std::string root = (base && *base && std::string(base).size() < 60) ? base : "/tmp";
    std::string pattern = root + "/kzd-sim-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary link directory in " + root);
    return pattern;
}

} // namespace

TSimulator::TSimulator(std::string linkDir) : FImpl(std::make_unique<TImpl>()) {
    if (linkDir.empty()) {
        FImpl->LinkDir = MakeTemporaryDir();
        FImpl->OwnsDir = true;
    } else {
        std::error_code ec;
        fs::create_directories(linkDir, ec);
        if (!fs::is_directory(linkDir)) throw std::runtime_error("cannot use '" + linkDir + "' as link directory");
        FImpl->LinkDir = linkDir;
    }
}

TSimulator::~TSimulator() {
    FImpl->Units.clear();
    if (FImpl->OwnsDir) {
        std::error_code ec;
        fs::remove_all(FImpl->LinkDir, ec);
    }
}

const std::string& TSimulator::LinkDir() const { return FImpl->LinkDir; }

TSimUnit& TSimulator::AddUnit(const TSimUnitOptions& options) {
    std::lock_guard lock(FImpl->Mutex);
    TSimUnitOptions o = options;
    if (FImpl->NameUsed(o.Name))
        for (int n = 1;; ++n)
            if (!FImpl->NameUsed("kzd" + std::to_string(n))) {
                o.Name = "kzd" + std::to_string(n);
                break;
            }
    if (o.UnitNumber <= 0) o.UnitNumber = int(FImpl->Units.size()) + 1;
    FImpl->Units.push_back(std::make_unique<TSimUnit>(FImpl->LinkDir, o));
    return *FImpl->Units.back();
}

int TSimulator::UnitCount() const {
    std::lock_guard lock(FImpl->Mutex);
    return int(FImpl->Units.size());
}

TSimUnit& TSimulator::Unit(int index) {
    std::lock_guard lock(FImpl->Mutex);
    return *FImpl->Units.at(std::size_t(index));
}
