// A page of text over the match (the menu, how to play) as the shell describes it: lines,
// each in a style. Only what the lines are; laying them out and drawing them is overlay.h's.
#pragma once

#include <string>

namespace spinvale {

enum class LineStyle {
    Title,     // the page's name
    Entry,     // a menu entry
    Selected,  // the entry the keys act on, drawn on a bar
    Heading,   // a part of a page of text
    Body,      // a paragraph, in the smaller font
    Note,      // a remark under the entries, in the smaller font; an empty one is a gap
};

struct PageLine {
    LineStyle style;
    std::string text;
};

}  // namespace spinvale
