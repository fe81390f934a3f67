// spinvale-sim: plays a match without a window, one update per script line (or per
// --frame-ms without a script), through the same match code as the game.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "match.h"
#include "replay.h"
#include "settings_file.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-sim [--settings FILE] [--script FILE] [--frame-ms MS] [--max-frames N]\n"
    "                    [--seed S] [--trace]\n"
    "Plays a Spinvale match without a window and prints its outcome.\n"
    "\n"
    "  --settings FILE   settings record (default: the one a recording names in its first\n"
    "                    line, else settings.dat in the working directory; missing: the\n"
    "                    built-in settings)\n"
    "  --script FILE     one update per line: <elapsedMs> <pointerX> <pointerY> <1|0|-> [key ...]\n"
    "  --frame-ms MS     elapsed time of every update without a script (default 16)\n"
    "  --max-frames N    stop after N updates (default: the script's end, else 1000000)\n"
    "  --seed S          start value of the random sequence (default 1)\n"
    "  --trace           print the match record after every update as one JSON line\n"
    "  --help, --version\n"
    "\n"
    "Without a script the run ends at the first won game. Exit status: 0 done, 2 bad usage\n"
    "or a malformed script.\n";

struct Options {
    std::string settingsPath;  // "": the recording's, else settings.dat
    std::string scriptPath;
    uint32_t frameMs = 16;
    int64_t maxFrames = -1;
    uint32_t seed = 1;
    bool trace = false;
};

[[noreturn]] void fail(const std::string& message) {
    std::cerr << "spinvale-sim: " << message << "\n";
    std::exit(2);
}

template <typename Int>
Int wholeNumber(const std::string& option, const std::string& text) {
    Int value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        fail(option + " needs a whole number, not '" + text + "'");
    }
    return value;
}

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const bool takesValue = arg == "--settings" || arg == "--script" || arg == "--frame-ms" ||
                                arg == "--max-frames" || arg == "--seed";
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
        } else if (takesValue) {
            if (i + 1 >= argc) {
                fail(arg + " needs a value\n" + usage);
            }
            value = argv[++i];
        }
        if (arg == "--help") {
            std::cout << usage;
            std::exit(0);
        } else if (arg == "--version") {
            std::cout << "spinvale-sim " SPINVALE_VERSION "\n";
            std::exit(0);
        } else if (arg == "--trace") {
            o.trace = true;
        } else if (arg == "--settings") {
            o.settingsPath = value;
        } else if (arg == "--script") {
            o.scriptPath = value;
        } else if (arg == "--frame-ms") {
            o.frameMs = wholeNumber<uint32_t>(arg, value);
        } else if (arg == "--max-frames") {
            o.maxFrames = wholeNumber<int64_t>(arg, value);
            if (o.maxFrames < 0) {
                fail("--max-frames cannot be negative");
            }
        } else if (arg == "--seed") {
            o.seed = wholeNumber<uint32_t>(arg, value);
        } else {
            std::cerr << "spinvale-sim: unknown option '" << argv[i] << "'\n" << usage;
            std::exit(2);
        }
    }
    return o;
}

// What the game does on every window creation: keys cleared, match put into its starting
// positions (the serve is decided before the settings are read), settings read.
void createWindow(Match& match, const std::string& settingsPath, bool reportWarnings) {
    for (int32_t& key : match.input.keys) {
        key = 0;
    }
    initMatchState(match);
    std::vector<std::string> warnings;
    match.settings = loadSettings(settingsPath, warnings);
    if (reportWarnings) {
        for (const std::string& w : warnings) {
            std::cerr << "spinvale-sim: warning: " << w << "\n";
        }
    }
}

// The settings named with --settings; else those the game read for a recording; else the
// working directory's.
std::string chooseSettings(const Options& options, std::ifstream& script) {
    if (!options.settingsPath.empty()) {
        return options.settingsPath;
    }
    if (script.is_open()) {
        std::string firstLine;
        std::getline(script, firstLine);
        script.clear();
        script.seekg(0);
        const std::string recorded = settingsNamedBy(firstLine);
        if (!recorded.empty()) {
            return recorded;
        }
    }
    return "settings.dat";
}

int winner(const MatchState& s) {
    return s.rallyState == P1WinsGame ? 1 : s.rallyState == P2WinsGame ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    std::ifstream script;
    if (!options.scriptPath.empty()) {
        script.open(options.scriptPath);
        if (!script) {
            fail("cannot open script " + options.scriptPath + ": " + std::strerror(errno));
        }
    }
    const bool scripted = script.is_open();
    const std::string settingsPath = chooseSettings(options, script);
    const int64_t maxFrames = options.maxFrames >= 0 ? options.maxFrames
                              : scripted             ? INT64_MAX
                                                     : 1000000;

    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    Match match;
    match.randomState = options.seed;
    createWindow(match, settingsPath, true);
    if (options.trace) {
        std::puts(formatTraceLine(0, 0, match).c_str());
    }

    int64_t frames = 0;
    int64_t lineNumber = 0;
    std::string line;
    while (frames < maxFrames) {
        uint32_t elapsedMs = options.frameMs;
        if (scripted) {
            ScriptInput input;
            ScriptLineKind kind = ScriptLineKind::Skip;
            std::string error;
            while (kind == ScriptLineKind::Skip && std::getline(script, line)) {
                ++lineNumber;
                kind = parseScriptLine(line, input, error);
            }
            if (kind == ScriptLineKind::Skip) {
                break;  // the script's end
            }
            if (kind == ScriptLineKind::Malformed) {
                std::fflush(stdout);
                fail(options.scriptPath + ":" + std::to_string(lineNumber) + ": " + error);
            }
            applyScriptInput(match, input);
            elapsedMs = input.elapsedMs;
        }

        playHeadlessUpdate(match, elapsedMs);
        ++frames;
        if (options.trace) {
            std::puts(formatTraceLine(frames, elapsedMs, match).c_str());
        }

        if (match.requests.quit) {
            break;
        }
        if (match.requests.toggleFullscreen) {
            createWindow(match, settingsPath, false);
        }
        if (!scripted && winner(match.state) != 0) {
            break;
        }
    }

    if (!options.trace) {
        const MatchState& s = match.state;
        std::printf("frames=%lld score=%d-%d state=%d winner=%d\n", static_cast<long long>(frames),
                    s.score1, s.score2, static_cast<int>(s.rallyState), winner(s));
    }
    std::fflush(stdout);
    return 0;
}
