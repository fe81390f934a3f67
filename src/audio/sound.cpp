#include "sound.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace spinvale {

namespace {

// 44.1 kHz 16-bit stereo; 1024 frames (23 ms) per mixing pass keeps a stroke's "pock"
// close to the stroke on screen.
constexpr int frequency = 44100;
constexpr Uint16 sampleFormat = AUDIO_S16SYS;
constexpr int outputChannels = 2;
constexpr int bufferFrames = 1024;
constexpr int effectChannel = 0;  // the one mixer channel: one effect at a time

// The default device at our format first (the mixer converts if the device prefers another
// rate or channel count); then, once, the first device the driver lists, in any format.
bool openOutputDevice() {
    if (Mix_OpenAudioDevice(frequency, sampleFormat, outputChannels, bufferFrames, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) ==
        0) {
        return true;
    }
    if (SDL_GetNumAudioDevices(0) < 1) {
        return false;
    }
    const char* name = SDL_GetAudioDeviceName(0, 0);
    if (name == nullptr) {
        return false;
    }
    const std::string fallback = name;
    return Mix_OpenAudioDevice(frequency, sampleFormat, outputChannels, bufferFrames,
                               fallback.c_str(), SDL_AUDIO_ALLOW_ANY_CHANGE) == 0;
}

// Halting takes the mixer's lock, so once it returns the mixing thread no longer reads the
// effect and it can be freed here, on the game's thread.
void stopEffect(SoundChannel& channel) {
    if (channel.currentEffect != nullptr) {
        Mix_HaltChannel(effectChannel);
        Mix_FreeChunk(channel.currentEffect);
        channel.currentEffect = nullptr;
    }
}

}  // namespace

void initSound(SoundChannel& channel) {
    shutdownSound(channel);
    channel.audioStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (channel.audioStarted) {
        channel.deviceOpen = openOutputDevice();
    }
    if (channel.deviceOpen) {
        Mix_AllocateChannels(1);
    }
}

bool playSound(SoundChannel& channel, const std::string& path) {
    stopEffect(channel);
    if (!channel.deviceOpen) {
        return false;
    }
    channel.currentEffect = Mix_LoadWAV(channel.dataPaths.find(path).c_str());
    if (channel.currentEffect == nullptr) {
        return false;
    }
    return Mix_PlayChannel(effectChannel, channel.currentEffect, 0) == effectChannel;
}

void playRequestedSounds(SoundChannel& channel, const MatchRequests& requests) {
    for (int i = 0; i < requests.soundCount; ++i) {
        playSound(channel, soundFile(requests.sounds[i]));
    }
}

void shutdownSound(SoundChannel& channel) {
    stopEffect(channel);
    if (channel.deviceOpen) {
        Mix_CloseAudio();
        channel.deviceOpen = false;
    }
    if (channel.audioStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        channel.audioStarted = false;
    }
}

}  // namespace spinvale
