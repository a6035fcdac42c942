#include "Stringgridpanel.h"

#include <QLabel>

#include "Qzstringgrid.h"
#include "Rotatelabel.h"

TStringGridPanel::TStringGridPanel(QWidget* parent)
    : QWidget(parent), FXLabel(new QLabel(QStringLiteral("X AXIS"), this)), FYLabel(new TRotateLabel(this)),
      FGrid(new TQZStringGrid(this)) {
    FXLabel->setAlignment(Qt::AlignCenter);
    FYLabel->setText(QStringLiteral("Y AXIS"));
    FYLabel->SetFont(FXLabel->font());
    FYLabel->SetOrientation(900);
    FGrid->setFrameShape(QFrame::NoFrame);
    connect(FGrid, &TQZStringGrid::OnSetEditText, this,
            [this](int col, int row, const QString& text) { emit OnSetEditText(FGrid, col, row, text); });
}

QString TStringGridPanel::XAxisTitle() const { return FXLabel->text(); }
QString TStringGridPanel::YAxisTitle() const { return FYLabel->text(); }

void TStringGridPanel::SetXAxisTitle(const QString& title) {
    FXLabel->setText(title);
    DoResize();
}

void TStringGridPanel::SetYAxisTitle(const QString& title) {
    FYLabel->setText(title);
    DoResize();
}

void TStringGridPanel::SetAxisFont(const QFont& font) {
    FXLabel->setFont(font);
    FYLabel->SetFont(font);
    DoResize();
}

void TStringGridPanel::SetAxisColor(const QColor& color) {
    QPalette palette = FXLabel->palette();
    palette.setColor(QPalette::WindowText, color);
    FXLabel->setPalette(palette);
    FYLabel->SetFontColor(color);
}

void TStringGridPanel::SetGridFont(const QFont& font) { FGrid->setFont(font); }

bool TStringGridPanel::EditEnabled() const { return FGrid->GetEditEnable(); }

void TStringGridPanel::SetEditEnabled(bool on) { FGrid->SetEditEnable(on); }

void TStringGridPanel::SetFixedColor(const QColor& color) {
    FGrid->FixedColor = color;
    FGrid->viewport()->update();
}

void TStringGridPanel::DoResize() {
    const int titleHeight = FXLabel->sizeHint().height();
    FXLabel->setGeometry(0, 0, width(), titleHeight);
    FYLabel->setGeometry(0, 0, titleHeight, height());
    FGrid->setGeometry(titleHeight, titleHeight, std::max(0, width() - titleHeight),
                       std::max(0, height() - titleHeight));
}

void TStringGridPanel::resizeEvent(QResizeEvent*) { DoResize(); }
