#include "overlay.h"

#include <GL/gl.h>

#include <algorithm>

namespace spinvale {

namespace {

constexpr int margin = 20;
constexpr int widestColumn = 760;
constexpr int bodyIndent = 16;

struct StyleLook {
    bool smallFont;
    int height;  // the row's height, pixels
    int gapAbove;
    float colour[3];
};

StyleLook lookOf(LineStyle style, bool compact = false) {
    if (compact && (style == LineStyle::Entry || style == LineStyle::Selected)) {
        StyleLook look = lookOf(style);
        look.smallFont = true;
        look.height = 24;
        return look;
    }
    switch (style) {
        case LineStyle::Title:
            return {false, 40, 0, {1, 0.85f, 0.3f}};
        case LineStyle::Entry:
            return {false, 32, 0, {1, 1, 1}};
        case LineStyle::Selected:
            return {false, 32, 0, {1, 0.9f, 0.2f}};
        case LineStyle::Heading:
            return {true, 24, 8, {1, 0.85f, 0.3f}};
        case LineStyle::Body:
            return {true, 22, 0, {0.93f, 0.93f, 0.93f}};
        case LineStyle::Note:
            return {true, 22, 0, {0.75f, 0.82f, 0.95f}};
    }
    return {false, 32, 0, {1, 1, 1}};
}

const BitmapFont& fontOf(const StyleLook& look, const SceneLists& lists) {
    return look.smallFont ? lists.smallFont : lists.font;
}

// The words of a text, filled into rows no wider than the width; a word wider than that
// stands on a row of its own.
std::vector<std::string> wrap(const std::string& text, float width, const BitmapFont& font) {
    std::vector<std::string> rows;
    std::string row;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string word = text.substr(start, end - start);
        const std::string longer = row.empty() ? word : row + " " + word;
        if (!row.empty() && textWidth(font, longer) > width) {
            rows.push_back(row);
            row = word;
        } else {
            row = longer;
        }
        start = end + 1;
    }
    rows.push_back(row);
    return rows;
}

void fillRect(float left, float top, float right, float bottom) {
    glBegin(GL_QUADS);
    glVertex2f(left, top);
    glVertex2f(right, top);
    glVertex2f(right, bottom);
    glVertex2f(left, bottom);
    glEnd();
}

// Pixel coordinates from the window's top-left corner for the quads that follow.
void pushWindowPixels(int width, int height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popWindowPixels() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The rows from y 0 down, y left at their foot.
std::vector<PlacedRow> placeRows(const std::vector<PageLine>& lines, int column, int left,
                                 bool compact, const SceneLists& lists, int& y) {
    std::vector<PlacedRow> rows;
    y = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const PageLine& line = lines[i];
        const StyleLook look = lookOf(line.style, compact);
        if (line.text.empty()) {
            y += look.height / 2;
            continue;
        }
        y += look.gapAbove;
        const bool wrapped = line.style == LineStyle::Body || line.style == LineStyle::Note;
        const int indent = line.style == LineStyle::Body ? bodyIndent : 0;
        const std::vector<std::string> parts =
            wrapped ? wrap(line.text, float(column - 2 * indent), fontOf(look, lists))
                    : std::vector<std::string>{line.text};
        for (std::size_t p = 0; p < parts.size(); ++p) {
            // A paragraph's later rows stand further in, so that its first row shows.
            const int x = left + indent + (p > 0 && indent > 0 ? bodyIndent : 0);
            rows.push_back({line.style, parts[p], x, y, look.height, int(i), compact});
            y += look.height;
        }
    }
    return rows;
}

}  // namespace

std::vector<PlacedRow> layoutPage(const std::vector<PageLine>& lines, int width, int height,
                                  const SceneLists& lists) {
    const int column = std::min(width - 2 * margin, widestColumn);
    const int left = (width - column) / 2;
    int y = 0;
    std::vector<PlacedRow> rows = placeRows(lines, column, left, false, lists, y);
    if (y + margin > height) {
        rows = placeRows(lines, column, left, true, lists, y);
    }
    const int top = std::max(margin / 2, (height - y) / 2);
    for (PlacedRow& row : rows) {
        row.top += top;
    }
    return rows;
}

std::vector<PlacedRow> layoutSideBySide(const std::vector<PageLine>& left,
                                        const std::vector<PageLine>& right, int width, int height,
                                        const SceneLists& lists) {
    const int column = std::min(width - 2 * margin, widestColumn);
    std::vector<PlacedRow> rows;
    for (const std::vector<PageLine>* page : {&left, &right}) {
        // Laid out alone, a page of half the column stands a margin in from its left edge.
        const int shift = (width - column) / 2 - margin + (page == &left ? 0 : column / 2);
        for (PlacedRow row : layoutPage(*page, column / 2 + 2 * margin, height, lists)) {
            row.x += shift;
            row.line += page == &left ? 0 : int(left.size());
            rows.push_back(row);
        }
    }
    return rows;
}

void drawPage(const std::vector<PlacedRow>& rows, int width, int height, const SceneLists& lists) {
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TRANSFORM_BIT |
                 GL_VIEWPORT_BIT);
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    pushWindowPixels(width, height);
    glColor4f(0, 0, 0, 0.8f);
    fillRect(0, 0, float(width), float(height));
    // The page stands on a darker panel, so that the frame's own texts do not show through.
    const int column = std::min(width - 2 * margin, widestColumn);
    const float left = float((width - column) / 2 - 10);
    const float right = left + float(column + 20);
    if (!rows.empty()) {
        int top = rows.front().top, bottom = top;
        for (const PlacedRow& row : rows) {
            top = std::min(top, row.top);
            bottom = std::max(bottom, row.top + row.height);
        }
        glColor4f(0, 0, 0, 0.6f);
        fillRect(left, float(top - 10), right, float(bottom + 10));
    }
    for (const PlacedRow& row : rows) {
        if (row.style == LineStyle::Selected) {
            glColor4f(1, 1, 1, 0.2f);
            fillRect(left, float(row.top), right, float(row.top + row.height));
        }
    }
    popWindowPixels();
    for (const PlacedRow& row : rows) {
        const StyleLook look = lookOf(row.style, row.compact);
        const BitmapFont& font = fontOf(look, lists);
        // The row's text stands on a baseline its font's ascent below the row's top, with
        // the row's spare height split above and below the cell.
        const int baseline = row.top + (look.height - font.cellHeight) / 2 + font.ascent;
        glColor3fv(look.colour);
        printText(font.listBase, height, row.x + 1, baseline - 17, "%s", row.text.c_str());
    }
    glPopAttrib();
}

}  // namespace spinvale
