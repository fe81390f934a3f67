// Where the shell meets the match: the records it reads, the input snapshot it hands in,
// and the effect and window requests it gets back. Nothing here knows about windows,
// files, clocks or sound devices; one update is a pure function of the record, the
// settings, the input and the elapsed milliseconds.
#pragma once

#include <cstdint>

namespace spinvale {

// Table and ball dimensions, centimetres. The playing surface spans x from -76.25 to 76.25
// and z from -137 to 137; the net stands at z = 0.
constexpr float tableLength = 274.0f;
constexpr float tableWidth = 152.5f;
constexpr float tableHeight = 78.2f;
constexpr float netHeight = 20.0f;
constexpr float ballSize = 4.0f;

enum RallyState : int32_t {
    P1Shot = 1,      // player 1 struck; not yet bounced on player 2's half
    P2Shot = 2,      // player 2 struck; not yet bounced on player 1's half
    P2ToReturn = 3,  // player 1's shot bounced on player 2's half
    P1ToReturn = 4,  // player 2's shot bounced on player 1's half
    P1ToServe = 5,
    P2ToServe = 6,
    P1Toss = 7,
    P2Toss = 8,
    P1Serve = 10,  // serve struck, first bounce still to come
    P2Serve = 11,
    P1WinsGame = 20,
    P2WinsGame = 21,
};

struct Paddle {
    float x = 0;
    float y = 0;  // drawn height only
    float z = 0;
    float prevX = 0;         // x as last seen by the control moving it sideways
    float prevZ = 0;         // z at the start of the update
    float homeZ = 0;         // depth the computer control drifts toward
    int32_t side = 0;        // 0 or 1: which side of the body the paddle is held on
    float swingAngle = 0;    // degrees
    int32_t swingPhase = 0;  // 0 idle, 1 wind-up, 2 forward, 3 recovery
};

struct MatchState {
    float ballX = 20;
    float ballY = 120;
    float ballZ = 0;
    float ballVX = 0;
    float ballVY = 0;
    float ballVZ = 0;
    float ballSpin = 0;
    float prevBallZ = 0;
    RallyState rallyState = P1ToServe;
    int32_t score1 = 0;
    int32_t score2 = 0;
    int32_t firstServer = 0;  // 0 until drawn, then 1 or 2
    int32_t aimChoice = 0;
    int32_t strokeCursorX = 0;
    float prevCursorU = 0;
    int32_t winSoundPlayed = 0;
    Paddle paddle1;  // positive z
    Paddle paddle2;  // negative z
};

// The tunable values of a game. The member values are what the game holds before the
// settings file has been read; defaultGameSettings() is the playable set the game ships.
struct GameSettings {
    int32_t simpleGraphics = 0;
    float gameSpeed = 0;
    int32_t spinFactor = 0;
    float gravityScale = 0;
    float aiSkill = 0;
    float aiSpeed = 0;
    int32_t pointsPerGame = 0;
    int32_t screenWidth = 1024;
    int32_t screenHeight = 768;
    float cameraX = 0;
    float cameraY = 300;
    float cameraZ = 320;
    bool player1Mouse = false;
    bool player2Keyboard = false;
};

GameSettings defaultGameSettings();

// Virtual-key codes the match reads.
enum KeyCode : int {
    KeyEnter = 13,
    KeyEscape = 27,
    KeyLeft = 37,
    KeyUp = 38,
    KeyRight = 39,
    KeyDown = 40,
    KeyF1 = 112,
};

// One update's input: the key flags (1 while down), the left-button flag and the pointer
// in screen pixels. The match reads the pointer as one position per update.
struct InputState {
    int32_t keys[256] = {};
    int32_t leftButton = 0;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
};

constexpr const char* soundPaddle = "sounds/paddle.wav";
constexpr const char* soundTable = "sounds/table.wav";
constexpr const char* soundPlayerWins = "sounds/playerwins.wav";

// What the match asks of whoever runs it. The shell plays the sounds in order and acts on
// the window requests, then clears the record before the next update.
struct MatchRequests {
    static constexpr int maxSounds = 8;
    const char* sounds[maxSounds] = {};
    int soundCount = 0;
    bool quit = false;
    bool toggleFullscreen = false;
};

// One match: everything an update reads and writes. Many can live side by side.
struct Match {
    MatchState state;
    GameSettings settings;
    InputState input;
    uint32_t randomState = 1;  // the game's one random sequence; every run starts at 1
    MatchRequests requests;
};

// The match steps of a window creation: paddles to their start depths and heights, the
// serve decided from the score, the button flag cleared. The score is kept.
void initMatchState(Match& match);

// Advances the match by one frame of elapsedMs milliseconds.
void updateMatch(Match& match, uint32_t elapsedMs);

// Strictly inside the table's outline seen from above: a ball on an edge line is not over
// it. Decides where the ball's shadow falls and whether a paddle follows a high ball.
bool ballOverTable(const MatchState& s);

// The two writes drawing makes: a paddle is drawn lifted to follow a high ball over the
// table, and the win jingle is requested once per won game.
void liftPaddleToBall(Match& match, Paddle& paddle);
void requestWinSound(Match& match);

void clearRequests(Match& match);

}  // namespace spinvale
