#include "Splashwindow.h"

std::unique_ptr<QWidget> CreateSplashWindow() {
    // The splash window (with Splash.jpg beside the program) comes with the
    // small windows; until then start-up keeps only the pause.
    return nullptr;
}
