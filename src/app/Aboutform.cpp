#include "Aboutform.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include "Fileinfo.h"
#include "Gradientpanel.h"
#include "Shadowlabel.h"
#include "Splashform.h"
#include "Swsetup.h"
#include "Themegroupbox.h"
#include "Translate.h"

TFormAbout::TFormAbout(QWidget* owner, TDevManager* devManager, TChanManager* chanManager,
                       const TDeviceID* deviceId, const QString& pictureFolder)
    : TFormBase(owner, devManager, chanManager, deviceId),
      FGroupBox(new TThemeGroupBox(QStringLiteral("About"), PanelMain())),
      FPanelLogo(new TGradientPanel(FGroupBox)),
      FImage(new QLabel(FPanelLogo)),
      FButtonClose(new QPushButton(TranslateText(QStringLiteral("Close")), PanelMain())) {
    const TSWSetup& setup = ThemeSetup();
    const QString file = QDir(pictureFolder.isEmpty() ? ProgramFolder() : pictureFolder).filePath(QStringLiteral("Logo.jpg"));
    QPixmap picture;
    if (QFile::exists(file) && picture.load(file))
        FImage->setPixmap(picture);
    FImage->setAlignment(Qt::AlignCenter);
    ApplyPanelTheme(FPanelLogo);
    FLabelTitle = MakeLabel(setup.AboutTitle, Qt::AlignCenter);
    QFont titleFont = FLabelTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 3);
    FLabelTitle->setFont(titleFont);
    FLabelApplication = MakeLabel(QStringLiteral("Application"), Qt::AlignLeft | Qt::AlignVCenter);
    FLabelAppVersion = MakeLabel(QString(), Qt::AlignRight | Qt::AlignVCenter);
    FShape = new QWidget(FGroupBox);
    FShape->setAutoFillBackground(true);
    QPalette palette = FShape->palette();
    palette.setColor(QPalette::Window, ToQColor(setup.GroupCaptionColor));
    FShape->setPalette(palette);
    ApplyButtonTheme(FButtonClose);
    connect(FButtonClose, &QPushButton::clicked, this, &TFormAbout::ButtonCloseClick);
    resize(380, 270);
}

TShadowLabel* TFormAbout::MakeLabel(const QString& text, Qt::Alignment alignment) {
    const TSWSetup& setup = ThemeSetup();
    auto* label = new TShadowLabel(text, FGroupBox);
    label->setAlignment(alignment);
    label->SetTextColor(ToQColor(setup.GroupCaptionColor));
    label->SetShadowColor(ToQColor(setup.GroupCaptionShadowColor));
    return label;
}

void TFormAbout::FormShow() {
    TFileInfo info;
    FLabelAppVersion->setText(info.GetVersionValue(QCoreApplication::applicationFilePath(), QStringLiteral("FileVersion")));
}

void TFormAbout::ButtonCloseClick() { close(); }

void TFormAbout::showEvent(QShowEvent* event) {
    FormShow();
    TFormBase::showEvent(event);
}

void TFormAbout::resizeEvent(QResizeEvent* event) {
    TFormBase::resizeEvent(event);
    LayOut();
}

void TFormAbout::LayOut() {
    FGroupBox->setGeometry(10, 8, width() - 20, height() - 56);
    const QRect inner = FGroupBox->ContentsArea();
    const int w = inner.width();
    FPanelLogo->setGeometry(inner.left(), inner.top(), w, 105);
    FImage->setGeometry(FPanelLogo->rect().adjusted(2, 2, -2, -2));
    int y = inner.top() + 113;
    FLabelTitle->setGeometry(inner.left(), y, w, 26);
    y += 32;
    FLabelApplication->setGeometry(inner.left(), y, w / 2, 20);
    FLabelAppVersion->setGeometry(inner.left() + w / 2, y, w - w / 2, 20);
    FShape->setGeometry(inner.left(), y + 22, w, 1);
    FButtonClose->setGeometry((width() - 90) / 2, height() - 40, 90, 28);
}
