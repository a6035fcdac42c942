#pragma once
#include <QWidget>

// A group box in the theme: a bevelled frame (GroupBevelLightColor outside,
// GroupBevelDarkColor inside) with its caption in GroupCaptionColor over a
// GroupCaptionShadowColor shadow. Children go inside ContentsArea().
class TThemeGroupBox : public QWidget {
    Q_OBJECT
public:
    explicit TThemeGroupBox(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& caption);
    // The area inside the frame and below the caption.
    QRect ContentsArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FCaption;
};
