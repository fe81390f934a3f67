// A modelled human player 1, to measure how strong the computer opponent is for a person.
// It plays through the same commands a mouse player's game records: the pointer and the
// left button, one command per update. It sees the match 200 ms late (by default; see
// PlayerTraits); it puts the paddle where a straight-line guess says the ball will cross its
// depth, with a Gaussian error of 6 cm; it moves the pointer at most 2.5 screen widths a second; it
// times its click so that the stroke angle turns the ball back toward the middle of the far end,
// with a Gaussian timing error of 40 ms; and it picks the paddle's side by its last sideways move.
#pragma once

#include <cstdint>
#include <deque>
#include <random>

#include "match.h"

namespace spinvale {

// How quick and how accurate the modelled player is; the defaults are the player by which
// the menu's presets were chosen.
struct PlayerTraits {
    double reactionMs = 200;
    double placementErrorCm = 6;
    double clickBiasMs = 0;  // a player who always swings this much late (or early, below 0)
};

class ModelledPlayer {
  public:
    explicit ModelledPlayer(uint32_t seed, PlayerTraits traits = {})
        : random_(seed), traits_(traits), clickShiftMs_(traits.clickBiasMs) {}

    // The command for the coming update, from what the player has seen of the match so far.
    UpdateInput nextInput(const Match& match, uint32_t elapsedMs);

    // Every later click is shifted by this much (the player's own timing error stays).
    void shiftClicks(double ms) { clickShiftMs_ += ms; }

  private:
    struct Sight {
        double atMs;
        MatchState state;
    };
    struct Plan {
        double errorCm = 0;        // this ball's error in where the paddle goes
        double timingErrorMs = 0;  // and in when the button is pressed
        bool clicked = false;
    };

    const MatchState* seen() const;
    void startPlan();
    double pointerXFor(double paddleX, const GameSettings& g) const;
    void meetBall(const MatchState& ball, const GameSettings& g, uint32_t elapsedMs,
                  UpdateInput& input);
    void serve(const MatchState& seenState, const GameSettings& g, UpdateInput& input);
    void moveToward(double targetX, const GameSettings& g, uint32_t elapsedMs);

    std::mt19937 random_;
    PlayerTraits traits_;
    double clickShiftMs_;
    std::deque<Sight> sights_;
    double nowMs_ = 0;
    double pointerX_ = -1;  // screen pixels, where the hand has put the pointer
    int lastMove_ = 1;      // +1: the last sideways move went toward larger x
    bool buttonDown_ = false;
    RallyState lastSeenState_ = P1ToServe;
    double seenServeSinceMs_ = 0;
    Plan plan_;
};

}  // namespace spinvale
