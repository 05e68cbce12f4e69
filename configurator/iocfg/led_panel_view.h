#pragma once
// The front-panel picture of the LED page (control 1689): the model's panel picture stretched
// over the control, or a plain panel when the picture is missing, with each LED's label written
// in its position rectangle (a row of 5 cells below model 715, a column of 8 rows from 715 on).
// The LED selected while the pop-up is open is drawn in the system highlight colours.
#include "configurator/iocfg/led_image.h"

#include <QImage>
#include <QWidget>

namespace tirv {

class LedPanelView : public QWidget {
    Q_OBJECT
public:
    explicit LedPanelView(QWidget* parent = nullptr);

    // 5 or 8 LEDs; `picture` may be null (the plain panel is drawn instead).
    void setPanel(int ledCount, const QImage& picture);
    void setImage(const LedImage& image);
    void setSelected(int led);  // -1: none
    int ledCount() const { return m_leds; }
    int selected() const { return m_selected; }
    // The LED whose position rectangle holds `pos` (widget coordinates), or -1.
    int ledAt(QPoint pos) const;
    // The position rectangle of `led` in widget coordinates.
    QRect labelRect(int led) const;
    // The pictures' own size: drawn one to one.
    QSize sizeHint() const override;

signals:
    void clicked(QPoint pos);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QRectF panelRect(int led) const;  // in picture pixels (led_panel_layout.h)
    QRectF lampRect(int led) const;

    int m_leds = kLedCountNonM;
    QImage m_picture;
    LedImage m_image{};
    int m_selected = -1;
};

}  // namespace tirv
