// Writes the tool's icon as a PNG file (for the desktop's icon theme) at the path given, at
// its own 32 x 32 pixels or at SIZE x SIZE. The icon is pixel art: it is enlarged by whole
// pixels (each one a square block), and only a size that is not a whole multiple of 32 is
// then smoothed down from the next whole multiple.

#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window/qt/quenor_icon.xpm.h"

namespace {

QImage iconAt(int size) {
    QImage icon(kQuenorIconXpm);
    if (icon.isNull() || size == icon.width()) return icon;
    const int blocks = (size + icon.width() - 1) / icon.width();
    QImage enlarged = icon.scaled(icon.width() * blocks, icon.height() * blocks,
                                  Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (enlarged.width() == size) return enlarged;
    return enlarged.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

int main(int argc, char** argv) {
    int size = 32;
    if (argc == 3) {
        char* end = nullptr;
        const long wanted = std::strtol(argv[2], &end, 10);
        if (end == argv[2] || *end != '\0' || wanted < 16 || wanted > 1024) {
            std::fprintf(stderr, "SIZE must be a number of pixels from 16 to 1024: %s\n", argv[2]);
            return 2;
        }
        size = static_cast<int>(wanted);
    } else if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [SIZE]\n", argv[0]);
        return 2;
    }
    const QImage icon = iconAt(size);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not write the icon to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
