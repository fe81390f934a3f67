// Where everything else meets the match: the records, the command one update consumes, and
// the one call that steps the match on it. Nothing here knows about windows, files, clocks,
// sockets or sound devices: the same settings and the same commands give the same bits on
// every machine, so a game is fully described by its settings and its command stream.
#pragma once

#include <bitset>
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

enum class SwingPhase : int32_t { Idle = 0, WindUp = 1, Forward = 2, Recovery = 3 };

// Which side of the player's body the paddle is held on: the right (forehand) or the left.
// It mirrors the drawn paddle and gives the sign of the stroke angle.
enum class PaddleSide : int32_t { Forehand = 0, Backhand = 1 };

struct Paddle {
    float x = 0;
    float y = 0;  // drawn height only
    float z = 0;
    float prevX = 0;  // x as last seen by the control moving it sideways
    float prevZ = 0;  // z at the start of the update
    float homeZ = 0;  // depth the computer control drifts toward
    PaddleSide side = PaddleSide::Forehand;
    float swingAngle = 0;  // degrees
    SwingPhase swingPhase = SwingPhase::Idle;
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
    bool winSoundPlayed = false;
    int32_t stallMs = 0;  // how long a rally's ball has hardly moved along the table
    Paddle paddle1;       // positive z
    Paddle paddle2;       // negative z
};

// Every field of a paddle and of the match record, in the order the trace shows them: the
// one list that the trace, the finiteness check and the state hash walk. visit(name, field)
// is called with a float, an int32_t, a bool, an enumeration or, for the paddles, a Paddle.
template <typename PaddleRecord, typename Visit>
void forEachPaddleField(PaddleRecord& p, Visit&& visit) {
    visit("x", p.x);
    visit("y", p.y);
    visit("z", p.z);
    visit("prevX", p.prevX);
    visit("prevZ", p.prevZ);
    visit("homeZ", p.homeZ);
    visit("side", p.side);
    visit("swingAngle", p.swingAngle);
    visit("swingPhase", p.swingPhase);
}

template <typename State, typename Visit>
void forEachMatchField(State& s, Visit&& visit) {
    visit("ballX", s.ballX);
    visit("ballY", s.ballY);
    visit("ballZ", s.ballZ);
    visit("ballVX", s.ballVX);
    visit("ballVY", s.ballVY);
    visit("ballVZ", s.ballVZ);
    visit("ballSpin", s.ballSpin);
    visit("prevBallZ", s.prevBallZ);
    visit("rallyState", s.rallyState);
    visit("score1", s.score1);
    visit("score2", s.score2);
    visit("firstServer", s.firstServer);
    visit("aimChoice", s.aimChoice);
    visit("strokeCursorX", s.strokeCursorX);
    visit("prevCursorU", s.prevCursorU);
    visit("winSoundPlayed", s.winSoundPlayed);
    visit("stallMs", s.stallMs);
    visit("paddle1", s.paddle1);
    visit("paddle2", s.paddle2);
}

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
    // The computer's skill and speed move after each point toward the level at which the
    // player wins half the points, starting from the two above (adaptive_strength.cpp).
    bool adaptiveStrength = false;
};

GameSettings defaultGameSettings();

// The settings a new game starts from: the chosen ones, except that under the adaptive
// strength the computer goes on at the strength the game being played has reached.
GameSettings carryAdaptedStrength(GameSettings chosen, const GameSettings& playing);

// Practice against the computer's serve. In returns, player 2 serves every ball and does not
// return player 1's; in a rally the computer aims to keep the ball in play. Either way no
// point is scored, and after a dead ball the computer serves again at once. The target is
// where on the far half a return counts as a hit.
enum class PracticeMode : int32_t { None, Returns, Rally };
enum class PracticeTarget : int32_t { Any, Left, Right };

struct PracticeRules {
    PracticeMode mode = PracticeMode::None;
    PracticeTarget target = PracticeTarget::Any;

    bool operator==(const PracticeRules& o) const { return mode == o.mode && target == o.target; }
};

// The same settings: every field holds the same bits, so that the match cannot tell the two
// apart (a real of 0 and one of -0 are not the same setting).
bool operator==(const GameSettings& a, const GameSettings& b);
inline bool operator!=(const GameSettings& a, const GameSettings& b) {
    return !(a == b);
}

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

enum class ButtonMessage : int8_t { None, Pressed, Released };

// What one update consumes, and all it consumes: the shell builds one per update, a
// recording holds them as they are, and a replay or the other side of a network game hands
// the very same ones back.
struct UpdateInput {
    uint32_t elapsedMs = 0;
    int32_t pointerX = 0;  // screen pixels
    int32_t pointerY = 0;
    ButtonMessage button = ButtonMessage::None;  // the left button's news since the last update
    std::bitset<256> keys;  // virtual-key codes down at any moment since the last update
};

// The input as the update sees it. The button flag and the Enter that tossed live on from
// one update to the next: a press that tosses is used up by the toss.
struct InputState {
    int32_t keys[256] = {};  // 1 while down
    int32_t leftButton = 0;  // the last button message: 1 pressed, 0 released
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    bool enterUsedByToss = false;  // Enter tossed a serve and has not been let go since
};

enum class Sound : uint8_t { Paddle, Table, PlayerWins };

// The effect file a sound request names.
const char* soundFile(Sound sound);

// What the match asks of whoever runs it, filled by each step: the effects in the order
// asked (the last one is what sounds), and the window requests.
struct MatchRequests {
    static constexpr int maxSounds = 8;
    Sound sounds[maxSounds] = {};
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
    PracticeRules practice;  // not in the record: a game's trace is the same as ever
};

// What a new window does to the match: paddles to their start depths and heights, the serve
// decided from the score (kept) under the settings held so far, the button flag cleared;
// then the new settings are taken.
void restartMatch(Match& match, const GameSettings& settings);

// A computer-against-computer match as a new window starts it, with the given settings
// (both players set to the computer) and random sequence.
Match computerMatch(GameSettings settings, uint32_t seed);

// One update of the match on one command: the requests cleared, the update run, then a
// paddle lifted to follow a high ball over the table and the win jingle requested once.
// Afterwards match.requests holds what this update asked for. Under an adaptive strength an
// update that ends a point may change match.settings (aiSkill, aiSpeed): a recording notes
// the new settings before the next update.
void stepMatch(Match& match, const UpdateInput& input);

// Strictly inside the table's outline seen from above: a ball on an edge line is not over
// it. Decides where the ball's shadow falls and whether a paddle follows a high ball.
bool ballOverTable(const MatchState& s);

}  // namespace spinvale
