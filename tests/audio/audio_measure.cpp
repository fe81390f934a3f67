#include "audio_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace spinvale::test {

namespace {

uint32_t littleEndian(const std::string& bytes, std::size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

std::string fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

bool readWav(const std::string& path, PcmSound& sound, std::string& error) {
    const std::string bytes = fileBytes(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        error = path + ": not a RIFF WAVE file";
        return false;
    }
    bool haveFormat = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = littleEndian(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        if (body + size > bytes.size()) {
            error = path + ": chunk '" + id + "' runs past the end of the file";
            return false;
        }
        if (id == "fmt " && size >= 16) {
            if (littleEndian(bytes, body, 2) != 1) {
                error = path + ": not PCM";
                return false;
            }
            sound.channels = static_cast<int>(littleEndian(bytes, body + 2, 2));
            sound.sampleRate = static_cast<int>(littleEndian(bytes, body + 4, 4));
            sound.bitsPerSample = static_cast<int>(littleEndian(bytes, body + 14, 2));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat || sound.bitsPerSample != 16 || sound.channels < 1) {
                error = path + ": no 16-bit PCM format before the data";
                return false;
            }
            sound.samples.resize(size / 2);
            for (std::size_t i = 0; i < sound.samples.size(); ++i) {
                sound.samples[i] = static_cast<int16_t>(littleEndian(bytes, body + 2 * i, 2));
            }
            return true;
        }
        at = body + size + (size & 1);  // chunks are padded to even sizes
    }
    error = path + ": no data chunk";
    return false;
}

std::vector<int16_t> readRawSamples(const std::string& path) {
    const std::string bytes = fileBytes(path);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::copy_n(bytes.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

std::vector<int16_t> channelOf(const std::vector<int16_t>& frames, int channels, int which) {
    std::vector<int16_t> out;
    for (std::size_t i = static_cast<std::size_t>(which); i < frames.size();
         i += static_cast<std::size_t>(channels)) {
        out.push_back(frames[i]);
    }
    return out;
}

double peakLevel(const std::vector<int16_t>& samples, std::size_t begin, std::size_t end) {
    int peak = 0;
    for (std::size_t i = begin; i < end && i < samples.size(); ++i) {
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return peak / 32768.0;
}

// Goertzel's recurrence gives the energy at one frequency without a full transform.
double dominantFrequency(const std::vector<int16_t>& samples, int sampleRate, std::size_t begin,
                         std::size_t end) {
    const double pi = 3.14159265358979323846;
    const std::size_t n = end - begin;
    std::vector<double> windowed(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * pi * double(i) / double(n - 1));
        windowed[i] = hann * samples[begin + i];
    }
    double bestHz = 0;
    double bestPower = -1;
    for (int hz = 100; hz <= 8000; hz += 10) {
        const double coefficient = 2 * std::cos(2 * pi * hz / sampleRate);
        double s1 = 0;
        double s2 = 0;
        for (double x : windowed) {
            const double s0 = x + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            bestHz = hz;
        }
    }
    return bestHz;
}

}  // namespace spinvale::test
