// Renders the components in the theme colours into PNG files, for looking
// at them and for the screenshots in docs/.
#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "Digitalgauge.h"
#include "Positionindicator.h"
#include "Rotatelabel.h"
#include "Shadowlabel.h"
#include "Swsetup.h"

namespace {
void ApplyTheme(TDigitalGauge& gauge, const QString& title, int digits, int precision) {
    const TSWSetup setup;
    TGradientFill fill = gauge.LMDFillObject();
    fill.StartColor = ToQColor(setup.GaugeLightColor);
    fill.EndColor = ToQColor(setup.GaugeDarkColor);
    gauge.SetLMDFillObject(fill);
    gauge.SetGaugeBackColor(ToQColor(setup.GaugeDarkColor));
    gauge.SetDigitBackColor(ToQColor(setup.GaugeDigitBackColor));
    gauge.SetDigitForeColor(ToQColor(setup.GaugeDigitForeColor));
    gauge.TitleLabel()->SetTextColor(ToQColor(setup.GaugeTextColor));
    gauge.TitleLabel()->SetShadowColor(ToQColor(setup.GaugeTextShadowColor));
    QFont font(QStringLiteral("Venus Rising"), 16);
    font.setItalic(true);
    gauge.TitleLabel()->setFont(font);
    gauge.SetTitle(title);
    gauge.SetNumDigits(digits);
    gauge.SetPrecision(precision);
}

bool Save(QWidget& widget, const QString& folder, const QString& name) {
    return widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

// Main-window gauges side by side, as the top panel holds them.
bool RenderPanel(const QString& folder) {
    QWidget panel;
    panel.resize(760, 230);
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, Qt::black);
    panel.setPalette(palette);
    struct TSpec {
        QRect Place;
        const char* Title;
        int Digits, Indicators, Precision;
        std::vector<double> Values;
    };
    const TSpec specs[] = {
        {{0, 0, 300, 130}, "Engine RPM", 5, 1, 0, {6250}},
        {{460, 0, 300, 130}, "Throttle (%)", 5, 1, 0, {37}},
        {{0, 135, 150, 95}, "Pulse Width", 4, 1, 1, {4.76}},
        {{150, 135, 150, 95}, "Duty Cycle", 4, 1, 1, {KNoValue}},
        {{305, 135, 150, 95}, "Dial Fuel Trims (%)", 3, 3, 0, {-12, 0, 8}},
        {{460, 135, 150, 95}, "Map", 4, 1, 0, {3}},
        {{610, 135, 150, 95}, "Total Trim", 4, 1, 0, {-5}},
    };
    for (const TSpec& spec : specs) {
        auto* gauge = new TDigitalGauge(&panel);
        gauge->setGeometry(spec.Place);
        gauge->SetNumIndicators(spec.Indicators);
        ApplyTheme(*gauge, QString::fromLatin1(spec.Title), spec.Digits, spec.Precision);
        for (int i = 0; i < spec.Indicators; ++i)
            gauge->SetValue(i, spec.Values[std::size_t(i)]);
    }
    return Save(panel, folder, QStringLiteral("gauges"));
}

bool RenderSizes(const QString& folder) {
    const QSize sizes[] = {{90, 50}, {160, 80}, {313, 89}, {420, 180}};
    bool ok = true;
    for (const QSize& size : sizes) {
        TDigitalGauge gauge;
        gauge.resize(size);
        ApplyTheme(gauge, QStringLiteral("Engine RPM"), 5, 1);
        gauge.SetValue(0, 1234.56);
        ok &= Save(gauge, folder, QStringLiteral("gauge-%1x%2").arg(size.width()).arg(size.height()));
    }
    TDigitalGauge italic;
    italic.resize(626, 178);
    italic.SetNumIndicators(3);
    italic.SetIndicatorSpacing(12);
    italic.SetTitleSize(0.3);
    ApplyTheme(italic, QStringLiteral("Dial Fuel Trims (%)"), 3, 0);
    italic.SetIndicatorStyle(TIndicatorStyle::Italic);
    italic.SetValue(0, -12);
    italic.SetValue(1, KNoValue);
    italic.SetValue(2, 99.5);
    ok &= Save(italic, folder, QStringLiteral("gauge-three-italic"));
    return ok;
}

bool RenderBars(const QString& folder) {
    QWidget host;
    host.resize(320, 130);
    TPositionIndicator position(&host);
    position.SetLeft(10);
    position.SetTop(10);
    position.SetWidth(300);
    position.SetHeight(24);
    position.SetScaleMin(0);
    position.SetScaleMax(5);
    position.SetRangeLow(0.6);
    position.SetRangeHigh(4.3);
    position.SetPosition(2.2);
    TRotateLabel label(&host);
    label.setGeometry(10, 45, 30, 80);
    label.setText(QStringLiteral("Y AXIS"));
    label.SetOrientation(900);
    return Save(host, folder, QStringLiteral("bars"));
}
}  // namespace

bool RenderSmallWindows(const QString& folder, const QString& pictureFolder);

int RenderGallery(const QString& folder) {
    QDir().mkpath(folder);
    const QString pictures = QStringLiteral(KZD_PICTURE_FOLDER);
    const bool ok = RenderPanel(folder) && RenderSizes(folder) && RenderBars(folder) &&
                    RenderSmallWindows(folder, pictures);
    return ok ? 0 : 1;
}
