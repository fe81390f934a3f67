#include "settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace spinvale {

namespace {

constexpr uint8_t displayMark[4] = {'S', 'P', 'V', 'd'};
constexpr std::size_t displayChoicesSize = sizeof displayMark + 3 * 4;

uint64_t readLittleEndian(const SettingsRecord& record, std::size_t offset, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | record[offset + i];
    }
    return value;
}

void writeLittleEndian(SettingsRecord& record, std::size_t offset, int bytes, uint64_t value) {
    for (int i = 0; i < bytes; ++i) {
        record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

double fileValue(float value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    double widened = value;
    std::from_chars(text, written.ptr, widened);
    return widened;
}

std::string describe(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

class Decoder {
  public:
    Decoder(const SettingsRecord& record, const std::string& source,
            std::vector<std::string>& warnings)
        : record_(record), source_(source), warnings_(warnings) {}

    // A real the game holds in single precision; one that is not a finite number there
    // (NaN, infinity, or too large for a float) takes the shipped value.
    float real(const SettingsField& f, float fallback) {
        const double value = readDouble(record_, f);
        const float narrowed = static_cast<float>(value);
        if (std::isfinite(narrowed)) {
            return narrowed;
        }
        warn(f, describe(value) + " is not a usable number", describe(fallback));
        return fallback;
    }

    // Truncated toward zero; a value with no int32 truncation is replaced, not converted.
    int32_t truncated(const SettingsField& f, int32_t fallback) {
        const double value = readDouble(record_, f);
        if (std::isfinite(value) && value > -2147483649.0 && value < 2147483648.0) {
            return static_cast<int32_t>(value);
        }
        warn(f, describe(value) + " is not a usable number", std::to_string(fallback));
        return fallback;
    }

    // Above 1 gives 1; below 0, or not a number, gives 0.
    float skill(const SettingsField& f) {
        const double value = readDouble(record_, f);
        if (value > 1.0) {
            return 1.0f;
        }
        const float narrowed = static_cast<float>(value);
        if (narrowed < 0.0f || std::isnan(narrowed)) {
            return 0.0f;
        }
        return narrowed;
    }

    int32_t integer(const SettingsField& f) { return readInt32(record_, f); }

    void warn(const SettingsField& f, const std::string& problem, const std::string& used) {
        warnings_.push_back(source_ + ": " + f.name + " " + problem + "; using " + used);
    }

  private:
    const SettingsRecord& record_;
    const std::string& source_;
    std::vector<std::string>& warnings_;
};

}  // namespace

int32_t readInt32(const SettingsRecord& record, const SettingsField& f) {
    return static_cast<int32_t>(static_cast<uint32_t>(readLittleEndian(record, f.offset, 4)));
}

double readDouble(const SettingsRecord& record, const SettingsField& f) {
    const uint64_t bits = readLittleEndian(record, f.offset, 8);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void writeInt32(SettingsRecord& record, const SettingsField& f, int32_t value) {
    writeLittleEndian(record, f.offset, 4, static_cast<uint32_t>(value));
}

void writeDouble(SettingsRecord& record, const SettingsField& f, double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeLittleEndian(record, f.offset, 8, bits);
}

void encodeField(const GameSettings& g, const SettingsField& f, SettingsRecord& record) {
    if (f.real != nullptr) {
        writeDouble(record, f, fileValue(g.*f.real));
    } else if (f.whole != nullptr && f.type == FieldType::Double) {
        writeDouble(record, f, g.*f.whole);
    } else if (f.type == FieldType::Double) {
        writeDouble(record, f, g.*f.flag ? 1.0 : 0.0);
    } else {
        writeInt32(record, f, f.whole != nullptr ? g.*f.whole : int32_t(g.*f.flag));
    }
}

void encodeSettings(const GameSettings& g, SettingsRecord& record) {
    for (const SettingsField& f : settingsFields) {
        encodeField(g, f, record);
    }
}

SettingsRecord defaultSettingsRecord() {
    SettingsRecord r{};
    encodeSettings(defaultGameSettings(), r);
    return r;
}

GameSettings decodeSettings(const SettingsRecord& record, const std::string& source,
                            std::vector<std::string>& warnings) {
    const GameSettings shipped = defaultGameSettings();
    Decoder in(record, source, warnings);
    GameSettings g;
    for (const SettingsField& f : settingsFields) {
        if (f.real != nullptr) {
            g.*f.real =
                f.offset == field::aiSkill.offset ? in.skill(f) : in.real(f, shipped.*f.real);
        } else if (f.whole != nullptr) {
            g.*f.whole =
                f.type == FieldType::Double ? in.truncated(f, shipped.*f.whole) : in.integer(f);
        } else {
            g.*f.flag =
                f.type == FieldType::Double ? readDouble(record, f) == 1.0 : in.integer(f) != 0;
        }
    }

    // Only 11- and 21-point games exist; any other length would never end.
    if (g.pointsPerGame != 11 && g.pointsPerGame != 21) {
        in.warn(field::pointsPerGame, std::to_string(g.pointsPerGame) + " is not 11 or 21", "11");
        g.pointsPerGame = 11;
    }
    // The pointer mapping and the spin divide by the screen size.
    if (g.screenWidth <= 0 || g.screenHeight <= 0) {
        const SettingsField& bad = g.screenWidth <= 0 ? field::screenWidth : field::screenHeight;
        const int32_t value = g.screenWidth <= 0 ? g.screenWidth : g.screenHeight;
        in.warn(bad, std::to_string(value) + " is not a screen size", "1024 by 768");
        g.screenWidth = 1024;
        g.screenHeight = 768;
    }
    return g;
}

GameSettings settingsFromBytes(const uint8_t* bytes, std::size_t size, const std::string& source,
                               std::vector<std::string>& warnings) {
    if (size < settingsRecordSize) {
        warnings.push_back(source + ": only " + std::to_string(size) + " of " +
                           std::to_string(settingsRecordSize) +
                           " bytes; using the built-in settings");
        return defaultGameSettings();
    }
    SettingsRecord record;
    std::copy(bytes, bytes + settingsRecordSize, record.begin());
    return decodeSettings(record, source, warnings);
}

bool readSettingsRecord(const std::string& path, SettingsRecord& record, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    const std::size_t got = std::fread(record.data(), 1, record.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = "read error";
        return false;
    }
    if (got < record.size()) {
        error = "only " + std::to_string(got) + " of " + std::to_string(record.size()) + " bytes";
        return false;
    }
    return true;
}

GameSettings loadSettings(const std::string& path, std::vector<std::string>& warnings) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        warnings.push_back(path + ": " + error + "; using the built-in settings");
        return defaultGameSettings();
    }
    return decodeSettings(record, path, warnings);
}

DisplayChoices readDisplayChoices(const std::string& path, std::vector<std::string>& warnings) {
    DisplayChoices choices;
    uint8_t bytes[settingsRecordSize + displayChoicesSize];
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return choices;
    }
    const std::size_t got = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    const uint8_t* tail = bytes + settingsRecordSize;
    if (got < sizeof bytes || std::memcmp(tail, displayMark, sizeof displayMark) != 0) {
        return choices;
    }
    const auto whole = [tail](int i) {
        int32_t value = 0;
        for (int b = 3; b >= 0; --b) {
            value = int32_t(uint32_t(value) << 8 | tail[4 + 4 * i + b]);
        }
        return value;
    };
    const auto warn = [&](const char* name, int32_t value, const char* used) {
        warnings.push_back(path + ": " + name + " " + std::to_string(value) +
                           " is not a choice the game offers; using " + used);
    };
    const int32_t fullscreen = whole(0), sound = whole(1), samples = whole(2);
    if (fullscreen == 0 || fullscreen == 1) {
        choices.fullscreen = fullscreen == 1;
    } else {
        warn("fullscreen", fullscreen, "1");
    }
    if (sound == 0 || sound == 1) {
        choices.sound = sound == 1;
    } else {
        warn("sound", sound, "1");
    }
    if (std::find(std::begin(sampleChoices), std::end(sampleChoices), samples) !=
        std::end(sampleChoices)) {
        choices.samples = samples;
    } else {
        warn("samples", samples, "-1, as the renderer suits");
    }
    return choices;
}

bool writeSettingsRecord(const std::string& path, const SettingsRecord& record,
                         const DisplayChoices& display, std::string& error) {
    std::vector<uint8_t> bytes(record.begin(), record.end());
    if (!(display == DisplayChoices{})) {
        bytes.insert(bytes.end(), std::begin(displayMark), std::end(displayMark));
        for (const int32_t value :
             {int32_t(display.fullscreen), int32_t(display.sound), display.samples}) {
            for (int b = 0; b < 4; ++b) {
                bytes.push_back(uint8_t(uint32_t(value) >> (8 * b)));
            }
        }
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = "cannot create a file next to " + path + ": " + std::strerror(errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    const bool complete = written == static_cast<ssize_t>(bytes.size()) &&
                          fchmod(fd, 0666 & ~mask) == 0 && fsync(fd) == 0;
    const int savedErrno = errno;
    close(fd);
    if (!complete || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(complete ? errno : savedErrno);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace spinvale
