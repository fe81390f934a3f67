// The match's outputs (effect and window requests), its random sequence, the shipped
// settings, the step on one command and the two writes the frame makes after the update.
#include <cmath>
#include <cstring>

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

namespace {

bool sameBits(float a, float b) {
    uint32_t x = 0;
    uint32_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

}  // namespace

bool operator==(const GameSettings& a, const GameSettings& b) {
    return a.simpleGraphics == b.simpleGraphics && sameBits(a.gameSpeed, b.gameSpeed) &&
           a.spinFactor == b.spinFactor && sameBits(a.gravityScale, b.gravityScale) &&
           sameBits(a.aiSkill, b.aiSkill) && sameBits(a.aiSpeed, b.aiSpeed) &&
           a.pointsPerGame == b.pointsPerGame && a.screenWidth == b.screenWidth &&
           a.screenHeight == b.screenHeight && sameBits(a.cameraX, b.cameraX) &&
           sameBits(a.cameraY, b.cameraY) && sameBits(a.cameraZ, b.cameraZ) &&
           a.player1Mouse == b.player1Mouse && a.player2Keyboard == b.player2Keyboard &&
           a.adaptiveStrength == b.adaptiveStrength;
}

// A linear congruential sequence with a 32-bit state; each draw yields bits 16 to 30.
int32_t randomBelow(Match& match, int32_t n) {
    match.randomState = match.randomState * 214013u + 2531011u;
    const int32_t value = static_cast<int32_t>((match.randomState >> 16) & 0x7fff);
    return value % n;
}

const char* soundFile(Sound sound) {
    switch (sound) {
        case Sound::Paddle:
            return "sounds/paddle.wav";
        case Sound::Table:
            return "sounds/table.wav";
        case Sound::PlayerWins:
            return "sounds/playerwins.wav";
    }
    return "";
}

void requestSound(Match& match, Sound sound) {
    MatchRequests& r = match.requests;
    if (r.soundCount < MatchRequests::maxSounds) {
        r.sounds[r.soundCount++] = sound;
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
    if ((s.rallyState == P1WinsGame || s.rallyState == P2WinsGame) && !s.winSoundPlayed) {
        requestSound(match, Sound::PlayerWins);
        s.winSoundPlayed = true;
    }
}

void restartMatch(Match& match, const GameSettings& settings) {
    initMatchState(match);
    match.input.enterUsedByToss = false;  // a new window starts with every key up
    match.settings = settings;
}

Match computerMatch(GameSettings settings, uint32_t seed) {
    settings.player1Mouse = false;
    settings.player2Keyboard = false;
    Match match;
    match.randomState = seed;
    restartMatch(match, settings);
    return match;
}

namespace {

// The command's keys as the update sees them. An Enter that tossed stays used up until it
// is let go, so that holding it on after the toss starts no swing.
void takeInput(InputState& in, const UpdateInput& command) {
    in.pointerX = command.pointerX;
    in.pointerY = command.pointerY;
    if (command.button != ButtonMessage::None) {
        in.leftButton = command.button == ButtonMessage::Pressed ? 1 : 0;
    }
    for (int key = 0; key < 256; ++key) {
        in.keys[key] = command.keys[key] ? 1 : 0;
    }
    if (in.enterUsedByToss && command.keys[KeyEnter]) {
        in.keys[KeyEnter] = 0;
    } else {
        in.enterUsedByToss = false;
    }
}

}  // namespace

void stepMatch(Match& match, const UpdateInput& input) {
    const int32_t score1 = match.state.score1;
    const int32_t score2 = match.state.score2;
    clearRequests(match);
    takeInput(match.input, input);
    updateMatch(match, input.elapsedMs);
    liftPaddleToBall(match, match.state.paddle1);
    liftPaddleToBall(match, match.state.paddle2);
    requestWinSound(match);
    adaptStrength(match, score1, score2);
}

}  // namespace spinvale
