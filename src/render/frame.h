// The texts of a frame and where they stand.
#pragma once

namespace spinvale {

// Text rows, in pixels downward from the top of a screen of the settings' height: the two
// score lines, the result of a won game and the two hints under it. They are placed around
// the middle of the screen (its height halved, remainder dropped), 20 pixels apart with a
// gap of 40 between the scores and the result.
struct TextRows {
    int score1;
    int score2;
    int result;
    int exitHint;
    int newGameHint;
};

TextRows frameTextRows(int screenHeight);

// Every text starts this many pixels from the left edge.
constexpr int textColumn = 10;

}  // namespace spinvale
