// The look-ahead flights against hand-worked examples.
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(PredictNetHit, WorkedExamples) {
    Match m = plainMatch();
    // Flat and slow toward the net from z = 50: the band is reached after about 1570 steps
    // with the height barely changed.
    EXPECT_EQ(predictNetHit(m, 0, 90, 50, 0, 0, -300), 2);
    EXPECT_EQ(predictNetHit(m, 0, 110, 50, 0, 0, -300), 1);
    // From z = 80 the band is not reached within 2001 steps.
    EXPECT_EQ(predictNetHit(m, 0, 90, 80, 0, 0, -300), 1);
}

TEST(PredictNetHit, DecidesInTheBandOrAtTheEndLines) {
    Match m = plainMatch();
    EXPECT_EQ(predictNetHit(m, 0, 90, 2, 0, 0, 0), 2);      // in the band, below the top
    EXPECT_EQ(predictNetHit(m, 0, 100.2f, 2, 0, 0, 0), 1);  // at the clearance height
    EXPECT_EQ(predictNetHit(m, 0, 90, -2.5f, 0, 0, 0), 2);
    EXPECT_EQ(predictNetHit(m, 0, 90, 140, 0, 0, -300), 1);  // already beyond an end line
    EXPECT_EQ(predictNetHit(m, 0, 90, -137, 0, 0, 0), 1);
    // Without game time a ball exactly on z = 0 never enters the band: 2001 steps, then 1.
    m.settings.gameSpeed = 0;
    EXPECT_EQ(predictNetHit(m, 0, 90, 0, 0, 0, 0), 1);
    EXPECT_EQ(predictNetHit(m, 0, 90, 3, 0, 0, 0), 2);
}

TEST(PredictNetHit, ChangesNothing) {
    Match m = plainMatch();
    m.state.ballVY = 5;
    const Match before = m;
    predictNetHit(m, 0, 90, 50, 0, 0, -300);
    EXPECT_EQ(m.randomState, before.randomState);
    EXPECT_EQ(m.state.ballVY, before.state.ballVY);
}

TEST(PredictCrossingX, WorkedExamples) {
    Match m = plainMatch();
    m.settings.gameSpeed = 10;
    // Out over the side line after about 510 steps.
    EXPECT_NEAR(predictCrossingX(m, 0, 90, 150, 150, 40, -300, FarHalf::NegativeZ), 76.4f, 0.05);
    // Out over the far end line after about 960 steps.
    EXPECT_NEAR(predictCrossingX(m, 0, 90, 150, 50, 40, -300, FarHalf::NegativeZ), 47.0f, 0.05);
    // At one tenth of the speed no exit is reached within 1001 steps.
    m.settings.gameSpeed = 1;
    EXPECT_EQ(predictCrossingX(m, 0, 90, 150, 50, 40, -300, FarHalf::NegativeZ), 1.0f);
}

TEST(PredictCrossingX, OnlyTheFarHalfCounts) {
    Match m = plainMatch();
    m.settings.gameSpeed = 10;
    // Moving away from the far half: no exit.
    EXPECT_EQ(predictCrossingX(m, 0, 90, 50, 0, 0, 300, FarHalf::NegativeZ), 1.0f);
    // Player 2's strokes look at the positive half.
    EXPECT_NEAR(predictCrossingX(m, 0, 90, -150, 50, 40, 300, FarHalf::PositiveZ), 47.0f, 0.05);
    // Beyond a side line on the near half already: the first step on the far half reports.
    const float x = predictCrossingX(m, 100, 90, 20, 0, 0, -300, FarHalf::NegativeZ);
    EXPECT_GE(x, 76.25f);
}

TEST(PredictCrossingX, SpinCurvesTheFlight) {
    Match m = plainMatch();
    m.settings.gameSpeed = 10;
    const float straight = predictCrossingX(m, 0, 90, 150, 50, 40, -300, FarHalf::NegativeZ);
    m.state.ballSpin = 2;
    const float curved = predictCrossingX(m, 0, 90, 150, 50, 40, -300, FarHalf::NegativeZ);
    EXPECT_GT(curved, straight + 10);
}

TEST(PredictCrossingX, AnExitAtExactlyZeroIsNotAnExit) {
    // Without game time the ball stands still beyond the far end line.
    Match m = plainMatch();
    m.settings.gameSpeed = 0;
    EXPECT_EQ(predictCrossingX(m, 5, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 5.0f);
    // At x = 0 the answer stays "not found" through all 1001 steps, which reads as inside.
    EXPECT_EQ(predictCrossingX(m, 0, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 1.0f);
}

TEST(PredictCrossingX, SeveralAimsAtOnceGiveEachAimsOwnExit) {
    Match m = plainMatch();
    m.settings.gameSpeed = 14;
    m.settings.gravityScale = 12;
    m.state.ballSpin = -1.5f;
    const float aims[maxLookAheads] = {150, 140, -75.5f, 0, 3, -150, 1e-3f, 90};
    float exits[maxLookAheads];
    predictCrossingXs(m, 12, 90, 160, aims, maxLookAheads, 30, -280, FarHalf::NegativeZ, exits);
    for (int i = 0; i < maxLookAheads; ++i) {
        EXPECT_EQ(exits[i], predictCrossingX(m, 12, 90, 160, aims[i], 30, -280, FarHalf::NegativeZ))
            << "aim " << aims[i];
    }
}

}  // namespace
}  // namespace spinvale
