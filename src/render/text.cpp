// The glyphs come from the system's fonts: fontconfig chooses the file and FreeType draws
// each character into a one-bit bitmap, which a display list hands to glBitmap.
#include "text.h"

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "render.h"

namespace spinvale {

namespace {

constexpr int fontListCount = 256;
constexpr int glyphCount = 255;  // codes 0 to 254; the list of code 255 stays empty

bool hasFamily(FcPattern* font, const char* family) {
    FcChar8* name = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
        if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) {
            return true;
        }
    }
    return false;
}

// fontconfig's best match for the pattern, which it takes over. With a required family,
// a match of another family (fontconfig always offers something) does not count.
std::optional<FontFile> matchFont(FcConfig* config, FcPattern* wanted, const char* requiredFamily) {
    FcConfigSubstitute(config, wanted, FcMatchPattern);
    FcDefaultSubstitute(wanted);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(config, wanted, &result);
    FcPatternDestroy(wanted);
    if (font == nullptr) {
        return std::nullopt;
    }
    std::optional<FontFile> found;
    FcChar8* path = nullptr;
    if ((requiredFamily == nullptr || hasFamily(font, requiredFamily)) &&
        FcPatternGetString(font, FC_FILE, 0, &path) == FcResultMatch) {
        found = FontFile{reinterpret_cast<const char*>(path), 0};
        FcPatternGetInteger(font, FC_INDEX, 0, &found->faceIndex);
    }
    FcPatternDestroy(font);
    return found;
}

FcPattern* familyPattern(const char* family) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    return pattern;
}

// Impact is tall, heavy and narrow; where it is missing this is the nearest common look.
FcPattern* condensedBoldSans() {
    FcPattern* pattern = familyPattern("sans-serif");
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_BOLD);
    FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_CONDENSED);
    return pattern;
}

// Owns a FreeType library and face for as long as the glyphs are being made.
struct FreeTypeFont {
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    FreeTypeFont() = default;
    FreeTypeFont(const FreeTypeFont&) = delete;
    FreeTypeFont& operator=(const FreeTypeFont&) = delete;
    ~FreeTypeFont() {
        if (face != nullptr) {
            FT_Done_Face(face);
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
};

// The face sized so that ascent plus descent, the cell, is cellHeight pixels; character
// codes are looked up as Unicode, whose first 256 code points are Latin-1.
bool openFace(FreeTypeFont& font, const FontFile& file, int cellHeight) {
    if (FT_Init_FreeType(&font.library) != 0 ||
        FT_New_Face(font.library, file.path.c_str(), file.faceIndex, &font.face) != 0) {
        return false;
    }
    FT_Select_Charmap(font.face, FT_ENCODING_UNICODE);
    FT_Size_RequestRec cell{FT_SIZE_REQUEST_TYPE_CELL, 0, FT_Long(cellHeight) * 64, 0, 0};
    return FT_Request_Size(font.face, &cell) == 0;
}

// FreeType's rows run top-down; glBitmap's run bottom-up, packed to whole bytes.
std::vector<GLubyte> bottomUpRows(const FT_Bitmap& bitmap) {
    const std::size_t rowBytes = (bitmap.width + 7) / 8;
    std::vector<GLubyte> rows(rowBytes * bitmap.rows);
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        std::memcpy(&rows[(bitmap.rows - 1 - row) * rowBytes], bitmap.buffer + row * bitmap.pitch,
                    rowBytes);
    }
    return rows;
}

// The glyph's bitmap is placed by its offset from the pen on the baseline, and the raster
// position then moves on by the glyph's advance, which is returned. A glyph that cannot be
// drawn as one-bit rows still advances.
float compileGlyph(FT_Face face, GLuint list, unsigned long code) {
    float advance = 0;
    glNewList(list, GL_COMPILE);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        advance = glyph->advance.x / 64.0f;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO && bitmap.pitch > 0 && bitmap.rows > 0) {
            const std::vector<GLubyte> rows = bottomUpRows(bitmap);
            glBitmap(GLsizei(bitmap.width), GLsizei(bitmap.rows), float(-glyph->bitmap_left),
                     float(int(bitmap.rows) - glyph->bitmap_top), advance, 0, rows.data());
        } else {
            glBitmap(0, 0, 0, 0, advance, 0, nullptr);
        }
    }
    glEndList();
    return advance;
}

}  // namespace

std::optional<FontFile> findFontFile(const char* faceName) {
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (config == nullptr) {
        return std::nullopt;
    }
    std::optional<FontFile> found = matchFont(config, familyPattern(faceName), faceName);
    if (!found) {
        found = matchFont(config, condensedBoldSans(), nullptr);
    }
    FcConfigDestroy(config);
    return found;
}

// Without any usable font the lists stay empty: the game goes on, only without its texts.
BitmapFont makeBitmapFont(const char* faceName, int cellHeight) {
    BitmapFont made;
    made.listBase = glGenLists(fontListCount);
    made.cellHeight = cellHeight;
    made.ascent = cellHeight;
    const std::optional<FontFile> file = findFontFile(faceName);
    FreeTypeFont font;
    if (!file) {
        std::cerr << "spinvale: no font found for \"" << faceName << "\"; texts are not shown\n";
        return made;
    }
    if (!openFace(font, *file, cellHeight)) {
        std::cerr << "spinvale: cannot read the font " << file->path << "; texts are not shown\n";
        return made;
    }
    made.ascent = int(font.face->size->metrics.ascender / 64);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // glyph rows are packed to whole bytes, not words
    for (int code = 0; code < glyphCount; ++code) {
        made.advance[code] = compileGlyph(font.face, made.listBase + code, code);
    }
    glPopClientAttrib();
    return made;
}

float textWidth(const BitmapFont& font, const std::string& text) {
    float width = 0;
    for (const char c : text) {
        width += font.advance[static_cast<unsigned char>(c)];
    }
    return width;
}

WindowPixel textOrigin(int screenHeight, int x, int y) {
    return {x - 1, screenHeight - y - 17};
}

// Under identity matrices the point (0, 0, 0, 1) lands on the viewport's corner, so a
// viewport of no size cornered at the wanted pixel puts the raster position there, and
// it stays valid even where that pixel lies outside the window.
void moveRasterTo(int screenHeight, int x, int y) {
    const WindowPixel origin = textOrigin(screenHeight, x, y);
    glPushAttrib(GL_TRANSFORM_BIT | GL_VIEWPORT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(origin.x, origin.y, 0, 0);
    glRasterPos4f(0, 0, 0, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void printText(uint32_t fontListBase, int screenHeight, int x, int y, const char* format, ...) {
    if (format == nullptr) {
        return;
    }
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length < 0) {
        return;
    }
    moveRasterTo(screenHeight, x, y);
    glPushAttrib(GL_LIST_BIT);
    glListBase(fontListBase);
    glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

}  // namespace spinvale
