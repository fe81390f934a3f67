// Pages over the paused match: the game's menu and its how-to-play page. The frame behind
// is dimmed so that every line reads. A page is a list of lines, each in a style; a line
// too long for the window is wrapped at its spaces. Laying a page out needs only the fonts'
// advances; drawing it needs the game's context.
#pragma once

#include <string>
#include <vector>

#include "page.h"
#include "render.h"

namespace spinvale {

// One row on the screen: a line, or a part of a wrapped one. x and top are pixels from the
// window's left and top edges; line is the index of the page line the row shows.
struct PlacedRow {
    LineStyle style;
    std::string text;
    int x;
    int top;
    int height;
    int line;
    bool compact = false;  // an entry in the smaller font, the page being tall for the window
};

// The rows of a page in a window of that size: one column, at most 760 pixels wide, in the
// middle of the window, and the whole page centred from top to bottom. A page too tall for
// the window sets its entries in the smaller font, so that every line shows.
std::vector<PlacedRow> layoutPage(const std::vector<PageLine>& lines, int width, int height,
                                  const SceneLists& lists);

// Two pages side by side, each in half of the one page's column (line counts on through the
// second).
std::vector<PlacedRow> layoutSideBySide(const std::vector<PageLine>& left,
                                        const std::vector<PageLine>& right, int width, int height,
                                        const SceneLists& lists);

// Dims whatever the frame holds and draws the rows over it. The matrices, the viewport and
// the switches the frame uses are left as they were.
void drawPage(const std::vector<PlacedRow>& rows, int width, int height, const SceneLists& lists);

}  // namespace spinvale
