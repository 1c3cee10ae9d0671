#include "app/resources/DialogUnits.h"

#include <cstdint>
#include <cstdlib>

#include <QFont>
#include <QFontMetrics>

namespace nemora::app {

DialogUnits DialogUnits::ForFont(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int DialogUnits::MulDiv(int number, int numerator, int denominator) {
    const std::int64_t product = std::int64_t{number} * numerator;
    const std::int64_t half = std::abs(std::int64_t{denominator}) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = (std::abs(product) + half) / std::abs(std::int64_t{denominator});
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace nemora::app
