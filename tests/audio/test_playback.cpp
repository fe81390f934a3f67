// Playback through real SDL audio: the disk driver records what the mixer plays into a raw
// file (16-bit stereo at 44.1 kHz), written every millisecond instead of in real time, so
// a test hears in a few milliseconds what a player hears in a second.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio_measure.h"
#include "match.h"
#include "replay.h"
#include "sound.h"

namespace spinvale::test {
namespace {

constexpr std::size_t npos = std::string::npos;
constexpr std::size_t mixingPassFrames = 1024;

std::vector<int16_t> shippedEffect(const std::string& dataPath) {
    PcmSound sound;
    std::string error;
    EXPECT_TRUE(readWav(executableDirectory() + "/data/" + dataPath, sound, error)) << error;
    return channelOf(sound.samples, sound.channels, 0);
}

// Where the whole effect sounds, sample for sample (the mixer's mono-to-stereo conversion
// may round by one step), or npos.
std::size_t findEffect(const std::vector<int16_t>& heard, const std::vector<int16_t>& effect) {
    for (std::size_t at = 0; at + effect.size() <= heard.size(); ++at) {
        std::size_t i = 0;
        while (i < effect.size() && std::abs(heard[at + i] - effect[i]) <= 2) {
            ++i;
        }
        if (i == effect.size()) {
            return at;
        }
    }
    return npos;
}

// How many samples in [begin, end) are not silent.
std::size_t soundingSamples(const std::vector<int16_t>& heard, std::size_t begin, std::size_t end) {
    std::size_t count = 0;
    for (std::size_t i = begin; i < end && i < heard.size(); ++i) {
        count += heard[i] != 0;
    }
    return count;
}

// The two computer players, as the settings tool writes them with --player1 computer
// --player2 computer; the window creation's match steps done.
Match computerMatch() {
    Match match;
    initMatchState(match);
    match.settings = defaultGameSettings();
    match.settings.player1Mouse = false;
    match.settings.player2Keyboard = false;
    return match;
}

// One 16 ms frame as the game runs it: the update, then the two writes of drawing.
void runFrame(Match& match) {
    playHeadlessUpdate(match, 16);
}

bool gameWon(const Match& match) {
    return match.state.rallyState == P1WinsGame || match.state.rallyState == P2WinsGame;
}

class Playback : public testing::Test {
  protected:
    void SetUp() override {
        // The disk driver announces itself on every open; the tests know.
        SDL_LogSetOutputFunction([](void*, int, SDL_LogPriority, const char*) {}, nullptr);
        char pattern[] = "/tmp/spinvale-audio-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        captureToFile(folder + "/capture.raw");
    }

    void TearDown() override {
        shutdownSound(channel);
        std::filesystem::remove_all(folder);
    }

    // SDL reads these when the audio subsystem starts, so they hold from the next initSound.
    void captureToFile(const std::string& path) {
        capturePath = path;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
    }

    // Lets the mixer play the effect out (bounded: an effect is at most a few seconds).
    void waitUntilQuiet() {
        for (int ms = 0; ms < 3000 && Mix_Playing(-1) > 0; ++ms) {
            SDL_Delay(1);
        }
    }

    // Lets the device play on until the capture holds at least this many frames (bounded).
    void waitUntilCaptured(std::size_t frames) {
        std::error_code error;
        for (int ms = 0; ms < 3000; ++ms) {
            const auto bytes = std::filesystem::file_size(capturePath, error);
            if (!error && bytes >= frames * 4) {
                return;
            }
            SDL_Delay(1);
        }
    }

    // Closes the device, which finishes the capture file, and returns its left channel.
    std::vector<int16_t> heard() {
        shutdownSound(channel);
        return channelOf(readRawSamples(capturePath), 2, 0);
    }

    // A whole computer-vs-computer game with a fullscreen toggle in the middle of it,
    // each frame's requests handed to route; the trace of every frame.
    std::vector<std::string> playGame(const std::function<void(const MatchRequests&)>& route) {
        Match match = computerMatch();
        initSound(channel);
        std::vector<std::string> trace;
        for (int64_t frame = 1; frame <= 100000 && !gameWon(match); ++frame) {
            runFrame(match);
            route(match.requests);
            trace.push_back(formatTraceLine(frame, 16, match));
            if (frame == 5000) {
                initMatchState(match);
                initSound(channel);
            }
        }
        EXPECT_TRUE(gameWon(match));
        return trace;
    }

    SoundChannel channel;
    std::string folder;
    std::string capturePath;
};

class EveryEffectPlays : public Playback, public testing::WithParamInterface<const char*> {};

TEST_P(EveryEffectPlays, WholeAndOnce) {
    initSound(channel);
    EXPECT_TRUE(playSound(channel, GetParam()));
    waitUntilQuiet();
    const std::vector<int16_t> sound = heard();
    const std::vector<int16_t> effect = shippedEffect(GetParam());

    const std::size_t at = findEffect(sound, effect);
    ASSERT_NE(at, npos) << GetParam() << " was not heard whole";
    EXPECT_EQ(soundingSamples(sound, 0, at), 0u);
    EXPECT_EQ(soundingSamples(sound, at + effect.size(), sound.size()), 0u);
}

INSTANTIATE_TEST_SUITE_P(Playback, EveryEffectPlays,
                         testing::Values(soundPaddle, soundTable, soundPlayerWins));

TEST_F(Playback, DeviceIsOpenedOnceAt44100HzSixteenBitStereo) {
    initSound(channel);
    initSound(channel);  // the fullscreen toggle: the first device must be closed, not kept
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1) << "device opened twice";
    EXPECT_EQ(frequency, 44100);
    EXPECT_EQ(format, AUDIO_S16SYS);
    EXPECT_EQ(channels, 2);

