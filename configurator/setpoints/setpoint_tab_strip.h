#pragma once
// The row of five owner-drawn tab buttons along the top edge of every setpoint tab. Tab t owns
// the buttons 500 + 5t … 504 + 5t; the k-th selects tab k and the tab's own one is drawn as the
// selected one, its label in blue.
#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <functional>

namespace tirv {

class SetpointTabButton : public QAbstractButton {
public:
    SetpointTabButton(const QString& text, bool own, QWidget* parent);
    QSize sizeHint() const override;
    bool isOwn() const { return m_own; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    bool m_own;
};

class SetpointTabStrip : public QWidget {
public:
    // `select(k)` is called when the k-th button is clicked (or Enter is pressed on it).
    SetpointTabStrip(int ownTab, std::function<void(int)> select, QWidget* parent);
    SetpointTabButton* button(int k) const { return m_buttons[std::size_t(k)]; }

private:
    std::array<SetpointTabButton*, 5> m_buttons{};
};

}  // namespace tirv
