#include "Baseform.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "Devicemanager.h"
#include "Gradientpanel.h"
#include "Swsetup.h"

TFormBase::TFormBase(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), FPanelMain(new TGradientPanel(this)) {
    FPanelMain->setObjectName(QStringLiteral("PanelMain"));
}

TFormBase::TFormBase(QWidget* owner, TDevManager* devManager, TChanManager* chanManager, const TDeviceID* deviceId)
    : TFormBase(owner) {
    FDevManager = devManager;
    FChanManager = chanManager;
    if (deviceId)
        FDeviceID = std::make_unique<TDeviceID>(*deviceId);
    ApplyPanelTheme(FPanelMain);
}

TFormBase::~TFormBase() = default;

bool TFormBase::ShowModalResult() {
    FResult = false;
    if (FDevManager && FDeviceID)
        FDriver = FDevManager->DriverOf(*FDeviceID);
    exec();
    return FResult;
}

void TFormBase::CloseWithOK() {
    FResult = true;
    accept();
}

void TFormBase::showEvent(QShowEvent* event) {
    PlaceWindow();
    QDialog::showEvent(event);
}

void TFormBase::resizeEvent(QResizeEvent* event) {
    FPanelMain->setGeometry(rect());
    QDialog::resizeEvent(event);
}

void TFormBase::PlaceWindow() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area;
    if (owner && owner->isVisible())
        area = owner->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        move(area.center() - QPoint(width() / 2, height() / 2));
}

void TFormBase::ApplyButtonTheme(QPushButton* button) {
    const TSWSetup& setup = ThemeSetup();
    button->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; border: 1px solid %3;"
                                         " padding: 3px 12px; font-weight: bold; }"
                                         "QPushButton:pressed { border-color: %2; }"
                                         "QPushButton:disabled { color: %3; }")
                              .arg(ToQColor(setup.ButtonColor).name(), ToQColor(setup.ButtonTextColor).name(),
                                   ToQColor(setup.GroupBevelLightColor).darker(180).name()));
}
