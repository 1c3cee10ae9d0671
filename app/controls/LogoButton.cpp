#include "app/controls/LogoButton.h"

#include <QPainter>

#include "app/resources/Pictures.h"

namespace nemora::app {
namespace {

std::array<int, LogoButton::kSlots> gLogoBitmaps = {LogoButton::kNone, LogoButton::kNone,
                                                    LogoButton::kNone, LogoButton::kNone,
                                                    LogoButton::kNone, LogoButton::kNone};

QColor Colour(const QPalette& palette, QPalette::ColorRole role) {
    // A disabled logo still draws in its normal colours.
    return palette.color(QPalette::Active, role);
}

}  // namespace

void LogoButton::SetLogoBitmaps(const std::array<int, kSlots>& bitmapIds) {
    gLogoBitmaps = bitmapIds;
}

const std::array<int, LogoButton::kSlots>& LogoButton::LogoBitmaps() {
    return gLogoBitmaps;
}

LogoButton::LogoButton(QWidget* parent, Alignment alignment)
    : PressableControl(parent), alignment_(alignment) {
    Layout();
}

void LogoButton::SetAlignment(Alignment alignment, bool redraw) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Layout();
    if (redraw) Redraw();
}

void LogoButton::Layout() {
    const int w = width();
    const int h = height();
    int chosen = kNone;
    for (int slot = 0; slot < kSlots; ++slot) {
        if (gLogoBitmaps[static_cast<std::size_t>(slot)] == kNone) continue;
        const QSize size = kSlotSizes[static_cast<std::size_t>(slot)];
        if (chosen == kNone || (w >= size.width() && h >= size.height())) chosen = slot;
    }
    if (chosen == kNone) {
        bitmapId_ = kNone;
        bitmapSize_ = {};
        drawRect_ = QRect(-1, -1, 0, 0);
    } else {
        bitmapId_ = gLogoBitmaps[static_cast<std::size_t>(chosen)];
        bitmapSize_ = kSlotSizes[static_cast<std::size_t>(chosen)];
        const int bw = bitmapSize_.width();
        const int bh = bitmapSize_.height();
        int drawWidth = bw;
        int drawHeight = bh;
        if (w < bw || h < bh) {
            // Scaled down, keeping the proportions.
            if (bw * h < bh * w) {
                drawHeight = h;
                drawWidth = bw * h / bh;
            } else {
                drawWidth = w;
                drawHeight = w * bh / bw;
            }
        }
        int drawX = (w - drawWidth) >> 1;
        if (alignment_ == Alignment::Left) drawX = 0;
        if (alignment_ == Alignment::Right) drawX = w - drawWidth;
        drawRect_ = QRect(drawX, h - drawHeight, drawWidth, drawHeight);
    }
    if (isVisible()) Redraw();
}

QRgb LogoButton::MapColour(QRgb key, int state, const QPalette& palette) {
    const bool pushed = (state & kPushed) != 0;
    const bool focus = (state & kFocus) != 0;
    switch (key & 0xffffffu) {
        case 0xc0c0c0u:
            return Colour(palette, QPalette::Button).rgb();
        case 0xffffffu:
            return Colour(palette, pushed ? QPalette::Dark : QPalette::Light).rgb();
        case 0x808080u:
            if (pushed) return Colour(palette, QPalette::Light).rgb();
            return Colour(palette, focus ? QPalette::Shadow : QPalette::Dark).rgb();
        case 0xff00ffu:
            return pushed ? qRgb(128, 0, 0) : qRgb(255, 255, 255);
        case 0x800000u:
            return pushed ? qRgb(255, 255, 255) : qRgb(128, 0, 0);
        case 0x00ffffu:
            return pushed ? qRgb(0, 128, 0) : qRgb(255, 255, 255);
        case 0x008000u:
            return pushed ? qRgb(255, 255, 255) : qRgb(0, 128, 0);
        default:
            return key;
    }
}

void LogoButton::Draw(QPainter& painter) {
    painter.fillRect(rect(), Colour(palette(), QPalette::Button));
    if (bitmapId_ == kNone) return;
    // Loaded for each paint: the colours depend on the state. A screen that
    // scales gets the 2x picture, drawn at the slot's size in points.
    QImage bitmap = Pictures::Bitmap(bitmapId_, painter.device()->devicePixelRatioF())
                        .convertToFormat(QImage::Format_RGB32);
    if (bitmap.isNull()) return;
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            line[x] = MapColour(line[x], State(), palette());
        }
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (drawRect_.size() == bitmap.deviceIndependentSize().toSize()) {
        painter.drawImage(drawRect_.topLeft(), bitmap);
    } else {
        painter.drawImage(drawRect_, bitmap);
    }
}

void LogoButton::OnClicked(const QPoint&) {
    if (parentWidget()) emit clicked(false);
}

bool LogoButton::HitTest(const QPoint& point) const {
    return drawRect_.contains(point);
}

void LogoButton::resizeEvent(QResizeEvent* event) {
    PressableControl::resizeEvent(event);
    Layout();
}

}  // namespace nemora::app
