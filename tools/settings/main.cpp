// spinvale-settings: shows and changes the binary settings file, so that nobody edits it
// by hand. Writing keeps every field it is not asked to change and replaces the file in one
// step; a bad value leaves the file untouched.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "settings_file.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-settings show [FILE]\n"
    "       spinvale-settings write [FILE] [OPTION VALUE]...\n"
    "Shows or changes Spinvale's settings file (default FILE: settings.dat).\n"
    "\n"
    "write changes the named fields and keeps the others (from FILE when it is a complete\n"
    "settings file, else the built-in settings). Options:\n"
    "  --points 11|21                 game length\n"
    "  --player1 mouse|computer       who plays player 1\n"
    "  --player2 keyboard|computer    who plays player 2\n"
    "  --game-speed X                 time scale of the ball's flight (0 or more)\n"
    "  --gravity X                    gravity scale (0 or more)\n"
    "  --spin X                       side-spin gain of the mouse player\n"
    "  --ai-skill X                   computer accuracy, 0 to 1\n"
    "  --ai-speed X                   computer paddle speed (0 or more)\n"
    "  --screen WxH                   window size in pixels\n"
    "  --camera X,Y,Z                 camera position in cm (it looks at the net's foot)\n"
    "  --simple-graphics 0|1          outline table and flat paddles\n"
    "  --help, --version\n"
    "\n"
    "Exit status: 0 done, 1 the file could not be read or written, 2 bad usage or value.\n";

[[noreturn]] void fail(int status, const std::string& message) {
    std::cerr << "spinvale-settings: " << message << "\n";
    std::exit(status);
}

std::string show(double value) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return std::string(text, written.ptr);
}

bool parseNumber(const std::string& text, double& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
           std::isfinite(value);
}

bool parseWhole(const std::string& text, int32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Splits "a<sep>b<sep>c" into exactly count parts.
bool splitInto(const std::string& text, char sep, std::size_t count,
               std::vector<std::string>& parts) {
    parts.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) {
            break;
        }
        start = at + 1;
    }
    return parts.size() == count;
}

[[noreturn]] void badValue(const std::string& option, const std::string& value,
                           const std::string& expected) {
    fail(2, "bad value '" + value + "' for " + option + ": expected " + expected +
                "; the file was not changed");
}

double numberAtLeast(const std::string& option, const std::string& value, double least) {
    double number = 0;
    if (!parseNumber(value, number) || number < least) {
        badValue(option, value, "a number of " + show(least) + " or more");
    }
    return number;
}

