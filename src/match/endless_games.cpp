// The regions come from the soak (spinvale-soak): 2000 computer games over game speeds 1 to
// 20, gravity 2 to 15, every skill and computer speed, frame times of 1 to 100 ms. A region
// is one where most games of a cell did not end within 500000 updates, with the let rule
// (a rally whose ball stops moving along the table is played again) in force.
#include "endless_games.h"

#include <charconv>

namespace spinvale {

namespace {

std::string number(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

}  // namespace

std::string endlessGameWarning(const GameSettings& g) {
    const double speed = g.gameSpeed;
    const double gravity = g.gravityScale;
    const std::string values =
        "game speed " + number(g.gameSpeed) + " with gravity " + number(g.gravityScale);
    // Too slow: the serve falls short and bounces a second time on the server's own side.
    if (speed < 5) {
        return "at " + values +
               " every serve bounces twice on the server's side: the server loses every point, "
               "so from 10-10 the game never ends";
    }
    // The depth slowdown works in real milliseconds: at these speeds shots slow to a stop,
    // and the rallies end in lets or in the server's lost point.
    if ((speed < 6 && gravity < 8) || (speed < 7 && gravity < 6)) {
        return "at " + values +
               " shots slow to a stop: the rally is played again as a let, or the server loses "
               "the point, so the game may never end";
    }
    // Too little gravity for the pace: the serve's second bounce flies past the far end.
    if (gravity < 4 + speed / 6) {
        return "at " + values +
               " every serve flies long: the server loses every point, so from 10-10 the game "
               "never ends";
    }
    return "";
}

}  // namespace spinvale
