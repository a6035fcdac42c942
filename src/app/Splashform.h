#pragma once
#include "Baseform.h"

class QLabel;

// The splash window shown at start: on top of all windows, centred on the
// screen, 604 x 292, showing Splash.jpg of the program's folder when there.
class TFormSplash : public TFormBase {
    Q_OBJECT
public:
    // pictureFolder: where Splash.jpg is looked for (default: the program's folder).
    explicit TFormSplash(QWidget* owner = nullptr, const QString& pictureFolder = {});

    QLabel* Image() const { return FImage; }

protected:
    void PlaceWindow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* FImage;
};

// The folder of the program file: where Logo.jpg and Splash.jpg are kept.
QString ProgramFolder();
