// The Windows program's icon resource (window/win32/quenor.ico) is the same picture as the
// window's icon here: same size, same colour in every pixel, transparent where it is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "window/qt/quenor_icon.xpm.h"

namespace quenor::ui::qt {
namespace {

std::uint32_t little(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

TEST(WindowsIcon, IsTheWindowsIconPixelForPixel) {
    const char* source = std::getenv("QUENOR_SOURCE_DIR");
    const auto path = std::filesystem::path(source ? source : ".") / "window/win32/quenor.ico";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    std::ostringstream read;
    read << in.rdbuf();
    const std::string ico = read.str();

    // One 32 x 32 image of 4 bits a pixel: a BITMAPINFOHEADER, 16 colours, the colour bits and
    // the transparency mask, both bottom-up.
    ASSERT_EQ(little(ico, 4, 2), 1u);
    const std::size_t image = little(ico, 18, 4);
    ASSERT_EQ(little(ico, image + 4, 4), 32u);
    ASSERT_EQ(little(ico, image + 14, 2), 4u);
    const std::size_t palette = image + 40;
    const std::size_t colours = palette + 16 * 4;
    const std::size_t mask = colours + 32 * 16;

    std::map<char, std::string> xpmColours;  // "#rrggbb" or "None"
    for (int i = 1; i <= 12; ++i) {
        const std::string line = kQuenorIconXpm[i];
        xpmColours[line[0]] = line.substr(line.rfind(' ') + 1);
    }
    for (int y = 0; y < 32; ++y) {
        const std::string row = kQuenorIconXpm[13 + y];
        const int stored = 31 - y;
        for (int x = 0; x < 32; ++x) {
            SCOPED_TRACE("pixel " + std::to_string(x) + "," + std::to_string(y));
            const bool transparent =
                (static_cast<unsigned char>(ico.at(mask + stored * 4 + x / 8)) >> (7 - x % 8)) & 1;
            const std::string& expected = xpmColours.at(row[x]);
            ASSERT_EQ(transparent, expected == "None");
            if (transparent) continue;
            const unsigned char pair =
                static_cast<unsigned char>(ico.at(colours + stored * 16 + x / 2));
            const unsigned index = x % 2 == 0 ? pair >> 4 : pair & 0xF;
            char rgb[8];
            std::snprintf(rgb, sizeof rgb, "#%02X%02X%02X",
                          static_cast<unsigned char>(ico.at(palette + index * 4 + 2)),
                          static_cast<unsigned char>(ico.at(palette + index * 4 + 1)),
                          static_cast<unsigned char>(ico.at(palette + index * 4)));
            ASSERT_EQ(rgb, expected);
        }
    }
}

}  // namespace
}  // namespace quenor::ui::qt
