#pragma once

#include <QRect>

#include "window/control.h"

namespace quenor::ui::qt {

// Converts the form model's twips to the pixels of a screen of a given density (logical
// dots per inch; 96 gives 15 twips to the pixel). Positions are converted edge by edge, so
// controls that touch in twips still touch in pixels and no rounding error builds up
// across a row of controls.
class TwipScale {
  public:
    // Throws std::invalid_argument for a density that is not a positive finite number.
    explicit TwipScale(double dotsPerInch = 96.0);

    double dotsPerInch() const { return dotsPerInch_; }

    // One coordinate, rounded to the nearest pixel (halves away from zero).
    int toPixels(int twips) const;
    // A rectangle given relative to the window's client area.
    QRect toPixels(const TwipRect& absolute) const;
    // A font size in points as whole pixels, at least 1: the size at 96 dpi (points
    // rounded to whole pixels, as Windows sizes them there), scaled with the density and
    // rounded down. Down, because a text must never grow faster than the controls around
    // it: rounding 8.25 pt at 120 dpi up to 14 pixels would push captions the layout sized
    // at 96 dpi out of their controls.
    int fontPixels(double points) const;

  private:
    double dotsPerInch_;
};

}  // namespace quenor::ui::qt
