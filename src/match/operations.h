// The steps one update is made of, in the order updateMatch calls them. They are public to
// the match module and its tests; everything else only needs match.h.
#pragma once

#include <cstdint>

#include "match.h"

namespace spinvale {

// Heights derived from the table, worked out in double from the single-precision constants.
constexpr double ballRestHeight = double(tableHeight) + double(ballSize) / 2;    // 80.2: touches
constexpr double bounceHeight = double(tableHeight) + double(ballSize) / 2 + 1;  // 81.2
constexpr double strikeHeight = double(tableHeight) + 10;  // 88.2: start height, toss struck below
constexpr double holdHeight = double(tableHeight) + 20;    // 98.2: serve held here
constexpr double netTopHeight = double(tableHeight) + double(netHeight);  // 98.2

// One draw from the match's random sequence, 0 to n - 1.
int32_t randomBelow(Match& match, int32_t n);

void requestSound(Match& match, Sound sound);
void requestQuit(Match& match);
void requestToggleFullscreen(Match& match);
void clearRequests(Match& match);

// The match steps of a window creation, made before the new settings are taken.
void initMatchState(Match& match);

// The update proper: one frame of elapsedMs milliseconds on the input the match holds.
void updateMatch(Match& match, uint32_t elapsedMs);

// The two writes the frame makes after the update: a paddle is drawn lifted to follow a high
// ball over the table, and the win jingle is requested once per won game.
void liftPaddleToBall(Match& match, Paddle& paddle);
void requestWinSound(Match& match);

// Swing animation of both paddles.
void stepSwings(Match& match, uint32_t elapsedMs);

// Ball flight and contacts.
enum class NetPrediction { Clears, MeetsNet };
void liftOverNet(Match& match, NetPrediction prediction, uint32_t elapsedMs);
void slowDepth(Match& match, uint32_t elapsedMs);
void updateSpin(Match& match);
void advanceBall(Match& match, uint32_t elapsedMs);
void bounceOnTable(Match& match);
void bounceOnFloor(Match& match);
void netCollision(Match& match);

// Scoring and service.
void awardPoint(Match& match, int32_t player);
void decideNextServe(Match& match);
// Under the adaptive strength, an update that ended a point moves the computer's skill and
// speed toward the player's level.
void adaptStrength(Match& match, int32_t score1Before, int32_t score2Before);

// Human paddles.
void mousePaddle1(Match& match);
void keyboardPaddle2(Match& match, uint32_t elapsedMs);
void clampPaddle2(Match& match);

// Computer paddles.
void computerPaddle1(Match& match);
void computerPaddle2(Match& match);

// Look-ahead flights; they change nothing.
enum class FarHalf { NegativeZ, PositiveZ };
// Whether the flight from these values meets the net.
NetPrediction predictNetHit(const Match& match, float x, float y, float z, float vx, float vy,
                            float vz);
// The x at which the flight leaves the table's outline on the far half (1.0 when it does not
// within 1001 steps). It flies with the match's current spin.
float predictCrossingX(const Match& match, float x, float y, float z, float vx, float vy, float vz,
                       FarHalf farHalf);
// The same for up to maxLookAheads sideways speeds at once, one exit each.
constexpr int maxLookAheads = 8;
void predictCrossingXs(const Match& match, float x, float y, float z, const float* vxs, int count,
                       float vy, float vz, FarHalf farHalf, float* exits);

// Strokes.
void strokePlayer1(Match& match);
void strokePlayer2(Match& match);

}  // namespace spinvale
