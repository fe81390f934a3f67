// Text over the 3D picture: bitmap glyphs in display lists, placed by pixel positions
// counted from the top-left corner of a screen of the settings' height.
#pragma once

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
