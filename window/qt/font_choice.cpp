#include "window/qt/font_choice.h"

#include <QFontDatabase>
#include <QStringList>

namespace quenor::ui::qt {

namespace {

struct Substitute {
    const char* family;
    const char* metricCompatible;
};
constexpr Substitute kSubstitutes[] = {
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
};

bool isInstalled(const QString& family) {
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

QString installedFamilyFor(const QString& family) {
    if (isInstalled(family)) return family;
    for (const Substitute& substitute : kSubstitutes) {
        if (family.compare(QLatin1String(substitute.family), Qt::CaseInsensitive) == 0 &&
            isInstalled(QLatin1String(substitute.metricCompatible))) {
            return QLatin1String(substitute.metricCompatible);
        }
    }
    return family;
}

Font windowDefaultFont() {
    return Font{"Arial", 8.0, false, false, false};
}

QFont controlFont(const std::optional<Font>& font, const TwipScale& scale) {
    const Font& wanted = font ? *font : windowDefaultFont();
    QFont result(installedFamilyFor(QString::fromStdString(wanted.name)));
    result.setPixelSize(scale.fontPixels(wanted.points));
    result.setBold(wanted.bold);
    result.setItalic(wanted.italic);
    result.setUnderline(wanted.underline);
    result.setStyleHint(QFont::SansSerif);
    return result;
}

}  // namespace quenor::ui::qt
