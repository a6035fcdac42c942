#include "Splashwindow.h"

#include "Splashform.h"

std::unique_ptr<QWidget> CreateSplashWindow() {
    return std::make_unique<TFormSplash>();
}
