#pragma once
#include <QColor>
#include <QString>
#include <cstdint>

// A colour as the program keeps it: a 32-bit value 0x00BBGGRR.
using TColorValue = std::uint32_t;

// The colour 0x00BBGGRR as a Qt colour.
QColor ToQColor(TColorValue value);

// The fixed product texts and the colour theme, process-wide as SWSetup
// (owned by TCore). Read-only after construction, apart from the theme
// editor, which changes colours on the main thread until the program ends;
// the colours are never stored.
class TSWSetup {
public:
    TColorValue GroupCaptionColor = 0xC0C0C0;
    TColorValue GroupCaptionShadowColor = 0x000000;
    TColorValue BackgroundLightColor = 0x000080;
    TColorValue BackgroundDarkColor = 0x000000;
    TColorValue GroupBevelLightColor = 0xC0C0C0;
    TColorValue GroupBevelDarkColor = 0x000000;
    TColorValue ButtonColor = 0x000000;
    TColorValue ButtonTextColor = 0x0000FF;
    TColorValue PanelBevelLightColor = 0x0000FF;
    TColorValue PanelBevelDarkColor = 0x000080;
    TColorValue GaugeLightColor = 0x0000FF;
    TColorValue GaugeDarkColor = 0x000000;
    TColorValue GaugeDigitBackColor = 0x0D0D0D;
    TColorValue GaugeDigitForeColor = 0x00FF00;
    TColorValue GaugeTextColor = 0x000000;
    TColorValue GaugeTextShadowColor = 0x808080;
    TColorValue WarningTextColor = 0xC0C0C0;
    TColorValue ListSelectedColor = 0x000080;
    TColorValue ListSelectedTextColor = 0xC0C0C0;
    TColorValue GraphTitleColor = 0x0000FF;
    TColorValue GraphAxisColor = 0x0000FF;
    TColorValue GraphCurveColor = 0x00FF00;
    QString Title = QStringLiteral("KZD Control Center");
    QString AboutTitle = QStringLiteral("KZD Control Center");
    QString CaptionTitle = QStringLiteral("Torvane - KZD Control Center");
    QString ShortName = QStringLiteral("KZD");
    QString MapFileDescription = QStringLiteral("KZD Map File");
    QString UpdateFileDescription = QStringLiteral("KZD Update File");
    QString RegistryKey = QStringLiteral("\\Software\\Torvane Research Inc.\\KZD Control Center");
};

// The process-wide setup record; null outside the life of TCore.
extern TSWSetup* SWSetup;
