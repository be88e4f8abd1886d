#pragma once
// The program's small button glyphs by resource name: "UPARROW" and "DOWNARROW", 6 by 5 pixel black
// triangles on a transparent ground. They are drawn here from their pixel rows, not loaded from
// files.
#include <QImage>
#include <string_view>

// The glyph of that name; a null image for a name the program does not have.
QImage LoadGlyph(std::string_view name);