    shutdownSound(channel);
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST_F(Playback, StrokeInAComputerMatchIsHeard) {
    Match match = computerMatch();
    initSound(channel);
    int frames = 0;
    for (; frames < 1000; ++frames) {
        runFrame(match);
        const MatchRequests& r = match.requests;
        if (r.soundCount > 0 && std::string(r.sounds[r.soundCount - 1]) == soundPaddle) {
            playRequestedSounds(channel, r);
            break;
        }
    }
    ASSERT_LT(frames, 1000) << "no stroke within 16 s of play";
    waitUntilQuiet();
    const std::vector<int16_t> sound = heard();
    EXPECT_GT(peakLevel(sound, 0, sound.size()), 0.3);
    EXPECT_NE(findEffect(sound, shippedEffect(soundPaddle)), npos);
}

TEST_F(Playback, OfTwoEffectsInOneFrameOnlyTheSecondSounds) {
    initSound(channel);
    MatchRequests frame;
    frame.sounds[frame.soundCount++] = soundPaddle;
    frame.sounds[frame.soundCount++] = soundTable;
    playRequestedSounds(channel, frame);
    waitUntilQuiet();
    const std::vector<int16_t> sound = heard();
    const std::vector<int16_t> table = shippedEffect(soundTable);

    // The tick sounds whole and alone: the pock is not mixed under it, and nothing follows.
    // Only a mixing pass that happened to fall between the two calls can let the pock
    // start, and then for at most that one pass.
    const std::size_t at = findEffect(sound, table);
    ASSERT_NE(at, npos) << "the table tick was not heard whole and alone";
    EXPECT_LE(soundingSamples(sound, 0, at), mixingPassFrames);
    EXPECT_EQ(soundingSamples(sound, at + table.size(), sound.size()), 0u);
}

TEST_F(Playback, WinJingleStartsOncePerWonGameAcrossFullscreenToggles) {
    Match match = computerMatch();
    initSound(channel);
    int jingles = 0;
    const auto playFrames = [&](int count) {
        for (int i = 0; i < count; ++i) {
            runFrame(match);
            for (int s = 0; s < match.requests.soundCount; ++s) {
                jingles += std::string(match.requests.sounds[s]) == soundPlayerWins;
            }
            playRequestedSounds(channel, match.requests);
        }
    };
    for (int frames = 0; frames < 100000 && !gameWon(match); ++frames) {
        playFrames(1);
    }
    ASSERT_TRUE(gameWon(match));
    EXPECT_EQ(jingles, 1);

    playFrames(100);
    for (int toggle = 0; toggle < 2; ++toggle) {
        initMatchState(match);
        initSound(channel);
        playFrames(100);
    }
    EXPECT_EQ(jingles, 1);
    EXPECT_TRUE(gameWon(match));
    // The device opened by the last toggle hears nothing: the jingle did not start again.
    waitUntilCaptured(20 * mixingPassFrames);
    const std::vector<int16_t> sound = heard();
    EXPECT_FALSE(sound.empty());
    EXPECT_EQ(soundingSamples(sound, 0, sound.size()), 0u);
}

TEST_F(Playback, DeviceThatCannotOpenLeavesTheGameSilentUntilTheNextWindow) {
    captureToFile(folder + "/no-such-folder/capture.raw");
    initSound(channel);
    EXPECT_FALSE(playSound(channel, soundPaddle));
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);

    captureToFile(folder + "/capture.raw");
    initSound(channel);
    EXPECT_TRUE(playSound(channel, soundPaddle));
}

TEST_F(Playback, WithoutAnAudioDriverAGamePlaysToTheSameEnd) {
    const auto playEach = [&](const MatchRequests& r) { playRequestedSounds(channel, r); };
    const std::vector<std::string> withSound = playGame(playEach);
    shutdownSound(channel);

    setenv("SDL_AUDIODRIVER", "nonexistent", 1);
    int started = 0;
    const std::vector<std::string> silent = playGame([&](const MatchRequests& r) {
        for (int i = 0; i < r.soundCount; ++i) {
            started += playSound(channel, r.sounds[i]);
        }
    });
    EXPECT_EQ(started, 0);
    EXPECT_EQ(silent, withSound);
}

TEST_F(Playback, WithoutTheSoundsFolderAGamePlaysToTheSameEnd) {
    const auto playEach = [&](const MatchRequests& r) { playRequestedSounds(channel, r); };
    const std::vector<std::string> withSound = playGame(playEach);
    EXPECT_GT(peakLevel(heard(), 0, SIZE_MAX), 0.3);

    // Run from a folder without "sounds", looking nowhere else.
    char workingDirectory[PATH_MAX];
    ASSERT_NE(getcwd(workingDirectory, sizeof workingDirectory), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    channel.dataPaths = DataPaths{{""}};
    int started = 0;
    const std::vector<std::string> silent = playGame([&](const MatchRequests& r) {
        for (int i = 0; i < r.soundCount; ++i) {
            started += playSound(channel, r.sounds[i]);
        }
    });
    const std::vector<int16_t> sound = heard();
    ASSERT_EQ(chdir(workingDirectory), 0);

    EXPECT_EQ(started, 0);
    EXPECT_EQ(silent, withSound);
    EXPECT_EQ(soundingSamples(sound, 0, sound.size()), 0u);
}

}  // namespace
}  // namespace spinvale::test
