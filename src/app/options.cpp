#include "options.h"

#include <charconv>

namespace spinvale {

const char* const usageText =
    "Usage: spinvale [OPTION]...\n"
    "Plays one game of Spinvale table tennis. \"settings.dat\" says who plays: the mouse or\n"
    "the computer for player 1, the keyboard or the computer for player 2. It is read from\n"
    "the working directory, else ~/.config/spinvale, else the game's data folder; change it\n"
    "with spinvale-settings.\n"
    "\n"
    "  --windowed        start in a window instead of fullscreen\n"
    "  --no-dialogs      report errors on stderr only, without message boxes\n"
    "  --max-fps N       run at most N frames a second (default 60; 0: no limit)\n"
    "  --frames N        quit after N frames\n"
    "  --record FILE     write the input of every update, a script for spinvale-sim\n"
    "  --trace FILE      write the match after every update, as spinvale-sim --trace does\n"
    "  --help, --version\n"
    "\n"
    "Keys: the mouse moves paddle 1 and its button serves and swings; the arrows move\n"
    "paddle 2 and Enter serves and swings; F1 switches fullscreen and window; Esc quits.\n";

namespace {

bool isFlag(const std::string& name) {
    return name == "--help" || name == "--version" || name == "--windowed" ||
           name == "--no-dialogs";
}

bool takesValue(const std::string& name) {
    return name == "--max-fps" || name == "--frames" || name == "--record" || name == "--trace";
}

bool parseCount(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

// Stores one option's value; false with a reason when the value does not fit.
bool setOption(const std::string& name, const std::string& value, Options& o, std::string& error) {
    int64_t number = 0;
    if (name == "--max-fps") {
        if (!parseCount(value, 0, 1000, number)) {
            error = "--max-fps needs a whole number from 0 to 1000, not '" + value + "'";
            return false;
        }
        o.maxFps = static_cast<int>(number);
    } else if (name == "--frames") {
        if (!parseCount(value, 1, INT64_MAX, number)) {
            error = "--frames needs a whole number of 1 or more, not '" + value + "'";
            return false;
        }
        o.frames = number;
    } else if (value.empty()) {
        error = name + " needs a file name";
        return false;
    } else if (name == "--record") {
        o.recordPath = value;
    } else {
        o.tracePath = value;
    }
    return true;
}

}  // namespace

CommandLine parseOptions(const std::vector<std::string>& args, Options& options,
                         std::string& error) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        const std::size_t equals = name.find('=');
        const bool inlineValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (isFlag(name) && inlineValue) {
            error = name + " takes no value";
            return CommandLine::Bad;
        }
        if (name == "--help") {
            return CommandLine::Help;
        } else if (name == "--version") {
            return CommandLine::Version;
        } else if (name == "--windowed") {
            o.windowed = true;
        } else if (name == "--no-dialogs") {
            o.dialogs = false;
        } else if (takesValue(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error = name + " needs a value";
                    return CommandLine::Bad;
                }
                value = args[++i];
            }
            if (!setOption(name, value, o, error)) {
                return CommandLine::Bad;
            }
        } else {
            error = "unknown option '" + args[i] + "'";
            return CommandLine::Bad;
        }
    }
    options = o;
    return CommandLine::Play;
}

}  // namespace spinvale
