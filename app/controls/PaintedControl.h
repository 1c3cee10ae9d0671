#pragma once

#include <QAbstractButton>

class QPainter;

namespace nemora::app {

// A button that paints itself whole and takes no part in the button's own
// behaviour: mouse presses, checks, states and clicks are ignored, the
// background is never erased (Draw paints everything), and Tab never stops
// on it, nor is it ever the default button.
class PaintedControl : public QAbstractButton {
    Q_OBJECT

public:
    explicit PaintedControl(QWidget* parent = nullptr);

    // Paints the whole control; nothing at this level.
    virtual void Draw(QPainter& painter);

    // Paints the control now, not at the next paint event.
    void Redraw();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

}  // namespace nemora::app
