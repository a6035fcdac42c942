#include "Core.h"

#include <stdexcept>

#include "Swsettings.h"
#include "Swsetup.h"
#include "Translate.h"

TCore::TCore() { Create(std::nullopt); }

TCore::TCore(const TSettingsStore& store) { Create(store); }

TCore::~TCore() { Destroy(); }

void TCore::Create(const std::optional<TSettingsStore>& store) {
    if (SWSetup || SWSettings || Translator)
        throw std::logic_error("The core objects exist already.");
    try {
        SWSetup = new TSWSetup;
        SWSettings = store ? new TSWSettings(SWSetup->RegistryKey, *store)
                           : new TSWSettings(SWSetup->RegistryKey);
        Translator = new TTranslate;
    } catch (...) {
        Destroy();
        throw;
    }
}

void TCore::Destroy() {
    delete Translator;
    Translator = nullptr;
    delete SWSettings;
    SWSettings = nullptr;
    delete SWSetup;
    SWSetup = nullptr;
}
