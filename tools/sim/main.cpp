// spinvale-sim: plays a match without a window, one update per recording line (or per
// --frame-ms without one), through the same drivers and outputs as the game.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "command_line.h"
#include "invite.h"
#include "join_code.h"
#include "local_driver.h"
#include "match.h"
#include "net_sim.h"
#include "output_sink.h"
#include "practice.h"
#include "practice_driver.h"
#include "recording.h"
#include "replay_driver.h"
#include "settings_file.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-sim [--settings FILE] [--script FILE] [--frame-ms MS] [--max-frames N] "
    "[--seed S] [--trace]\n"
    "  or:  spinvale-sim --practice returns|rally [--target any|left|right] [--script FILE] "
    "[--trace] [--record FILE]\n"
    "  or:  spinvale-sim --host PORT [--code CODE] [--name NAME] [--no-router] [--settings FILE] "
    "--script P1.txt [--trace] [--record FILE]\n"
    "  or:  spinvale-sim --join HOST[:PORT] --code CODE --script P2.txt [--trace] [--record FILE]\n"
    "  or:  spinvale-sim --join spinvale://HOST:PORT/CODE --script P2.txt [--trace] [--record "
    "FILE]\n"
    "  or:  spinvale-sim --list\n"
    "Plays a Spinvale match without a window and prints its outcome; or one side of a\n"
    "network match, the other side being another spinvale-sim or the game.\n"
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
    "  --practice returns|rally\n"
    "                    a drill against the computer's serve; the script, if any, gives\n"
    "                    player 1's commands (its settings lines are not read). The coach's\n"
    "                    word on each ball, and the returns drill's summary of every 20\n"
    "                    balls, go to stderr (\"spinvale-sim: practice: ...\")\n"
    "  --target any|left|right\n"
    "                    the half of the far side a drill's return is aimed at (default any)\n"
    "  --record FILE     write the commands, a recording that --script replays to the same\n"
    "                    trace (a drill's starts with its practice line)\n"
    "  --help, --version\n"
    "\n"
    "Network match (UDP through ENet, IPv4; the default port is 27455):\n"
    "  --host PORT       wait for one player on PORT (0: one the system picks); the port,\n"
    "                    the join code and where players find the game (what the home\n"
    "                    router was asked, the invite) go to stderr. The settings decide\n"
    "                    the match; player 2 is the guest. The script gives player 1's\n"
    "                    elapsed times, pointer and button, and paces the updates in real\n"
    "                    time. SIGINT or SIGTERM ends the game as the script's end does\n"
    "  --no-router       do not ask the home router (UPnP, NAT-PMP) to open the port\n"
    "  --name NAME       the name the game is listed by on this network (default: the\n"
    "                    user's name)\n"
    "  --join HOST[:PORT] or an invite, spinvale://HOST:PORT/CODE\n"
    "                    play player 2 in the match hosted there; the script gives the\n"
    "                    keys (arrows and Enter) and the pace\n"
    "  --code CODE       the join code (the host's own, instead of a random one)\n"
    "  --list            look for the games hosted on this network for a second, and print\n"
    "                    each one's address and name\n"
    "  --input-delay N   updates between a command and its update, 0 to 8 (default: from\n"
    "                    the round trip: 0 below 200 ms, 1 below 300 ms, else 2)\n"
    "  --record FILE     write the confirmed commands of both players, a recording that\n"
    "                    --script replays to the same trace\n"
    "Each side traces the updates confirmed by both and stops at the update that wins the\n"
    "game; the end of its script is its player leaving. The numbers of the connection\n"
    "(bytes, rollbacks, hashes compared, what was dropped and why) go to stderr at the end.\n"
    "\n"
    "Without a script the run ends at the first won game (a drill at --max-frames, by default\n"
    "1000000). Exit status: 0 done, 1 no network match (refused, no answer), 2 bad usage or a\n"
    "malformed script, 3 the two sides' matches differed.\n";

