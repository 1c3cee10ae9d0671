#pragma once

#include <array>

#include <QImage>
#include <QPalette>
#include <QRect>
#include <QSize>

#include "app/controls/PressableControl.h"

namespace nemora::app {

// The product logo on a button: the largest registered logo bitmap that fits
// the control (scaled down when none fits), on the control's bottom edge and
// aligned left, right or centred; recoloured at each paint to the button
// colours and to the pushed and focus states. A click on the bitmap sends the
// parent the button's command (the clicked signal); a click beside it does
// nothing.
class LogoButton : public PressableControl {
    Q_OBJECT

public:
    enum class Alignment { Centre, Left, Right };

    static constexpr int kSlots = 6;
    static constexpr int kNone = -1;
    // The bitmap size of each slot, in pixels.
    static constexpr std::array<QSize, kSlots> kSlotSizes = {
        QSize(32, 12), QSize(42, 16), QSize(52, 20), QSize(66, 24), QSize(76, 28), QSize(86, 32)};

    // Registers the bitmap resource of each slot (kNone for an empty slot),
    // for every logo of the process; done once before any window exists.
    static void SetLogoBitmaps(const std::array<int, kSlots>& bitmapIds);
    static const std::array<int, kSlots>& LogoBitmaps();

    explicit LogoButton(QWidget* parent = nullptr, Alignment alignment = Alignment::Centre);

    // A new alignment lays the bitmap out again; `redraw` repaints at once.
    void SetAlignment(Alignment alignment, bool redraw = true);
    Alignment GetAlignment() const { return alignment_; }

    // Chooses the bitmap for the control's size and where it is drawn.
    void Layout();

    int BitmapId() const { return bitmapId_; }
    QSize BitmapSize() const { return bitmapSize_; }
    // Where the bitmap is drawn, in client coordinates; empty without one.
    QRect DrawRect() const { return drawRect_; }

    // The colour that key colour `key` is drawn in for `state`; other colours
    // are drawn as they are.
    static QRgb MapColour(QRgb key, int state, const QPalette& palette);

    void Draw(QPainter& painter) override;
    void OnClicked(const QPoint& screenPoint) override;
    bool HitTest(const QPoint& point) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Alignment alignment_;
    int bitmapId_ = kNone;
    QSize bitmapSize_;
    QRect drawRect_{-1, -1, 0, 0};
};

}  // namespace nemora::app
