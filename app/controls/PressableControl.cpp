#include "app/controls/PressableControl.h"

#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace nemora::app {

PressableControl::PressableControl(QWidget* parent) : PaintedControl(parent) {
    // A button for the dialog's keyboard handling: Tab stops on it, a click
    // does not take the focus.
    setFocusPolicy(Qt::TabFocus);
}

void PressableControl::SetState(int value, int mask) {
    const int next = (state_ & ~mask) | (value & mask);
    if (next == state_) return;
    state_ = next;
    Redraw();
}

void PressableControl::OnClicked(const QPoint&) {}

bool PressableControl::HitTest(const QPoint& point) const {
    return rect().contains(point);
}

void PressableControl::Click() {
    OnClicked(QCursor::pos());
}

void PressableControl::Press(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    if (!HitTest(event->position().toPoint())) return;
    // Qt sends the moves and the release to the widget that took the press;
    // `capture_` says whether that press was ours to follow.
    capture_ = true;
    SetState(kPushed, kPushed);
}

void PressableControl::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void PressableControl::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void PressableControl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || !capture_) return;
    capture_ = false;
    SetState(0, kPushed);
    const QPoint point = event->position().toPoint();
    if (HitTest(point)) OnClicked(mapToGlobal(point));
}

void PressableControl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!capture_) return;
    SetState(HitTest(event->position().toPoint()) ? kPushed : 0, kPushed);
}

void PressableControl::CancelMode() {
    if (!capture_) return;
    capture_ = false;
    SetState(0, kPushed);
}

// The ways a held press ends without a release on the control: another
// window takes the input (deactivation, a modal window), the control is
// hidden, or a popup opens.
bool PressableControl::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowDeactivate:
        case QEvent::WindowBlocked:
        case QEvent::Hide:
            CancelMode();
            break;
        default:
            break;
    }
    return PaintedControl::event(event);
}

void PressableControl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) CancelMode();
    PaintedControl::changeEvent(event);
}

void PressableControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) {
        PaintedControl::keyPressEvent(event);
        return;
    }
    SetState(kPushed, kPushed);
}

void PressableControl::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) {
        PaintedControl::keyReleaseEvent(event);
        return;
    }
    // A held key repeats its press and, here, its release too: only the
    // last release, when the key comes up, ends the press.
    if (event->isAutoRepeat()) return;
    const bool wasPushed = (state_ & kPushed) != 0;
    SetState(0, kPushed);
    if (wasPushed) OnClicked(QCursor::pos());
}

void PressableControl::focusInEvent(QFocusEvent* event) {
    SetState(kFocus, kFocus);
    PaintedControl::focusInEvent(event);
}

void PressableControl::focusOutEvent(QFocusEvent* event) {
    SetState(0, kFocus);
    if (event->reason() == Qt::PopupFocusReason) CancelMode();
    PaintedControl::focusOutEvent(event);
}

}  // namespace nemora::app
