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

// Adds the fonts shipped with the program, for this run: the files in share/quenor/fonts
// beside the program's bin folder (the portable bundle carries Liberation Sans there, the
// family the window's layout is measured with, for systems that lack it). Call it after the
// QGuiApplication is made and before the first control's font is chosen. Returns how many
// font files were added; none when the folder is not there.
int addShippedFonts();

// The window's default font: the layout's sans-serif family at 8 points, regular.
Font windowDefaultFont();

}  // namespace quenor::ui::qt
