#pragma once
#include <QWidget>

class QLabel;
class TQZStringGrid;
class TRotateLabel;

// The table grid with its axis titles: the X title across the top, the Y
// title upright along the left, the grid in the rest.
class TStringGridPanel : public QWidget {
    Q_OBJECT
public:
    explicit TStringGridPanel(QWidget* parent = nullptr);

    TQZStringGrid* Grid() const { return FGrid; }
    QLabel* XAxisLabel() const { return FXLabel; }
    TRotateLabel* YAxisLabel() const { return FYLabel; }

    QString XAxisTitle() const;
    QString YAxisTitle() const;
    void SetXAxisTitle(const QString& title);
    void SetYAxisTitle(const QString& title);
    void SetAxisFont(const QFont& font);
    void SetAxisColor(const QColor& color);
    void SetGridFont(const QFont& font);
    bool EditEnabled() const;
    void SetEditEnabled(bool on);
    void SetFixedColor(const QColor& color);

    void DoResize();

signals:
    void OnSetEditText(QObject* sender, int col, int row, const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* FXLabel;
    TRotateLabel* FYLabel;
    TQZStringGrid* FGrid;
};