void applyOption(SettingsRecord& r, const std::string& option, const std::string& value) {
    if (option == "--points") {
        if (value != "11" && value != "21") {
            badValue(option, value, "11 or 21");
        }
        writeInt32(r, field::pointsPerGame, value == "11" ? 11 : 21);
    } else if (option == "--player1") {
        if (value != "mouse" && value != "computer") {
            badValue(option, value, "mouse or computer");
        }
        writeInt32(r, field::player1Mouse, value == "mouse" ? 1 : 0);
    } else if (option == "--player2") {
        if (value != "keyboard" && value != "computer") {
            badValue(option, value, "keyboard or computer");
        }
        writeInt32(r, field::player2Keyboard, value == "keyboard" ? 1 : 0);
    } else if (option == "--game-speed") {
        writeDouble(r, field::gameSpeed, numberAtLeast(option, value, 0));
    } else if (option == "--gravity") {
        writeDouble(r, field::gravityScale, numberAtLeast(option, value, 0));
    } else if (option == "--ai-speed") {
        writeDouble(r, field::aiSpeed, numberAtLeast(option, value, 0));
    } else if (option == "--ai-skill") {
        double skill = 0;
        if (!parseNumber(value, skill) || skill < 0 || skill > 1) {
            badValue(option, value, "a number from 0 to 1");
        }
        writeDouble(r, field::aiSkill, skill);
    } else if (option == "--spin") {
        double spin = 0;
        if (!parseNumber(value, spin) || std::fabs(spin) > 1e6) {
            badValue(option, value, "a number from -1000000 to 1000000");
        }
        writeDouble(r, field::spinFactor, spin);
    } else if (option == "--screen") {
        std::vector<std::string> parts;
        int32_t w = 0;
        int32_t h = 0;
        if (!splitInto(value, 'x', 2, parts) || !parseWhole(parts[0], w) ||
            !parseWhole(parts[1], h) || w < 1 || h < 1 || w > 16384 || h > 16384) {
            badValue(option, value, "WIDTHxHEIGHT in pixels, each from 1 to 16384");
        }
        writeInt32(r, field::screenWidth, w);
        writeInt32(r, field::screenHeight, h);
    } else if (option == "--camera") {
        std::vector<std::string> parts;
        double xyz[3] = {};
        if (!splitInto(value, ',', 3, parts) || !parseNumber(parts[0], xyz[0]) ||
            !parseNumber(parts[1], xyz[1]) || !parseNumber(parts[2], xyz[2])) {
            badValue(option, value, "X,Y,Z in centimetres");
        }
        writeDouble(r, field::cameraX, xyz[0]);
        writeDouble(r, field::cameraY, xyz[1]);
        writeDouble(r, field::cameraZ, xyz[2]);
    } else if (option == "--simple-graphics") {
        if (value != "0" && value != "1") {
            badValue(option, value, "0 or 1");
        }
        writeInt32(r, field::simpleGraphics, value == "1" ? 1 : 0);
    } else {
        fail(2, "unknown option '" + option + "'\n" + usage);
    }
}

int showFile(const std::string& path) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        fail(1, "cannot read " + path + ": " + error + " (the game then uses the built-in settings)");
    }
    std::cout << path << "\n";
    for (const SettingsField& f : settingsFields) {
        std::cout << "  " << f.name << std::string(18 - std::string(f.name).size(), ' ');
        if (f.type == FieldType::Int32) {
            std::cout << readInt32(record, f) << "\n";
        } else {
            std::cout << show(readDouble(record, f)) << "\n";
        }
    }
    std::vector<std::string> warnings;
    decodeSettings(record, path, warnings);
    for (const std::string& w : warnings) {
        std::cerr << "spinvale-settings: warning: " << w << "\n";
    }
    return 0;
}

int writeFile(const std::string& path, const std::vector<std::pair<std::string, std::string>>& changes) {
    SettingsRecord record{};
    std::string error;
    if (!readSettingsRecord(path, record, error)) {
        record = defaultSettingsRecord();
    }
    for (const auto& [option, value] : changes) {
        applyOption(record, option, value);
    }
    if (!writeSettingsRecord(path, record, error)) {
        fail(1, error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help") {
            std::cout << usage;
            return 0;
        }
        if (a == "--version") {
            std::cout << "spinvale-settings " SPINVALE_VERSION "\n";
            return 0;
        }
    }
    if (args.empty() || (args[0] != "show" && args[0] != "write")) {
        fail(2, std::string(args.empty() ? "no command given" : "unknown command '" + args[0] + "'") +
                    "\n" + usage);
    }
    const std::string command = args[0];
    std::string path;
    std::vector<std::pair<std::string, std::string>> changes;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            if (!path.empty()) {
                fail(2, "more than one file named: '" + path + "' and '" + a + "'");
            }
            path = a;
            continue;
        }
        if (command == "show") {
            fail(2, "show takes no options, only a file");
        }
        const std::size_t equals = a.find('=');
        if (equals != std::string::npos) {
            changes.emplace_back(a.substr(0, equals), a.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            changes.emplace_back(a, args[++i]);
        } else {
            fail(2, a + " needs a value");
        }
    }
    if (path.empty()) {
        path = "settings.dat";
    }
    return command == "show" ? showFile(path) : writeFile(path, changes);
}
