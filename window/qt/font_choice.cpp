#include "window/qt/font_choice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QHash>
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

bool isInstalled(const QStringList& installed, const QString& family) {
    return installed.contains(family, Qt::CaseInsensitive);
}

QString resolveFamily(const QString& family) {
    const QStringList installed = QFontDatabase::families();
    if (isInstalled(installed, family)) return family;
    for (const Substitute& substitute : kSubstitutes) {
        if (family.compare(QLatin1String(substitute.family), Qt::CaseInsensitive) == 0 &&
            isInstalled(installed, QLatin1String(substitute.metricCompatible))) {
            return QLatin1String(substitute.metricCompatible);
        }
    }
    return family;
}

}  // namespace

QString installedFamilyFor(const QString& family) {
    // Every control names one of a few families, and listing the installed fonts costs
    // more than laying out the window: each family is resolved once per run.
    static QHash<QString, QString> resolved;
    const auto known = resolved.constFind(family);
    if (known != resolved.constEnd()) return *known;
    QString result = resolveFamily(family);
    resolved.insert(family, result);
    return result;
}

int addShippedFonts() {
    const QDir folder(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/../share/quenor/fonts"));
    int added = 0;
    const QStringList files =
        folder.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")}, QDir::Files);
    for (const QString& file : files) {
        if (QFontDatabase::addApplicationFont(folder.filePath(file)) >= 0) ++added;
    }
    return added;
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
    // Full hinting (the font's own instructions), as Windows draws small Arial; it is also
    // cheaper to draw than the auto-hinter's light hinting most desktops ask for.
    result.setHintingPreference(QFont::PreferFullHinting);
    return result;
}

}  // namespace quenor::ui::qt
