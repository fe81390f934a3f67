// The match's outputs (effect and window requests), its random sequence, the shipped
// settings, and the two writes that drawing makes to the match.
#include <cmath>

#include "operations.h"

namespace spinvale {

GameSettings defaultGameSettings() {
    GameSettings g;
    g.simpleGraphics = 0;
    g.gameSpeed = 14;
    g.spinFactor = 6;
    g.gravityScale = 12;
    g.aiSkill = 0.7f;
    g.aiSpeed = 40;
    g.pointsPerGame = 11;
    g.screenWidth = 1024;
    g.screenHeight = 768;
    g.cameraX = 0;
    g.cameraY = 300;
    g.cameraZ = 320;
    g.player1Mouse = true;
    g.player2Keyboard = false;
    return g;
}

// A linear congruential sequence with a 32-bit state; each draw yields bits 16 to 30.
int32_t randomBelow(Match& match, int32_t n) {
    match.randomState = match.randomState * 214013u + 2531011u;
    const int32_t value = static_cast<int32_t>((match.randomState >> 16) & 0x7fff);
    return value % n;
}

void playSound(Match& match, const char* path) {
    MatchRequests& r = match.requests;
    if (r.soundCount < MatchRequests::maxSounds) {
        r.sounds[r.soundCount++] = path;
    }
}

void requestQuit(Match& match) {
    match.requests.quit = true;
}

void requestToggleFullscreen(Match& match) {
    match.requests.toggleFullscreen = true;
}

void clearRequests(Match& match) {
    match.requests = MatchRequests{};
}

bool ballOverTable(const MatchState& s) {
    return s.ballX < double(tableWidth) * 0.5 && s.ballX > double(tableWidth) * -0.5 &&
           s.ballZ < double(tableLength) * 0.5 && s.ballZ > double(tableLength) * -0.5;
}

// The paddle is drawn 10 cm above a ball that flies high over the table, and stays at the
// last height reached once the ball drops or leaves the table.
void liftPaddleToBall(Match& match, Paddle& paddle) {
    const MatchState& s = match.state;
    if (ballOverTable(s) && s.ballY > double(ballSize) + double(tableHeight) + 15) {
        paddle.y = double(s.ballY) + 10;
    }
}

// The jingle sounds once per won game, in the first frame that shows the win; the flag
// survives window re-creation, so a fullscreen toggle does not replay it.
void requestWinSound(Match& match) {
    MatchState& s = match.state;
    if (s.rallyState == P1WinsGame && s.winSoundPlayed == 0) {
        playSound(match, soundPlayerWins);
        s.winSoundPlayed = 1;
    }
    if (s.rallyState == P2WinsGame && s.winSoundPlayed == 0) {
        playSound(match, soundPlayerWins);
        s.winSoundPlayed = 1;
    }
}

}  // namespace spinvale
