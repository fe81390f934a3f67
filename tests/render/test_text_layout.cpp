// Where texts stand, worked out by hand, and which font file the glyphs come from. No GL.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <string>

#include "frame.h"
#include "text.h"

namespace spinvale {
namespace {

// The row is the top of a 17-pixel band above the baseline, counted from the top; the
// origin is counted from the bottom, one pixel left of the column.
TEST(TextLayout, OriginIsSeventeenPixelsBelowTheRowAndOnePixelLeft) {
    const WindowPixel origin = textOrigin(768, 10, 319);
    EXPECT_EQ(origin.x, 9);
    EXPECT_EQ(origin.y, 432);
    EXPECT_EQ(textOrigin(600, 0, 0).y, 583);
    EXPECT_EQ(textOrigin(600, 0, 700).y, -117);  // off the screen, still a position
}

// 768 / 2 = 384: the rows 319, 339, 379 and 399 land on 432, 412, 372 and 352.
TEST(TextLayout, FrameRowsOnA768PixelScreen) {
    const TextRows rows = frameTextRows(768);
    EXPECT_EQ(rows.score1, 319);
    EXPECT_EQ(rows.score2, 339);
    EXPECT_EQ(rows.result, 379);
    EXPECT_EQ(rows.exitHint, 399);
    EXPECT_EQ(textOrigin(768, textColumn, rows.score1).y, 432);
    EXPECT_EQ(textOrigin(768, textColumn, rows.score2).y, 412);
    EXPECT_EQ(textOrigin(768, textColumn, rows.result).y, 372);
    EXPECT_EQ(textOrigin(768, textColumn, rows.exitHint).y, 352);
    EXPECT_EQ(textOrigin(768, textColumn, 0).x, 9);
}

// Half of an odd height drops the remainder: 769 / 2 = 384, so the rows match 768's and
// the origins sit one pixel higher.
TEST(TextLayout, OddHeightDropsTheHalfPixel) {
    const TextRows rows = frameTextRows(769);
    EXPECT_EQ(rows.score1, 319);
    EXPECT_EQ(rows.exitHint, 399);
    EXPECT_EQ(textOrigin(769, textColumn, rows.score1).y, 433);
}

TEST(FontLookup, InstalledFamilyIsTakenAsNamed) {
    const std::optional<FontFile> file = findFontFile("DejaVu Sans Mono");
    ASSERT_TRUE(file.has_value());
    EXPECT_NE(file->path.find("DejaVuSansMono"), std::string::npos) << file->path;
}

// A face the system lacks falls back to a condensed bold sans serif, not to whatever
// fontconfig would offer for the name (a regular face).
TEST(FontLookup, MissingFamilyFallsBackToCondensedBoldSans) {
    const std::optional<FontFile> file = findFontFile("Spinvale Missing Face");
    ASSERT_TRUE(file.has_value());
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, file->path.c_str(), file->faceIndex, &face), 0);
    EXPECT_TRUE(face->style_flags & FT_STYLE_FLAG_BOLD) << file->path;
    EXPECT_FALSE(face->style_flags & FT_STYLE_FLAG_ITALIC) << file->path;
    EXPECT_NE(std::string(face->style_name).find("Condensed"), std::string::npos)
        << file->path << ": " << face->style_name;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

}  // namespace
}  // namespace spinvale
