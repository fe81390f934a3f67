#include "options.h"

#include <charconv>

namespace spinvale {

const char* const usageText =
    "Usage: spinvale [OPTION]...\n"
    "Plays one game of Spinvale table tennis. \"settings.dat\" says who plays (the mouse or\n"
    "the computer for player 1, the keyboard or the computer for player 2), the game length\n"
    "and the screen size; change it with spinvale-settings.\n"
    "\n"
    "  --fullscreen      start fullscreen (the default)\n"
    "  --windowed        start in a window; the last of the two wins\n"
    "  --settings FILE   read the settings from FILE, and from nowhere else\n"
    "  --data-dir DIR    take the shipped settings, images and sounds from DIR\n"
    "  --max-fps N       run at most N frames a second (default 60; 0: no limit, no vsync)\n"
    "  --samples N       multisample with N samples (0, 2 or 4; default 4, else 2, else\n"
    "                    none, and none on a software renderer such as llvmpipe)\n"
    "  --frames N        quit after N frames\n"
    "  --record FILE     write the input of every update, a script for spinvale-sim\n"
    "  --trace FILE      write the match after every update, as spinvale-sim --trace does\n"
    "  --no-dialogs      report errors on stderr only, without message boxes\n"
    "  --verbose         tell which renderer, samples and frame pacing the game took\n"
    "  --help, --version\n"
    "\n"
    "Files, each taken from the first place that has it:\n"
    "  settings.dat      the working directory, then $XDG_CONFIG_HOME/spinvale (by default\n"
    "                    ~/.config/spinvale), then the data folder\n"
    "  newsv_0.bmp, newsv_1.bmp, sounds/*.wav\n"
    "                    the working directory, then the data folder\n"
    "The data folder is DIR of --data-dir, else data/ next to the program (a build tree),\n"
    "else the installed share/spinvale. The game never writes the settings file.\n"
    "\n"
    "Controls: the mouse moves paddle 1 and its left button serves and swings; the arrows\n"
    "(or a gamepad's left stick or D-pad) move paddle 2 and Enter (or the pad's A button)\n"
    "serves and swings; F1 or Alt+Enter switches fullscreen and window; Esc (or Start) quits.\n"
    "\n"
    "Exit status: 0 after a quit, 1 no window could be made or an output file not written,\n"
    "2 a bad command line, 255 the video system did not start.\n";

namespace {

bool isFlag(const std::string& name) {
    return name == "--help" || name == "--version" || name == "--windowed" ||
           name == "--fullscreen" || name == "--no-dialogs" || name == "--verbose";
}

bool takesValue(const std::string& name) {
    return name == "--max-fps" || name == "--samples" || name == "--frames" ||
           name == "--settings" || name == "--data-dir" || name == "--record" || name == "--trace";
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
    } else if (name == "--samples") {
        if (value != "0" && value != "2" && value != "4") {
            error = "--samples needs 0, 2 or 4, not '" + value + "'";
            return false;
        }
        o.samples = value[0] - '0';
    } else if (name == "--frames") {
        if (!parseCount(value, 1, INT64_MAX, number)) {
            error = "--frames needs a whole number of 1 or more, not '" + value + "'";
            return false;
        }
        o.frames = number;
    } else if (value.empty()) {
        error = name + (name == "--data-dir" ? " needs a folder name" : " needs a file name");
        return false;
    } else if (name == "--settings") {
        o.settingsPath = value;
    } else if (name == "--data-dir") {
        o.dataDir = value;
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
        } else if (name == "--windowed" || name == "--fullscreen") {
            o.windowed = name == "--windowed";
        } else if (name == "--no-dialogs") {
            o.dialogs = false;
        } else if (name == "--verbose") {
            o.verbose = true;
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