struct Options {
    std::string settingsPath;  // "": the recording's, else settings.dat
    std::string scriptPath;
    int64_t frameMs = 16;
    int64_t maxFrames = -1;
    int64_t seed = 1;
    bool trace = false;
    NetRun net;
    bool hosting = false;
    bool noRouter = false;
    bool list = false;
    int64_t routerLease = 3600;
    std::string joinAddress;
    int64_t inputDelay = -1;
    int64_t claimedProtocol = net::protocolVersion;
    int64_t claimedBuild = -1;
    PracticeRules practice;
    bool targetGiven = false;
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

// The network roles, and the hidden hooks of the tests: a guest claiming another protocol
// or match build, a desync after a given update, malformed messages.
void addNetworkOptions(CommandLine& commandLine, Options& o) {
    commandLine.option("--host", [&o](const std::string& text) {
        uint16_t port = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
        if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
            return std::string("a port from 0 to 65535");
        }
        o.hosting = true;
        o.net.setup.port = static_cast<uint16_t>(port);
        return std::string();
    });
    commandLine.option("--join", [&o](const std::string& text) {
        std::string error;
        o.joinAddress = text;
        net::NetSetup& setup = o.net.setup;
        return net::readJoinTarget(text, setup.hostName, setup.port, setup.code, error)
                   ? ""
                   : "HOST[:PORT] or an invite: " + error;
    });
    commandLine.flag("--no-router", o.noRouter);
    commandLine.flag("--list", o.list);
    commandLine.whole("--test-lease", o.routerLease, 1, 3600);
    commandLine.option("--name", [&o](const std::string& text) {
        o.net.setup.lanName = text;
        return text.empty() ? "a name" : "";
    });
    commandLine.option("--code", [&o](const std::string& text) {
        o.net.setup.code = text;
        return net::readJoinCode(text) ? "" : net::joinCodeRule;
    });
    commandLine.path("--record", o.net.recordPath);
    commandLine.whole("--input-delay", o.inputDelay, 0, 8);
    commandLine.whole("--test-desync-after", o.net.desyncAfter, 1);
    commandLine.whole("--test-protocol", o.claimedProtocol, 0, UINT16_MAX);
    commandLine.whole("--test-build", o.claimedBuild, 0);
    commandLine.flag("--test-garbage", o.net.garbage);
    commandLine.whole("--test-poll-ms", o.net.pollMs, 1, 100);
    commandLine.option("--test-listen", [&o](const std::string& text) {
        o.net.setup.listenAddress = text;
        return std::string();
    });
}

int playNetwork(Options& options, const GameSettings& settings, std::ifstream& script) {
    NetRun& run = options.net;
    run.setup.role = options.hosting ? net::Role::Host : net::Role::Guest;
    run.setup.settings = settings;
    run.setup.inputDelay = static_cast<int>(options.inputDelay);
    run.setup.claimedProtocol = static_cast<uint16_t>(options.claimedProtocol);
    if (options.claimedBuild >= 0) {
        run.setup.claimedBuild = static_cast<uint64_t>(options.claimedBuild);
    }
    run.trace = options.trace;
    // A host on one address of its own (the tests' loopback) has nothing for a router to open.
    run.setup.askRouter = !options.noRouter && run.setup.listenAddress.empty();
    run.setup.routerLeaseSeconds = static_cast<uint32_t>(options.routerLease);
    if (!options.hosting && run.setup.code.empty()) {
        return fail("--join needs the host's --code");
    }
    return playNetworkMatch(run, script, options.scriptPath);
}

int winner(const MatchState& s) {
    return s.rallyState == P1WinsGame ? 1 : s.rallyState == P2WinsGame ? 2 : 0;
}

// The runner's own player: no keys; without a script, the same elapsed time every update.
class FixedFrames : public CommandSource {
  public:
    explicit FixedFrames(std::optional<uint32_t> frameMs) : frameMs_(frameMs) {}
    KeySet keys() const override { return {}; }
    std::optional<UpdateInput> take(uint32_t) override {
        std::optional<UpdateInput> input;
        if (frameMs_) {
            input.emplace().elapsedMs = *frameMs_;
        }
        return input;
    }

  private:
    std::optional<uint32_t> frameMs_;
};

// A drill's player: the script's commands, one an update, each with its own time.
class ScriptedCommands : public CommandSource {
  public:
    explicit ScriptedCommands(std::istream& script) : reader_(script) {}
    KeySet keys() const override { return {}; }
    std::optional<UpdateInput> take(uint32_t) override {
        UpdateInput input;
        GameSettings ignored;  // the runner's settings play the drill
        return reader_.next(input, ignored) ? std::optional(input) : std::nullopt;
    }
    const RecordingReader& reader() const { return reader_; }

  private:
    RecordingReader reader_;
};

