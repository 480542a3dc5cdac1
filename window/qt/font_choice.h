#pragma once

#include <QFont>
#include <QString>
#include <optional>

#include "window/control.h"
#include "window/qt/twip_scale.h"

namespace quenor::ui::qt {

// The family drawn for a family the layout names: the family itself where it is
// installed, else a metric-compatible substitute (Liberation Sans for Arial) where that is
// installed, else the name unchanged so the system's font matching picks the nearest.
QString installedFamilyFor(const QString& family);

// The font of a control: its own, or the window's default when it has none. Sizes become
// whole pixels at the scale's density, so the text fits the control's twip size on any
// screen.
QFont controlFont(const std::optional<Font>& font, const TwipScale& scale);

// The window's default font: the layout's sans-serif family at 8 points, regular.
Font windowDefaultFont();

}  // namespace quenor::ui::qt
