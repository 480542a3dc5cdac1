#include "window/qt/twip_scale.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace quenor::ui::qt {

namespace {
constexpr double kTwipsPerInch = 1440.0;
constexpr double kPointsPerInch = 72.0;
constexpr double kReferenceDpi = 96.0;  // the density the layout was drawn at
}  // namespace

TwipScale::TwipScale(double dotsPerInch) : dotsPerInch_(dotsPerInch) {
    if (!std::isfinite(dotsPerInch) || dotsPerInch <= 0.0) {
        throw std::invalid_argument(
            "screen density must be a positive number of dots per "
            "inch, not " +
            std::to_string(dotsPerInch));
    }
}

int TwipScale::toPixels(int twips) const {
    return static_cast<int>(std::lround(twips * dotsPerInch_ / kTwipsPerInch));
}

QRect TwipScale::toPixels(const TwipRect& absolute) const {
    const int left = toPixels(absolute.left);
    const int top = toPixels(absolute.top);
    const int right = toPixels(absolute.left + absolute.width);
    const int bottom = toPixels(absolute.top + absolute.height);
    return QRect(left, top, right - left, bottom - top);
}

int TwipScale::fontPixels(double points) const {
    const double at96 = std::round(points * kReferenceDpi / kPointsPerInch);
    // The small allowance keeps whole products whole (11 x 1.5 is 16.5, 12 x 1.5 is 18).
    const double pixels = std::floor(at96 * dotsPerInch_ / kReferenceDpi + 1e-9);
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

}  // namespace quenor::ui::qt
