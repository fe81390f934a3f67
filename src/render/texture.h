// Scene textures: a BMP image into the texture object bound to GL_TEXTURE_2D.
#pragma once

#include <string>

namespace spinvale {

// Reads the BMP file and uploads it, with linear minification and magnification and no
// mipmaps, into the texture currently bound to GL_TEXTURE_2D. Needs a current GL context.
// A file that cannot be used leaves the texture without an image (its faces are then drawn
// in their plain colour) and one warning line naming the file and the reason goes to stderr.
void loadTexture(const std::string& path);

}  // namespace spinvale
