// spinvale-gen-sounds: synthesises the game's three effects as 44.1 kHz 16-bit mono WAV
// files, so that no recorded audio has to live in the repository. The build runs it once
// into the data folder; every run writes the same bytes.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"

namespace {

constexpr int sampleRate = 44100;
constexpr double pi = 3.14159265358979323846;
constexpr double peakLevel = 0.7;  // about -3 dBFS: loud enough, never clipped

using Samples = std::vector<double>;

constexpr const char* usage =
    "Usage: spinvale-gen-sounds FOLDER\n"
    "Writes paddle.wav, table.wav and playerwins.wav (44100 Hz, 16-bit mono) into FOLDER.\n"
    "\n"
    "  --help, --version\n";

int samplesFor(double seconds) {
    return static_cast<int>(std::lround(seconds * sampleRate));
}

// A struck body rings as a few decaying partials; the pitch sags slightly as it settles.
struct Partial {
    double hz;
    double amplitude;
    double decaySeconds;
};

void addStrike(Samples& out, const std::vector<Partial>& partials, double pitchSag) {
    for (const Partial& p : partials) {
        double phase = 0;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const double t = double(i) / sampleRate;
            const double hz = p.hz * (1 - pitchSag * (1 - std::exp(-t / 0.01)));
            phase += 2 * pi * hz / sampleRate;
            out[i] += p.amplitude * std::exp(-t / p.decaySeconds) * std::sin(phase);
        }
    }
}

// The contact click: a very short burst of seeded noise, so every build gives the same file.
void addClick(Samples& out, double amplitude, double decaySeconds, uint32_t seed) {
    uint32_t state = seed;
    for (std::size_t i = 0; i < out.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const double noise = double(state >> 8) / double(1u << 24) * 2 - 1;
        out[i] += amplitude * std::exp(-double(i) / sampleRate / decaySeconds) * noise;
    }
}

// Raised-cosine ramps at both ends so playback never starts or stops on a jump.
void fadeEnds(Samples& out, double fadeInSeconds, double fadeOutSeconds) {
    const int in = samplesFor(fadeInSeconds);
    const int outLength = samplesFor(fadeOutSeconds);
    const int n = static_cast<int>(out.size());
    for (int i = 0; i < in && i < n; ++i) {
        out[i] *= 0.5 - 0.5 * std::cos(pi * i / in);
    }
    for (int i = 0; i < outLength && i < n; ++i) {
        out[n - 1 - i] *= 0.5 - 0.5 * std::cos(pi * i / outLength);
    }
}

void normalise(Samples& out) {
    double peak = 0;
    for (double s : out) {
        peak = std::max(peak, std::abs(s));
    }
    if (peak > 0) {
        for (double& s : out) {
            s *= peakLevel / peak;
        }
    }
}

// A struck sound: ringing partials over a contact click, faded at both ends.
struct Strike {
    double seconds;
    std::vector<Partial> partials;
    double pitchSag;  // fraction the pitch drops as the body settles
    double clickAmplitude;
    double clickDecaySeconds;
    uint32_t clickSeed;
    double fadeInSeconds;
    double fadeOutSeconds;
};

Samples strikeSound(const Strike& strike) {
    Samples out(samplesFor(strike.seconds), 0.0);
    addStrike(out, strike.partials, strike.pitchSag);
    addClick(out, strike.clickAmplitude, strike.clickDecaySeconds, strike.clickSeed);
    fadeEnds(out, strike.fadeInSeconds, strike.fadeOutSeconds);
    normalise(out);
    return out;
}

// The paddle: a short wooden "pock", a low body note with two weaker overtones.
Samples paddleSound() {
    const std::vector<Partial> body = {{820, 1.0, 0.012}, {1650, 0.35, 0.006}, {2900, 0.12, 0.003}};
    return strikeSound({0.060, body, 0.06, 0.25, 0.0015, 17, 0.003, 0.006});
}

// The table: a brighter, shorter "tick" off the hard top.
Samples tableSound() {
    const std::vector<Partial> top = {{2600, 1.0, 0.005}, {4100, 0.4, 0.003}, {1300, 0.2, 0.006}};
    return strikeSound({0.035, top, 0.03, 0.3, 0.001, 29, 0.002, 0.005});
}

// The won game: a rising major arpeggio, C5 E5 G5 then a held C6.
Samples winSound() {
    struct Note {
        double hz;
        double startSeconds;
        double decaySeconds;
    };
    const Note notes[] = {
        {523.25, 0.00, 0.12}, {659.26, 0.15, 0.12}, {783.99, 0.30, 0.12}, {1046.50, 0.45, 0.25}};
    Samples out(samplesFor(1.1), 0.0);
    const int attack = samplesFor(0.005);
    for (const Note& note : notes) {
        const int start = samplesFor(note.startSeconds);
        for (int i = 0; start + i < static_cast<int>(out.size()); ++i) {
            const double t = double(i) / sampleRate;
            const double rise = i < attack ? 0.5 - 0.5 * std::cos(pi * i / attack) : 1.0;
            const double tone = std::sin(2 * pi * note.hz * t) +
                                0.3 * std::sin(4 * pi * note.hz * t) +
                                0.1 * std::sin(6 * pi * note.hz * t);
            out[start + i] += rise * std::exp(-t / note.decaySeconds) * tone;
        }
    }
    fadeEnds(out, 0.003, 0.030);
    normalise(out);
    return out;
}

void putLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

// A canonical 44-byte-header PCM WAV file.
std::string wavBytes(const Samples& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    putLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLittleEndian(out, 16, 4);              // fmt chunk size
    putLittleEndian(out, 1, 2);               // PCM
    putLittleEndian(out, 1, 2);               // mono
    putLittleEndian(out, sampleRate, 4);      // frames per second
    putLittleEndian(out, sampleRate * 2, 4);  // bytes per second
    putLittleEndian(out, 2, 2);               // bytes per frame
    putLittleEndian(out, 16, 2);              // bits per sample
    out += "data";
    putLittleEndian(out, dataBytes, 4);
    for (double s : samples) {
        const auto value = static_cast<int16_t>(std::lround(s * 32767));
        putLittleEndian(out, static_cast<uint16_t>(value), 2);
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "spinvale-gen-sounds: cannot write " << path << ": " << std::strerror(errno)
                  << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> folders;
    spinvale::CommandLine commandLine("spinvale-gen-sounds", usage);
    commandLine.words(folders, 1, 1);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    const std::string& folder = folders[0];
    const bool written = writeFile(folder + "/paddle.wav", wavBytes(paddleSound())) &&
                         writeFile(folder + "/table.wav", wavBytes(tableSound())) &&
                         writeFile(folder + "/playerwins.wav", wavBytes(winSound()));
    return written ? 0 : 1;
}
