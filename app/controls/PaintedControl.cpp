#include "app/controls/PaintedControl.h"

#include <QMouseEvent>
#include <QPainter>

namespace nemora::app {

PaintedControl::PaintedControl(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void PaintedControl::Draw(QPainter&) {}

void PaintedControl::Redraw() {
    repaint();
}

void PaintedControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(painter);
}

// Consumed without the button's own handling: no focus, no press, no click.
void PaintedControl::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void PaintedControl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void PaintedControl::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void PaintedControl::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

// Keys take the default way, past the button's own space handling.
void PaintedControl::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
}

void PaintedControl::keyReleaseEvent(QKeyEvent* event) {
    QWidget::keyReleaseEvent(event);
}

void PaintedControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
}

void PaintedControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
}

bool PaintedControl::hitButton(const QPoint&) const {
    return false;
}

}  // namespace nemora::app