// The driver of a match on this computer and where its commands come from: a drill on the
// script's commands (or none), a recording replayed, or the computer's game at fixed frames.
struct AloneMatch {
    AloneMatch(const Options& options, const GameSettings& settings,
               std::unique_ptr<std::ifstream> script)
        : scriptFile(std::move(script)),
          fixed(scriptFile->is_open() ? std::nullopt : std::optional(uint32_t(options.frameMs))) {
        const auto seed = static_cast<uint32_t>(options.seed);
        const auto same = [settings] { return settings; };
        if (options.practice.mode != PracticeMode::None) {
            driver = &practice.emplace(options.practice, settings, same, seed);
            player = scriptFile->is_open() ? &commands.emplace(*scriptFile) : player;
        } else if (scriptFile->is_open()) {
            driver = &replay.emplace(std::move(scriptFile), settings, seed);
        } else {
            driver = &local.emplace(settings, same, seed);
        }
    }
    // Why the script stopped before its end, at which line; "" when it did not.
    std::string error() const {
        if (replay && !replay->error().empty()) {
            return std::to_string(replay->errorLine()) + ": " + replay->error();
        }
        if (commands && !commands->reader().error().empty()) {
            const RecordingReader& reader = commands->reader();
            return std::to_string(reader.lineNumber()) + ": " + reader.error();
        }
        return "";
    }

    std::unique_ptr<std::ifstream> scriptFile;
    std::optional<ReplayDriver> replay;
    std::optional<LocalDriver> local;
    std::optional<PracticeDriver> practice;
    std::optional<ScriptedCommands> commands;
    FixedFrames fixed;
    MatchDriver* driver = nullptr;
    CommandSource* player = &fixed;
};

// A match on this computer, to its end: the script's, the first won game without one, a
// quit, or the last update allowed. Its trace, or the outcome; its recording if asked for.
int playAlone(const Options& options, const GameSettings& settings,
              std::unique_ptr<std::ifstream> script) {
    const bool scripted = script->is_open();
    const int64_t maxFrames = options.maxFrames >= 0 ? options.maxFrames
                              : scripted             ? INT64_MAX
                                                     : 1000000;
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    std::ofstream record;
    if (!options.net.recordPath.empty()) {
        record.open(options.net.recordPath, std::ios::trunc);
        if (!record) {
            return fail("cannot write " + options.net.recordPath);
        }
    }
    AloneMatch m(options, settings, std::move(script));
    OutputSink sink(record.is_open() ? &record : nullptr, options.trace ? &std::cout : nullptr,
                    nullptr, false);
    for (bool more = true; more;) {
        const DriverFrame frame = m.driver->frame(0, false, *m.player);
        sink.take(frame.updates);
        for (const std::string& news : frame.news) {
            std::cerr << "spinvale-sim: " << news << "\n";
        }
        m.driver->afterShown();
        more = !frame.updates.empty() && sink.updates() < maxFrames &&
               std::none_of(frame.intents.begin(), frame.intents.end(),
                            [](const Intent& i) { return std::holds_alternative<Quit>(i); }) &&
               (scripted || winner(m.driver->shown().state) == 0);
    }
    if (const std::string error = m.error(); !error.empty()) {
        return fail(options.scriptPath + ":" + error);
    }
    if (!options.trace) {
        const MatchState s = m.driver->shown().state;
        std::printf("frames=%lld score=%d-%d state=%d winner=%d\n",
                    static_cast<long long>(sink.updates()), s.score1, s.score2,
                    static_cast<int>(s.rallyState), winner(s));
    }
    std::fflush(stdout);
    return 0;
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
    commandLine.option("--practice", [&options](const std::string& text) {
        PracticeMode& mode = options.practice.mode;
        return readPracticeMode(text, mode) && mode != PracticeMode::None ? "" : "returns or rally";
    });
    commandLine.option("--target", [&options](const std::string& text) {
        options.targetGiven = true;
        return readPracticeTarget(text, options.practice.target) ? "" : "any, left or right";
    });
    addNetworkOptions(commandLine, options);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    if (options.list) {
        return listGames();
    }
    const bool network = options.hosting || !options.joinAddress.empty();
    if (network &&
        (options.hosting == !options.joinAddress.empty() || options.scriptPath.empty())) {
        return fail("a network match needs --host or --join (not both), and a --script");
    }
    const bool practising = options.practice.mode != PracticeMode::None;
    if ((practising && network) || (options.targetGiven && !practising)) {
        return fail(network ? "--practice is played alone" : "--target needs --practice");
    }

    auto script = std::make_unique<std::ifstream>();
    if (!options.scriptPath.empty()) {
        script->open(options.scriptPath);
        if (!*script) {
            return fail("cannot open script " + options.scriptPath + ": " + std::strerror(errno));
        }
    }
    if (!options.joinAddress.empty()) {  // the host's settings decide the match
        return playNetwork(options, GameSettings{}, *script);
    }
    std::vector<std::string> warnings;
    GameSettings settings = loadSettings(chooseSettingsFile(options, *script), warnings);
    for (const std::string& w : warnings) {
        std::cerr << "spinvale-sim: warning: " << w << "\n";
    }
    if (network) {
        return playNetwork(options, settings, *script);
    }
    return playAlone(options, settings, std::move(script));
}
