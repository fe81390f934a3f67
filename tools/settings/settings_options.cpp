#include "settings_options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace spinvale {

namespace {

bool parseNumber(const std::string& text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
           std::isfinite(value);
}

bool parseWhole(const std::string& text, int32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

bool numberIn(const std::string& text, double least, double most, double& value) {
    return parseNumber(text, value) && value >= least && value <= most;
}

// Splits "a<sep>b<sep>c" into its parts.
std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(sep); at != std::string::npos; at = text.find(sep, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// One of two words, written as 1 or 0.
bool choice(SettingsRecord& r, const SettingsField& f, const std::string& value, const char* one,
            const char* zero) {
    if (value != one && value != zero) {
        return false;
    }
    writeInt32(r, f, value == one ? 1 : 0);
    return true;
}

bool real(SettingsRecord& r, const SettingsField& f, const std::string& value, double least,
          double most) {
    double number = 0;
    if (!numberIn(value, least, most, number)) {
        return false;
    }
    writeDouble(r, f, number);
    return true;
}

bool points(SettingsRecord& r, const std::string& value) {
    if (value != "11" && value != "21") {
        return false;
    }
    writeInt32(r, field::pointsPerGame, value == "11" ? 11 : 21);
    return true;
}

bool screen(SettingsRecord& r, const std::string& value) {
    const std::vector<std::string> parts = split(value, 'x');
    int32_t w = 0;
    int32_t h = 0;
    if (parts.size() != 2 || !parseWhole(parts[0], w) || !parseWhole(parts[1], h) || w < 1 ||
        h < 1 || w > 16384 || h > 16384) {
        return false;
    }
    writeInt32(r, field::screenWidth, w);
    writeInt32(r, field::screenHeight, h);
    return true;
}

bool camera(SettingsRecord& r, const std::string& value) {
    const std::vector<std::string> parts = split(value, ',');
    double xyz[3] = {};
    if (parts.size() != 3) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (!numberIn(parts[i], -10000, 10000, xyz[i])) {
            return false;
        }
    }
    writeDouble(r, field::cameraX, xyz[0]);
    writeDouble(r, field::cameraY, xyz[1]);
    writeDouble(r, field::cameraZ, xyz[2]);
    return true;
}

// The adaptive strength is a double in the file, chosen by exactly 1.
bool strength(SettingsRecord& r, const std::string& value) {
    if (value != "adaptive" && value != "fixed") {
        return false;
    }
    writeDouble(r, field::adaptiveStrength, value == "adaptive" ? 1 : 0);
    return true;
}

}  // namespace

const SettingsOption settingsOptions[12] = {
    {"--points", "11|21", "game length", "11 or 21", points},
    {"--player1", "mouse|computer", "who plays player 1", "mouse or computer",
     [](SettingsRecord& r, const std::string& v) {
         return choice(r, field::player1Mouse, v, "mouse", "computer");
     }},
    {"--player2", "keyboard|computer", "who plays player 2", "keyboard or computer",
     [](SettingsRecord& r, const std::string& v) {
         return choice(r, field::player2Keyboard, v, "keyboard", "computer");
     }},
    {"--game-speed", "X", "time scale of the ball's flight, 0 to 100", "a number from 0 to 100",
     [](SettingsRecord& r, const std::string& v) { return real(r, field::gameSpeed, v, 0, 100); }},
    {"--gravity", "X", "gravity scale, 0 to 100", "a number from 0 to 100",
     [](SettingsRecord& r, const std::string& v) {
         return real(r, field::gravityScale, v, 0, 100);
     }},
    {"--spin", "X", "side-spin gain of the mouse player, -1000 to 1000",
     "a number from -1000 to 1000",
     [](SettingsRecord& r, const std::string& v) {
         return real(r, field::spinFactor, v, -1000, 1000);
     }},
    {"--ai-skill", "X", "computer accuracy, 0 to 1", "a number from 0 to 1",
     [](SettingsRecord& r, const std::string& v) { return real(r, field::aiSkill, v, 0, 1); }},
    {"--ai-speed", "X", "computer paddle speed, 0 to 1000", "a number from 0 to 1000",
     [](SettingsRecord& r, const std::string& v) { return real(r, field::aiSpeed, v, 0, 1000); }},
    {"--strength", "fixed|adaptive", "the computer: as set, or adapting to the player",
     "fixed or adaptive", strength},
    {"--screen", "WxH", "window size in pixels, each 1 to 16384",
     "WIDTHxHEIGHT in pixels, each from 1 to 16384", screen},
    {"--camera", "X,Y,Z", "camera position in cm, each -10000 to 10000",
     "X,Y,Z in centimetres, each from -10000 to 10000", camera},
    {"--simple-graphics", "0|1", "outline table and flat paddles", "0 or 1",
     [](SettingsRecord& r, const std::string& v) {
         return choice(r, field::simpleGraphics, v, "1", "0");
     }},
};

std::string settingsOptionsHelp() {
    std::string help;
    for (const SettingsOption& o : settingsOptions) {
        std::string head = std::string("  ") + o.name + " " + o.argument;
        head.resize(std::max<std::size_t>(head.size() + 1, 33), ' ');
        help += head + o.help + "\n";
    }
    return help;
}

}  // namespace spinvale
