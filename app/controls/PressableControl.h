#pragma once

#include <QPoint>

#include "app/controls/PaintedControl.h"

namespace nemora::app {

// A painted control that behaves like a push button of its own: a press on
// its hit area captures the mouse and shows it pushed, moving off and back on
// while the button is held shows it released and pushed again, and a release
// on the hit area clicks it. Space does the same from the keyboard. Losing
// the capture (another window takes the input, the control goes away) clears
// pushed without a click.
class PressableControl : public PaintedControl {
    Q_OBJECT

public:
    // State bits, the values of the platform's button state.
    static constexpr int kPushed = 4;
    static constexpr int kFocus = 8;

    explicit PressableControl(QWidget* parent = nullptr);

    int State() const { return state_; }
    // The bits of `mask` become those of `value`; a change repaints at once.
    void SetState(int value, int mask);

    // Called for a click, with the pointer's screen position; nothing here.
    virtual void OnClicked(const QPoint& screenPoint);
    // Whether a point in client coordinates lies on the pressable area: here
    // the whole client rectangle.
    virtual bool HitTest(const QPoint& point) const;

    // The button's click message: OnClicked at the pointer's position.
    void Click();

    // Whether a mouse press is held on the control.
    bool HasCapture() const { return capture_; }
    // Ends a held press without a click, as when another window takes the
    // mouse (the help showing, for one).
    void CancelMode();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Press(QMouseEvent* event);

    int state_ = 0;
    bool capture_ = false;
};

}  // namespace nemora::app
