#include "Msgform.h"

#include <QProgressBar>
#include <cmath>

#include "Gradientpanel.h"
#include "Shadowlabel.h"
#include "Swsetup.h"

TFormMsg::TFormMsg(QWidget* owner)
    : TFormBase(owner), FLabelMsg(new TShadowLabel(QStringLiteral("Status Message"), PanelMain())),
      FProgressBar(new QProgressBar(PanelMain())) {
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    setModal(false);
    ApplyPanelTheme(PanelMain());
    const TSWSetup& setup = ThemeSetup();
    FLabelMsg->setObjectName(QStringLiteral("LabelMsg"));
    FLabelMsg->setAlignment(Qt::AlignCenter);
    FLabelMsg->SetTextColor(ToQColor(setup.GroupCaptionColor));
    FLabelMsg->SetShadowColor(ToQColor(setup.GroupCaptionShadowColor));
    FProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    FProgressBar->setRange(0, 100);
    FProgressBar->setValue(0);
    FProgressBar->setTextVisible(true);
    FProgressBar->setFormat(QStringLiteral("%p %"));
    FProgressBar->setAlignment(Qt::AlignCenter);
    resize(308, 63);
}

void TFormMsg::SetMessage(const QString& text) {
    FLabelMsg->setText(text);
    FLabelMsg->repaint();
    ShowNow();
}

void TFormMsg::SetProgress(double percent) {
    const int value = std::isnan(percent) ? 0 : int(std::clamp(percent, 0.0, 100.0));
    FProgressBar->setValue(value);
    FProgressBar->repaint();
    ShowNow();
}

void TFormMsg::ShowNow() {
    if (isVisible())
        return;
    show();
    repaint();
}

void TFormMsg::resizeEvent(QResizeEvent* event) {
    TFormBase::resizeEvent(event);
    FLabelMsg->setGeometry(8, 6, width() - 16, 22);
    FProgressBar->setGeometry(8, 32, width() - 16, 22);
}
