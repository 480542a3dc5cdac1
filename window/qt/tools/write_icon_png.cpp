// Writes the tool's icon as a PNG file (for the desktop's icon theme) at the path given.

#include <QImage>
#include <cstdio>

#include "window/qt/quenor_icon.xpm.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    const QImage icon(kQuenorIconXpm);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not write the icon to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
