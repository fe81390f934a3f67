// What the audio tests measure: a small WAV reader of their own (independent of the mixer
// and of the generator), levels and the dominant frequency of a stretch of samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace spinvale::test {

struct PcmSound {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;
    std::vector<int16_t> samples;  // interleaved frames

    double seconds() const { return double(samples.size()) / channels / sampleRate; }
};

// Reads a PCM WAV file; false (with a reason) for anything else.
bool readWav(const std::string& path, PcmSound& sound, std::string& error);

// Raw 16-bit samples as SDL's disk driver writes them: native byte order, interleaved.
std::vector<int16_t> readRawSamples(const std::string& path);

// One channel of interleaved frames.
std::vector<int16_t> channelOf(const std::vector<int16_t>& frames, int channels, int which);

// The largest magnitude, as a fraction of full scale (32768).
double peakLevel(const std::vector<int16_t>& samples, std::size_t begin, std::size_t end);

// The frequency with the most energy between 100 Hz and 8 kHz, scanned in 10 Hz steps with
// a Hann window over [begin, end).
double dominantFrequency(const std::vector<int16_t>& samples, int sampleRate, std::size_t begin,
                         std::size_t end);

}  // namespace spinvale::test
