#include "Windowplacement.h"

#include <QWidget>

#include "Swsettings.h"

bool RestoreWindowPlacement(QWidget& window, TSWSettings& settings) {
    if (!settings.HasWindowPlacement())
        return false;
    const QByteArray placement = settings.GetWindowPlacement();
    return !placement.isEmpty() && window.restoreGeometry(placement);
}

void StoreWindowPlacement(const QWidget& window, TSWSettings& settings) {
    settings.SetWindowPlacement(window.saveGeometry());
}
