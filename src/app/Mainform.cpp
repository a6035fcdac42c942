#include "Mainform.h"

#include <QCoreApplication>
#include <QLabel>

#include "Fileinfo.h"
#include "Swsettings.h"
#include "Swsetup.h"
#include "Translate.h"
#include "Windowplacement.h"

TFormMain::TFormMain(const TCommandLine& commandLine, const std::optional<TSettingsStore>& store)
    : FCore(store ? std::make_unique<TCore>(*store) : std::make_unique<TCore>()),
      FCommandLine(commandLine) {
    setWindowTitle(MainCaptionForProgram(SWSetup->CaptionTitle, QCoreApplication::applicationFilePath()));
    auto* label = new QLabel(SWSetup->Title, this);
    label->setAlignment(Qt::AlignCenter);
    setCentralWidget(label);
    resize(800, 600);
}

TFormMain::~TFormMain() {
    if (FShown)
        StoreWindowPlacement(*this, *SWSettings);
    // Windows that use the core objects go before them; TCore is the last.
    delete takeCentralWidget();
    FCore.reset();
}

void TFormMain::showEvent(QShowEvent* event) {
    if (!FShown) {
        FShown = true;
        RestoreWindowPlacement(*this, *SWSettings);
        ApplySettings();
    }
    QMainWindow::showEvent(event);
}

void TFormMain::ApplySettings() {
    Translator->SetLanguage(SWSettings->GetLangID());
}
