#include "window/qt/form_style.h"

#include <QStyleFactory>
#include <cmath>

namespace quenor::ui::qt {

namespace {

int scaled(int pixelsAt96, const TwipScale& scale) {
    return static_cast<int>(std::lround(pixelsAt96 * scale.dotsPerInch() / 96.0));
}

}  // namespace

FormStyle::FormStyle(const TwipScale& scale)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))),
      indicator_(scaled(13, scale)),
      captionSpacing_(scaled(4, scale)) {}

int FormStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
    switch (metric) {
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            return indicator_;
        case PM_RadioButtonLabelSpacing:
        case PM_CheckBoxLabelSpacing:
            return captionSpacing_;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

}  // namespace quenor::ui::qt
