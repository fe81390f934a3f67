// Playback through real SDL audio: the disk driver records what the mixer plays into a raw
// file (16-bit stereo at 44.1 kHz), written every millisecond instead of in real time.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sound.h"

namespace spinvale {
namespace {

using Samples = std::vector<int16_t>;

class Playback : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/spinvale-audio-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        captureTo(folder + "/capture.raw");
    }

    void TearDown() override {
        shutdownSound(channel);
        std::filesystem::remove_all(folder);
    }

    // SDL reads these when the audio subsystem starts, so they hold from the next initSound.
    void captureTo(const std::string& path) {
        capture = path;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }

    // The capture's left channel, once the effect has played out and the device is closed.
    Samples heard() {
        for (int ms = 0; ms < 60000 && channel.deviceOpen && Mix_Playing(-1) > 0; ++ms) {
            SDL_Delay(1);
        }
        shutdownSound(channel);
        std::ifstream in(capture, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        Samples left(bytes.size() / 4);
        for (std::size_t i = 0; i < left.size(); ++i) {
            std::memcpy(&left[i], &bytes[4 * i], 2);
        }
        return left;
    }

    // How many of 300 effects start, sound started again halfway as a new window does.
    int playEveryEffect() {
        int started = 0;
        for (int round = 0; round < 100; ++round) {
            if (round % 50 == 0) {
                initSound(channel);
            }
            for (const Sound sound : {Sound::Paddle, Sound::Table, Sound::PlayerWins}) {
                started += playSound(channel, soundFile(sound));
            }
        }
        return started;
    }

    SoundChannel channel;
    std::string folder, capture;
};

SDL_AudioDeviceID openMixerDevice() {
    for (SDL_AudioDeviceID id = 1; id <= 16; ++id) {
        if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) {
            return id;
        }
    }
    return 0;
}

// On a device opened again, of two effects in one frame the table tick sounds whole, as shipped
// (give or take a rounding step), and alone: the pock before it is cut before any is mixed.
// The device is held meanwhile, so no mixing pass falls between them.
TEST_F(Playback, OfTwoEffectsInOneFrameOnlyTheSecondSounds) {
    initSound(channel);
    captureTo(folder + "/again.raw");
    initSound(channel);
    MatchRequests frame;
    frame.sounds[frame.soundCount++] = Sound::Paddle;
    frame.sounds[frame.soundCount++] = Sound::Table;
    const SDL_AudioDeviceID device = openMixerDevice();
    ASSERT_NE(device, 0u) << "no open audio device";
    SDL_LockAudioDevice(device);
    playRequestedSounds(channel, frame);
    SDL_UnlockAudioDevice(device);
    const Samples sound = heard();

    SDL_AudioSpec format;
    Uint8* wav = nullptr;
    Uint32 bytes = 0;
    const std::string path = executableDirectory() + "/data/" + soundFile(Sound::Table);
    ASSERT_NE(SDL_LoadWAV(path.c_str(), &format, &wav, &bytes), nullptr) << path;
    const Samples table(reinterpret_cast<int16_t*>(wav), reinterpret_cast<int16_t*>(wav + bytes));
    SDL_FreeWAV(wav);
    const auto at = std::search(sound.begin(), sound.end(), table.begin(), table.end(),
                                [](int16_t a, int16_t b) { return std::abs(a - b) <= 2; });
    ASSERT_NE(at, sound.end()) << "the table tick was not heard whole";
    EXPECT_EQ(std::count(sound.begin(), at, 0), at - sound.begin()) << "the pock was heard";
    EXPECT_EQ(std::count(at + table.size(), sound.end(), 0), sound.end() - (at + table.size()));
}

// With no "sounds" folder, a device that cannot open (no folder for the disk driver's file)
// or no audio driver, no effect starts, nothing is heard, nothing fails; a later device plays.
TEST_F(Playback, WithoutTheSoundsFolderOrADeviceNoEffectStarts) {
    EXPECT_EQ(playEveryEffect(), 300);
    channel.dataPaths = DataPaths{{folder + "/"}};
    EXPECT_EQ(playEveryEffect(), 0);
    std::error_code none;  // the device plays on, silent: wait for its first samples
    for (int ms = 0; ms < 60000 && std::filesystem::file_size(capture, none) < 4096; ++ms) {
        SDL_Delay(1);
    }
    const Samples sound = heard();
    EXPECT_FALSE(sound.empty());
    EXPECT_EQ(std::count(sound.begin(), sound.end(), 0), std::ptrdiff_t(sound.size()));
    channel.dataPaths = gameDataPaths();
    captureTo(folder + "/no-such-folder/capture.raw");
    EXPECT_EQ(playEveryEffect(), 0);
    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    EXPECT_EQ(playEveryEffect(), 0);
    captureTo(folder + "/capture.raw");
    initSound(channel);
    EXPECT_TRUE(playSound(channel, soundFile(Sound::Paddle)));
}

}  // namespace
}  // namespace spinvale
