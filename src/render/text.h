// Text over the 3D picture: bitmap glyphs in display lists, placed by pixel positions
// counted from the top-left corner of a screen of the settings' height.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace spinvale {

// A font file as fontconfig names it: the path and the face's index inside the file.
struct FontFile {
    std::string path;
    int faceIndex = 0;
};

// The font for a face name: that family when it is installed, else the closest condensed
// bold sans serif. Nothing when the system has no fonts at all.
std::optional<FontFile> findFontFile(const char* faceName);

// 256 display lists of bitmap glyphs in one face and size, and how far each glyph moves
// the raster position, so that a text can be measured before it is drawn.
struct BitmapFont {
    uint32_t listBase = 0;
    int cellHeight = 0;  // pixels from the top of the highest glyph to the foot of the lowest
    int ascent = 0;      // pixels from the top of the cell to the baseline
    std::array<float, 256> advance{};
};

// The width of a text in pixels, drawn in that font.
float textWidth(const BitmapFont& font, const std::string& text);

// A window pixel, counted from the bottom-left corner.
struct WindowPixel {
    int x;
    int y;
};

// Where the baseline of a text placed at (x, y) starts: the row y is the top of a 17-pixel
// band above the baseline, one pixel in from x.
WindowPixel textOrigin(int screenHeight, int x, int y);

// Sets the raster position to textOrigin, wherever it lies, in the current colour. The
// matrices, the viewport and the matrix mode are left as they were.
void moveRasterTo(int screenHeight, int x, int y);

// Formats the text (at most 255 characters are kept) and draws it from textOrigin with the
// glyph lists starting at fontListBase. The list base is left as it was.
void printText(uint32_t fontListBase, int screenHeight, int x, int y, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

}  // namespace spinvale
