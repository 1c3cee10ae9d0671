#include "app/controls/IconButton.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "app/resources/Pictures.h"

namespace nemora::app {
namespace {

// The largest square in `r`, placed by the style's alignment bits.
QRect Square(const QRect& r, int style) {
    const int w = r.width();
    const int h = r.height();
    if (w > h) {
        int left = r.left() + ((w - h) >> 1);
        if ((style & IconButton::kHorizontalMask) == IconButton::kAlignLeft) left = r.left();
        if ((style & IconButton::kHorizontalMask) == IconButton::kAlignRight)
            left = r.left() + w - h;
        return {left, r.top(), h, h};
    }
    if (h > w) {
        int top = r.top() + ((h - w) >> 1);
        if ((style & IconButton::kVerticalMask) == IconButton::kAlignTop) top = r.top();
        if ((style & IconButton::kVerticalMask) == IconButton::kAlignBottom) top = r.top() + h - w;
        return {r.left(), top, w, w};
    }
    return r;
}

QRect Shrunk(const QRect& r, int by) {
    return r.adjusted(by, by, -by, -by);
}

// The inset that leaves room for the edges and the focus mark.
QRect Inset(const QRect& r, bool pressed) {
    QRect inner = r.adjusted(2, 2, -3, -3);
    if (pressed) inner.translate(1, 1);
    return inner;
}

}  // namespace

IconButton::IconButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);
}

void IconButton::SetStyle(int style) {
    style_ = style;
    update();
}

void IconButton::SetIconId(int iconId) {
    iconId_ = iconId;
    update();
}

QRect IconButton::IconRect(const QRect& item, int style, bool pressed) {
    if (style & kDoubleFrame) return Shrunk(Square(item, style), 4);
    QRect r = item;
    if (style & kSoftEdge) {
        r = Shrunk(r, 3);
    } else if (pressed) {
        r = Shrunk(r, 2);
    }
    return Square(Inset(r, pressed), style);
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const bool pressed = isDown();
    const QRect item = rect();
    painter.fillRect(item, colours.color(QPalette::Active, QPalette::Button));

    QRect r = item;
    if (style_ & kDoubleFrame) {
        r = Square(item, style_);
        qDrawWinPanel(&painter, r, colours, false);
        qDrawWinPanel(&painter, Shrunk(r, 2), colours, true);
    } else {
        if (style_ & kSoftEdge) {
            qDrawWinButton(&painter, r, colours, pressed);
            r = Shrunk(r, 3);
        } else if (pressed) {
            qDrawShadeRect(&painter, r, colours, true, 1, 0);
            r = Shrunk(r, 2);
        }
        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = r;
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
    if (iconId_ == 0) return;
    const QRect square = IconRect(item, style_, pressed);
    const QImage icon =
        Pictures::Icon(iconId_, square.width(), painter.device()->devicePixelRatioF());
    if (!icon.isNull()) painter.drawImage(square.topLeft(), icon);
}

}  // namespace nemora::app
