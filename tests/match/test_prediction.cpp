// The look-ahead flights against hand-worked examples.
#include <gtest/gtest.h>

#include "match_fixture.h"

namespace spinvale {
namespace {

TEST(PredictNetHit, DecidesInTheBandJustPastTheNet) {
    Match m = plainMatch();
    const auto meets = [&m](float y, float z, float vz) {
        return predictNetHit(m, 0, y, z, 0, 0, vz) == NetPrediction::MeetsNet;
    };
    // Flat and slow toward the net from z = 50: the band is reached after about 1570 steps
    // with the height barely changed; from z = 80 not within 2001 steps.
    EXPECT_TRUE(meets(90, 50, -300));
    EXPECT_FALSE(meets(110, 50, -300));
    EXPECT_FALSE(meets(90, 80, -300));
    EXPECT_TRUE(meets(90, -2.5f, 0));    // in the band, below the top
    EXPECT_FALSE(meets(100.2f, 2, 0));   // at the clearance height
    EXPECT_FALSE(meets(90, 140, -300));  // already beyond an end line
    m.settings.gameSpeed = 0;            // a ball standing exactly on z = 0 never enters it
    EXPECT_FALSE(meets(90, 0, 0));
    EXPECT_TRUE(meets(90, 3, 0));
}

TEST(PredictCrossingX, WhereTheFlightLeavesTheFarHalf) {
    Match m = plainMatch();
    m.settings.gameSpeed = 10;
    const auto exit = [&m](float z, float vx, float vz, FarHalf half) {
        return predictCrossingX(m, 0, 90, z, vx, 40, vz, half);
    };
    EXPECT_NEAR(exit(150, 50, -300, FarHalf::NegativeZ), 47.0f, 0.05);  // over the far end
    EXPECT_NEAR(exit(-150, 50, 300, FarHalf::PositiveZ), 47.0f, 0.05);
    EXPECT_EQ(exit(50, 0, 300, FarHalf::NegativeZ), 1.0f);  // heading away: no exit
    m.settings.gameSpeed = 0;  // an exit at exactly x = 0 does not count
    EXPECT_EQ(predictCrossingX(m, 5, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 5.0f);
    EXPECT_EQ(predictCrossingX(m, 0, 90, -140, 0, 0, 0, FarHalf::NegativeZ), 1.0f);
}

}  // namespace
}  // namespace spinvale
