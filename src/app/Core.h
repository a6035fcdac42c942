#pragma once
#include <optional>

#include "Settingsstore.h"

// Creates the three process-wide singletons and destroys them again, in a
// fixed order: SWSetup, then SWSettings (with SWSetup's RegistryKey), then
// Translator; destruction in reverse, clearing each global reference. The
// main window owns the one TCore of the process; a second TCore while one
// lives is refused with std::logic_error. When a singleton cannot be created
// (a settings value of the wrong type, say) the exception passes on and the
// ones created before are destroyed again.
class TCore {
public:
    // Settings in the current user's store of the setup's RegistryKey.
    TCore();
    // Settings in store (tests and other set-ups).
    explicit TCore(const TSettingsStore& store);
    ~TCore();
    TCore(const TCore&) = delete;
    TCore& operator=(const TCore&) = delete;

private:
    void Create(const std::optional<TSettingsStore>& store);
    static void Destroy();
};
