// The synthesised effects, checked the way an ear would: loud but never clipped, of the
// right length, free of clicks at both ends, and pitched where each belongs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "audio_measure.h"
#include "data_paths.h"

namespace spinvale::test {
namespace {

PcmSound shippedEffect(const std::string& name) {
    PcmSound sound;
    std::string error;
    const std::string path = executableDirectory() + "/data/sounds/" + name;
    EXPECT_TRUE(readWav(path, sound, error)) << error;
    return sound;
}

std::size_t framesIn(const PcmSound& sound, double seconds) {
    return static_cast<std::size_t>(seconds * sound.sampleRate) * sound.channels;
}

double dominantFrequencyOf(const PcmSound& sound, double fromSeconds, double toSeconds) {
    const std::vector<int16_t> mono = channelOf(sound.samples, sound.channels, 0);
    return dominantFrequency(mono, sound.sampleRate, framesIn(sound, fromSeconds) / sound.channels,
                             framesIn(sound, toSeconds) / sound.channels);
}

class EveryEffect : public testing::TestWithParam<const char*> {};

TEST_P(EveryEffect, IsLoudUnclippedAndFadesInAndOut) {
    const PcmSound sound = shippedEffect(GetParam());
    ASSERT_EQ(sound.sampleRate, 44100);
    ASSERT_EQ(sound.bitsPerSample, 16);
    ASSERT_FALSE(sound.samples.empty());

    const std::size_t n = sound.samples.size();
    const double peak = peakLevel(sound.samples, 0, n);
    EXPECT_GT(peak, 0.3) << "too quiet";
    EXPECT_LT(peak, 0.95) << "at or too near full scale";

    // No jump at either end: the first and last samples are all but silent, and the first
    // and last half millisecond stay well below the peak (an unfaded tone of any pitch here
    // reaches its full height within that time).
    const std::size_t edge = framesIn(sound, 0.0005);
    EXPECT_LT(std::abs(sound.samples.front()), 100);
    EXPECT_LT(std::abs(sound.samples.back()), 100);
    EXPECT_LT(peakLevel(sound.samples, 0, edge), 0.25 * peak);
    EXPECT_LT(peakLevel(sound.samples, n - edge, n), 0.25 * peak);
}

INSTANTIATE_TEST_SUITE_P(ShippedSounds, EveryEffect,
                         testing::Values("paddle.wav", "table.wav", "playerwins.wav"));

TEST(ShippedSounds, PaddleIsAShortWoodenPockAndTheTableABrighterShorterTick) {
    const PcmSound paddle = shippedEffect("paddle.wav");
    const PcmSound table = shippedEffect("table.wav");
    EXPECT_NEAR(paddle.seconds(), 0.060, 0.010);
    EXPECT_LT(table.seconds(), paddle.seconds());
    EXPECT_GT(table.seconds(), 0.010);

    const double paddleHz = dominantFrequencyOf(paddle, 0, paddle.seconds());
    const double tableHz = dominantFrequencyOf(table, 0, table.seconds());
    EXPECT_GE(paddleHz, 400);  // a low, woody body note
    EXPECT_LE(paddleHz, 1500);
    EXPECT_GT(tableHz, 1.5 * paddleHz);
}

TEST(ShippedSounds, WinJingleRisesAndEndsWithinTwoSeconds) {
    const PcmSound jingle = shippedEffect("playerwins.wav");
    EXPECT_GT(jingle.seconds(), 0.5);
    EXPECT_LT(jingle.seconds(), 2.0);

    const double firstHz = dominantFrequencyOf(jingle, 0, 0.15);
    const double lastHz = dominantFrequencyOf(jingle, jingle.seconds() - 0.5, jingle.seconds());
    EXPECT_GT(lastHz, 1.25 * firstHz) << "first " << firstHz << " Hz, last " << lastHz << " Hz";
}

}  // namespace
}  // namespace spinvale::test
