#pragma once
#include "Baseform.h"

class QProgressBar;
class TShadowLabel;

// The progress window of map transfers: on top, centred on its owner,
// 308 x 63, a one-line message over a percentage bar. It shows itself (not
// modally) when given a message or a progress.
class TFormMsg : public TFormBase {
    Q_OBJECT
public:
    explicit TFormMsg(QWidget* owner = nullptr);

    void SetMessage(const QString& text);
    // Shows the integer part of percent (limited to 0..100).
    void SetProgress(double percent);

    TShadowLabel* LabelMsg() const { return FLabelMsg; }
    QProgressBar* ProgressBar() const { return FProgressBar; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowNow();

    TShadowLabel* FLabelMsg;
    QProgressBar* FProgressBar;
};
