// Any bytes, any length, as the settings file: the game always gets settings it can play
// with, and a match runs on them without undefined behaviour.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "match.h"
#include "settings_file.h"

using namespace spinvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> warnings;
    const GameSettings g = settingsFromBytes(data, size, "fuzz.dat", warnings);
    const bool usable = (g.pointsPerGame == 11 || g.pointsPerGame == 21) && g.screenWidth > 0 &&
                        g.screenHeight > 0 && std::isfinite(g.gameSpeed) &&
                        std::isfinite(g.gravityScale) && std::isfinite(g.aiSpeed) &&
                        g.aiSkill >= 0 && g.aiSkill <= 1 && std::isfinite(g.cameraX) &&
                        std::isfinite(g.cameraY) && std::isfinite(g.cameraZ);
    if (!usable) {
        std::abort();
    }
    Match match;
    initMatchState(match);
    match.settings = g;
    match.input.pointerX = 37;
    match.input.leftButton = 1;
    for (int update = 0; update < 20; ++update) {
        clearRequests(match);
        updateMatch(match, 16);
    }
    return 0;
}
