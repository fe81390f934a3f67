// Any bytes, any length, as the settings file: the game always gets settings it can play
// with, and a match runs on them without undefined behaviour.
#include <cmath>
#include <cstdlib>

#include "settings_file.h"

using namespace spinvale;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<std::string> warnings;
    const GameSettings g = settingsFromBytes(data, size, "fuzz.dat", warnings);
    // A NaN or an infinity among the reals makes their sum one too.
    const double reals =
        double(g.gameSpeed) + g.gravityScale + g.aiSpeed + g.cameraX + g.cameraY + g.cameraZ;
    if (!std::isfinite(reals) || (g.pointsPerGame != 11 && g.pointsPerGame != 21) ||
        g.screenWidth <= 0 || g.screenHeight <= 0 || !(g.aiSkill >= 0 && g.aiSkill <= 1)) {
        std::abort();
    }
    Match match;
    restartMatch(match, g);
    for (int update = 0; update < 20; ++update) {
        stepMatch(match, UpdateInput{16, 37, 0, ButtonMessage::Pressed, {}});
    }
    return 0;
}
