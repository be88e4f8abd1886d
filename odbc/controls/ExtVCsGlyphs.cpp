#include "odbc/controls/ExtVCsGlyphs.h"

#include <array>

namespace {

constexpr int kWidth = 6;
constexpr int kHeight = 5;
using Rows = std::array<const char*, kHeight>;

// One string per row from the top, "#" for a black pixel.
constexpr Rows kUpArrow = {
    "      ", "  #   ", " ###  ", "##### ", "      ",
};
constexpr Rows kDownArrow = {
    "##### ", " ###  ", "  #   ", "      ", "      ",
};

QImage FromRows(const Rows& rows)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (rows[static_cast<std::size_t>(y)][x] == '#')
                image.setPixelColor(x, y, Qt::black);
    return image;
}

} // namespace

QImage LoadGlyph(std::string_view name)
{
    if (name == "UPARROW")
        return FromRows(kUpArrow);
    if (name == "DOWNARROW")
        return FromRows(kDownArrow);
    return QImage();
}
