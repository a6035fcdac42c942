#pragma once
#include "Baseform.h"

class QLabel;
class TShadowLabel;
class TThemeGroupBox;

// The about box: the logo, the product title and the program's version.
class TFormAbout : public TFormBase {
    Q_OBJECT
public:
    // pictureFolder: where Logo.jpg is looked for (default: the program's folder).
    TFormAbout(QWidget* owner, TDevManager* devManager, TChanManager* chanManager, const TDeviceID* deviceId,
               const QString& pictureFolder = {});

    TThemeGroupBox* GroupBox() const { return FGroupBox; }
    TGradientPanel* PanelLogo() const { return FPanelLogo; }
    QLabel* Image() const { return FImage; }
    TShadowLabel* LabelTitle() const { return FLabelTitle; }
    TShadowLabel* LabelApplication() const { return FLabelApplication; }
    TShadowLabel* LabelAppVersion() const { return FLabelAppVersion; }
    QPushButton* ButtonClose() const { return FButtonClose; }

public slots:
    void FormShow();
    void ButtonCloseClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TShadowLabel* MakeLabel(const QString& text, Qt::Alignment alignment);
    void LayOut();

    TThemeGroupBox* FGroupBox;
    TGradientPanel* FPanelLogo;
    QLabel* FImage;
    TShadowLabel* FLabelTitle;
    TShadowLabel* FLabelApplication;
    TShadowLabel* FLabelAppVersion;
    QWidget* FShape;
    QPushButton* FButtonClose;
};
