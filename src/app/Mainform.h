#pragma once
#include <QMainWindow>
#include <memory>
#include <optional>

#include "Commandline.h"
#include "Core.h"

// The program's main window. It creates TCore (and with it SWSetup,
// SWSettings and Translator) before anything else and destroys it last.
// For now it shows its caption and keeps its placement; the workflow of
// the main window grows here.
class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // store: where the settings live (default: the user's own store).
    explicit TFormMain(const TCommandLine& commandLine = {},
                       const std::optional<TSettingsStore>& store = std::nullopt);
    ~TFormMain() override;

    const TCommandLine& CommandLine() const { return FCommandLine; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ApplySettings();

    std::unique_ptr<TCore> FCore;
    TCommandLine FCommandLine;
    bool FShown = false;
};
