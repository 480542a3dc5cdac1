#pragma once

#include <QProxyStyle>

#include "window/qt/twip_scale.h"

namespace quenor::ui::qt {

// The look of the form's controls on every desktop: Qt's Fusion style with the option and
// check boxes of the Windows controls the layout was drawn for — a 13-pixel indicator and
// 4 pixels before the caption at 96 dpi, scaled with the density. The layout's captions
// were sized for that room; Fusion's own 14-pixel indicator and 6-pixel spacing leave
// "No Change" 2 pixels short, and a desktop style (Breeze, Adwaita) would leave less.
class FormStyle : public QProxyStyle {
  public:
    explicit FormStyle(const TwipScale& scale);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

  private:
    int indicator_;
    int captionSpacing_;
};

}  // namespace quenor::ui::qt
