// Writes 8-bit RGBA images as PNG files (for the icon and the README screenshot).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spinvale {

// pixels: height rows of width RGBA pixels, top row first. False with the reason in error.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels,
              std::string& error);

}  // namespace spinvale
