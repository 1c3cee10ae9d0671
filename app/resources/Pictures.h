#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace nemora::app {

// The program's bitmaps and icons (res/pictures), by resource id.
class Pictures {
public:
    // Icon 144: the program's icon.
    static constexpr int kProgramIcon = 144;

    // Bitmap `id` as stored (16 colours); a null image when there is none.
    // For a screen of more than one device pixel a point (`ratio`), its 2x
    // picture where there is one, marked as such (device pixel ratio 2).
    static QImage Bitmap(int id, qreal ratio = 1);

    // Icon `id` at exactly `size` points square, for a screen of `ratio`
    // device pixels a point: the smallest of its pictures that is not
    // smaller, or else its largest, scaled to the size in device pixels. A
    // null image when there is no such icon.
    static QImage Icon(int id, int size, qreal ratio = 1);

    // Icon `id` with all its sizes, for window frames.
    static QIcon WindowIcon(int id);

    // The vector picture `name` (res/pictures/<name>.svg), drawn in `colour`
    // at `size` points square for a screen of `ratio` device pixels a point.
    // A null pixmap when there is no such picture.
    static QPixmap Vector(const QString& name, int size, qreal ratio, const QColor& colour);
};

}  // namespace nemora::app
