#pragma once
#include <QColor>
#include <QWidget>

class TSWSetup;

// The theme record: SWSetup while TCore lives, otherwise a record with the
// default colours (windows and components made before or without TCore).
const TSWSetup& ThemeSetup();

// The fill of a gradient panel: Colors steps from StartColor to EndColor.
struct TGradientFill {
    QColor StartColor = QColor(0, 255, 0);
    QColor EndColor = QColor(0, 0, 0);
    int Colors = 255;
    Qt::Orientation Direction = Qt::Vertical;  // Vertical: top to bottom
};

enum class TBevelStyle { None, Raised, Lowered };

// A panel filled with a stepped gradient, with an outer and an inner bevel.
class TGradientPanel : public QWidget {
    Q_OBJECT
public:
    explicit TGradientPanel(QWidget* parent = nullptr);

    const TGradientFill& Fill() const { return FFill; }
    void SetFill(const TGradientFill& fill);
    void SetGradient(const QColor& start, const QColor& end);

    void SetBevelOuter(TBevelStyle style);
    void SetBevelInner(TBevelStyle style);
    TBevelStyle BevelOuter() const { return FBevelOuter; }
    TBevelStyle BevelInner() const { return FBevelInner; }
    // Light and dark colours of both bevels.
    void SetBevelColors(const QColor& light, const QColor& dark);
    QColor BevelLightColor() const { return FBevelLight; }
    QColor BevelDarkColor() const { return FBevelDark; }
    // Pixels taken by the bevels on each side.
    int BevelExtent() const;

    // The colour of step i of the fill (0 .. Colors - 1).
    QColor StepColor(int step) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintFill(class QPainter& painter, const QRect& area) const;
    void PaintBevel(class QPainter& painter, QRect& area, TBevelStyle style) const;

    TGradientFill FFill;
    TBevelStyle FBevelOuter = TBevelStyle::None;
    TBevelStyle FBevelInner = TBevelStyle::None;
    QColor FBevelLight = QColor(255, 255, 255);
    QColor FBevelDark = QColor(128, 128, 128);
};

// Fills panel with the window theme: gradient from BackgroundLightColor to
// BackgroundDarkColor, bevels in PanelBevelLightColor and PanelBevelDarkColor.
void ApplyPanelTheme(TGradientPanel* panel);
