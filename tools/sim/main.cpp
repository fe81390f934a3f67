// spinvale-sim: plays a match without a window, one update per recording line (or per
// --frame-ms without one), through the same match step as the game.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "match.h"
#include "recording.h"
#include "settings_file.h"
#include "trace.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-sim [--settings FILE] [--script FILE] [--frame-ms MS] [--max-frames N]\n"
    "                    [--seed S] [--trace]\n"
    "Plays a Spinvale match without a window and prints its outcome.\n"
    "\n"
    "  --settings FILE   settings file (default: the settings a recording carries, else the\n"
    "                    file it names in its first line, else settings.dat in the working\n"
    "                    directory; missing: the built-in settings)\n"
    "  --script FILE     a recording or script, one update per line:\n"
    "                    <elapsedMs> <pointerX> <pointerY> <1|0|-> [key ...]\n"
    "                    and \"settings\" and \"new-game\" lines, as the game records them\n"
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
    int64_t frameMs = 16;
    int64_t maxFrames = -1;
    int64_t seed = 1;
    bool trace = false;
};

int fail(const std::string& message) {
    std::fflush(stdout);
    std::cerr << "spinvale-sim: " << message << "\n";
    return 2;
}

// The settings file named with --settings; else the one a recording names; else the working
// directory's. Settings lines in the recording come on top of these.
std::string chooseSettingsFile(const Options& options, std::ifstream& script) {
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
    Options options;
    CommandLine commandLine("spinvale-sim", usage);
    commandLine.path("--settings", options.settingsPath);
    commandLine.path("--script", options.scriptPath);
    commandLine.whole("--frame-ms", options.frameMs, 0, UINT32_MAX);
    commandLine.whole("--max-frames", options.maxFrames, 0);
    commandLine.whole("--seed", options.seed, 0, UINT32_MAX);
    commandLine.flag("--trace", options.trace);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }

    std::ifstream script;
    if (!options.scriptPath.empty()) {
        script.open(options.scriptPath);
        if (!script) {
            return fail("cannot open script " + options.scriptPath + ": " + std::strerror(errno));
        }
    }
    const bool scripted = script.is_open();
    std::vector<std::string> warnings;
    GameSettings settings = loadSettings(chooseSettingsFile(options, script), warnings);
    for (const std::string& w : warnings) {
        std::cerr << "spinvale-sim: warning: " << w << "\n";
    }
    const int64_t maxFrames = options.maxFrames >= 0 ? options.maxFrames
                              : scripted             ? INT64_MAX
                                                     : 1000000;

    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    RecordingReader reader(script);
    UpdateInput input;
    input.elapsedMs = static_cast<uint32_t>(options.frameMs);
    bool haveInput = !scripted || reader.next(input, settings);

    Match match;
    match.randomState = static_cast<uint32_t>(options.seed);
    restartMatch(match, settings);
    if (options.trace) {
        std::puts(formatTraceLine(0, 0, match).c_str());
    }
    int64_t frames = 0;
    while (haveInput && frames < maxFrames) {
        // A new game the player started is played from this update on.
        if (reader.newGame()) {
            startNewGame(match, *reader.newGame());
        }
        stepMatch(match, input);
        ++frames;
        if (options.trace) {
            std::puts(formatTraceLine(frames, input.elapsedMs, match).c_str());
        }
        if (match.requests.quit || (!scripted && winner(match.state) != 0)) {
            break;
        }
        const bool restart = match.requests.toggleFullscreen;
        haveInput = frames < maxFrames && (!scripted || reader.next(input, settings));
        // The game makes its new window, and so restarts the match, before the next update,
        // with the settings it holds by then.
        if (restart) {
            restartMatch(match, settings);
        }
    }
    if (!reader.error().empty()) {
        return fail(options.scriptPath + ":" + std::to_string(reader.lineNumber()) + ": " +
                    reader.error());
    }

    if (!options.trace) {
        const MatchState& s = match.state;
        std::printf("frames=%lld score=%d-%d state=%d winner=%d\n", static_cast<long long>(frames),
                    s.score1, s.score2, static_cast<int>(s.rallyState), winner(s));
    }
    std::fflush(stdout);
    return 0;
}
