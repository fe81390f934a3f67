// Sound effects: one effect at a time, each read from its WAV file at the moment it is
// started, played on the default audio device through SDL_mixer. Nothing that goes wrong
// here (no device, a missing or unreadable file) is reported or stops the game: the effect
// is simply not heard.
//
// The game holds one SoundChannel (the audio device is process-wide) and calls:
//   initSound            at every window creation, after the window exists;
//   playRequestedSounds  after each frame's update and drawing, with the match's requests;
//   shutdownSound        once at exit.
#pragma once

#include <string>

#include "data_paths.h"
#include "match.h"

struct Mix_Chunk;

namespace spinvale {

struct SoundChannel {
    SoundChannel() = default;
    SoundChannel(const SoundChannel&) = delete;  // it owns the loaded effect
    SoundChannel& operator=(const SoundChannel&) = delete;

    DataPaths dataPaths = gameDataPaths();  // where effect files are looked up
    bool audioStarted = false;              // SDL's audio subsystem is up
    bool deviceOpen = false;                // the mixer holds an open output device
    Mix_Chunk* currentEffect = nullptr;     // the effect started last, freed when replaced
};

// Opens the default output device (44100 Hz, 16-bit stereo, 1024-sample buffer); if that
// fails, tries once more with the first device the driver lists, in any format. Whatever
// an earlier call opened is closed first, so a window re-creation never holds two devices.
void initSound(SoundChannel& channel);

// Stops the effect started before, if it still plays, and starts the named effect file
// (a data path such as "sounds/paddle.wav"). Returns at once; true when the effect started.
bool playSound(SoundChannel& channel, const std::string& path);

// Plays the effects a frame asked for, in the order asked: the last one is what sounds.
void playRequestedSounds(SoundChannel& channel, const MatchRequests& requests);

// Stops the effect and closes the device. The channel can be started again with initSound.
void shutdownSound(SoundChannel& channel);

}  // namespace spinvale
