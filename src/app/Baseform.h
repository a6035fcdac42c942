#pragma once
#include <QDialog>
#include <memory>

#include "Deviceid.h"

class QPushButton;
class TBaseDriver;
class TChanManager;
class TDevManager;
class TGradientPanel;

// The base of the program's secondary windows: borderless, centred on its
// owner, filled by PanelMain, optionally working on a device whose driver it
// looks up when shown, and telling whether it was closed with OK.
class TFormBase : public QDialog {
    Q_OBJECT
public:
    explicit TFormBase(QWidget* owner);
    // With the managers (not owned) and a copy of the identity (none: null);
    // PanelMain takes the window theme.
    TFormBase(QWidget* owner, TDevManager* devManager, TChanManager* chanManager, const TDeviceID* deviceId);
    ~TFormBase() override;

    // Looks up the driver of FDeviceID (when there is a device manager and an
    // identity), shows the window modally and returns true when it was closed
    // with OK.
    bool ShowModalResult();

    TGradientPanel* PanelMain() const { return FPanelMain; }
    const TDeviceID* DeviceID() const { return FDeviceID.get(); }
    TBaseDriver* Driver() const { return FDriver; }
    bool Result() const { return FResult; }

    // The large buttons of the theme: ButtonColor face, ButtonTextColor text.
    static void ApplyButtonTheme(QPushButton* button);

protected:
    // The OK handling of a window: FResult = true and close.
    void CloseWithOK();
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Places the window: centred on its owner (on the screen without one).
    virtual void PlaceWindow();

    TDevManager* FDevManager = nullptr;
    TChanManager* FChanManager = nullptr;
    std::unique_ptr<TDeviceID> FDeviceID;
    TBaseDriver* FDriver = nullptr;
    bool FResult = false;

private:
    TGradientPanel* FPanelMain;
};
