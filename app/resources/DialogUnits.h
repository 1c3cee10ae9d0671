#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace nemora::app {

// Dialog units to pixels, as the platform that the templates come from
// converts them: a horizontal unit is a quarter of the dialog font's average
// character width, a vertical unit an eighth of its height, each coordinate
// and extent converted on its own and rounded to the nearest pixel.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    // The base units of `font`: the average width of the 52 Latin letters,
    // rounded, and the font's height (ascent plus descent).
    static DialogUnits ForFont(const QFont& font);

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

    int X(int units) const { return MulDiv(units, baseX_, 4); }
    int Y(int units) const { return MulDiv(units, baseY_, 8); }
    QSize Size(const QSize& units) const { return {X(units.width()), Y(units.height())}; }
    QRect Rect(const QRect& units) const {
        return {X(units.x()), Y(units.y()), X(units.width()), Y(units.height())};
    }

    // number * numerator / denominator, rounded half away from zero.
    static int MulDiv(int number, int numerator, int denominator);

private:
    int baseX_;
    int baseY_;
};

}  // namespace nemora::app
