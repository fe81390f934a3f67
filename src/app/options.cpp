#include "options.h"

#include <charconv>

#include "invite.h"
#include "join_code.h"
#include "practice.h"
#include "watch_driver.h"

namespace spinvale {

const char* const usageText =
    "Usage: spinvale [OPTION]...\n"
    "Plays Spinvale table tennis. \"settings.dat\" says who plays (the mouse or the computer\n"
    "for player 1, the keyboard or the computer for player 2), the game length and the\n"
    "screen size; change it in the game's menu (Tab) or with spinvale-settings.\n"
    "\n"
    "  --fullscreen      start fullscreen (the default, unless the menu chose a window)\n"
    "  --windowed        start in a window; the last of the two wins\n"
    "  --settings FILE   read the settings from FILE, and from nowhere else\n"
    "  --data-dir DIR    take the shipped settings, images and sounds from DIR\n"
    "  --max-fps N       run at most N frames a second (default 60; 0: no limit, no vsync)\n"
    "  --samples N       multisample with N samples (0, 2 or 4; default 4, else 2, else\n"
    "                    none, and none on a software renderer such as llvmpipe)\n"
    "  --frames N        quit after N frames\n"
    "  --record FILE     write the command of every update, a recording that --replay and\n"
    "                    spinvale-sim --script play back\n"
    "  --replay FILE     play a recording at its recorded pace (Esc ends it)\n"
    "  --trace FILE      write the match after every update, as spinvale-sim --trace does\n"
    "  --practice returns|rally\n"
    "                    practise against the computer's serve, with no score: it lets your\n"
    "                    returns go by, or keeps a rally going; after each of your strokes\n"
    "                    the game says where the ball went and how to time the swing\n"
    "  --target any|left|right\n"
    "                    the half of the far side a practice return is aimed at (default any)\n"
    "  --no-dialogs      report errors on stderr only, without message boxes\n"
    "  --verbose         tell which renderer, samples and frame pacing the game took\n"
    "  --help, --version\n"
    "\n"
    "Network game, also from the menu (two computers; UDP, IPv4; default port 27455):\n"
    "  --host [PORT]     wait for the other player (PORT 0: one the system picks). Your\n"
    "                    router is asked to open the port (UPnP, else NAT-PMP); the screen\n"
    "                    shows where players find the game, a join code and an invite to\n"
    "                    give them. Your settings decide the match; you are player 1 (the\n"
    "                    mouse, or the computer), the guest is player 2\n"
    "  --no-router       do not ask the router to open the port\n"
    "  --name NAME       the name your game is listed by on this network (default: yours)\n"
    "  --join HOST[:PORT] --code CODE, --join INVITE, or INVITE alone\n"
    "                    play player 2 in the game hosted there, with the arrows and Enter\n"
    "                    (or a gamepad), seen from your own end of the table; an invite is\n"
    "                    spinvale://HOST:PORT/CODE, as the host's screen shows it\n"
    "  --view near|far   the guest's view: far (default) from behind its own end, the arrows\n"
    "                    as they point on the screen; near: the host's view\n"
    "  --code CODE       the join code the host shows (a host may choose its own)\n"
    "  --watch HOST[:PORT] --code CODE, or --watch spinvale://HOST:PORT/CODE\n"
    "                    watch the game hosted there, from its first update, a quarter of a\n"
    "                    second behind the players; --view near, far or side (beside the net)\n"
    "  --no-watchers     a host lets nobody watch its game (up to 8 may, with the code)\n"
    "  --input-delay N   updates between your command and its update, 0 to 8 (default: 0\n"
    "                    below a 200 ms round trip, 1 below 300 ms, else 2)\n"
    "F1 and Alt+Enter change only your window; Esc ends the game for both, and the other\n"
    "player may play on against the computer.\n"
    "\n"
    "Files, each taken from the first place that has it:\n"
    "  settings.dat      the working directory, then $XDG_CONFIG_HOME/spinvale (by default\n"
    "                    ~/.config/spinvale), then the data folder\n"
    "  newsv_0.bmp, newsv_1.bmp, sounds/*.wav\n"
    "                    the working directory, then the data folder\n"
    "The data folder is DIR of --data-dir, else data/ next to the program (a build tree),\n"
    "else the installed share/spinvale. The menu writes only your own settings file, in\n"
    "$XDG_CONFIG_HOME/spinvale (by default ~/.config/spinvale).\n"
    "\n"
    "Controls: the mouse moves paddle 1 and its left button serves and swings; the arrows\n"
    "(or a gamepad's left stick or D-pad) move paddle 2 and Enter (or the pad's A button)\n"
    "serves and swings; F1 or Alt+Enter switches fullscreen and window; Tab (or the pad's\n"
    "Back) opens the menu; Esc (or Start) quits, or closes the menu; after the last point\n"
    "Enter starts a new game.\n"
    "\n"
    "Exit status: 0 after a quit, 1 no window could be made or a file could not be read or\n"
    "written, 2 a bad command line, 255 the video system did not start.\n";

namespace {

// --join's and --watch's HOST[:PORT] or invite; an invite's code goes to `code`.
auto readTarget(std::string& host, uint16_t& port, std::string& code) {
    return [&host, &port, &code](const std::string& text) {
        std::string error;
        return net::readJoinTarget(text, host, port, code, error)
                   ? ""
                   : "HOST[:PORT] or an invite: " + error;
    };
}

// Hosting, joining and watching a network game.
void addNetworkOptions(CommandLine& commandLine, Options& o) {
    commandLine.optionalValue("--host", [&o](const std::string& text) {
        uint16_t port = net::defaultPort;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
        o.hosting = true;
        o.hostPort = port;
        return text.empty() || (ec == std::errc() && end == text.data() + text.size())
                   ? ""
                   : "a port from 0 to 65535";
    });
    commandLine.option("--join", readTarget(o.joinHost, o.joinPort, o.code));
    commandLine.flag("--no-router", o.noRouter);
    commandLine.option("--name", [&o](const std::string& text) {
        o.lanName = text;
        return text.empty() ? "a name" : "";
    });
    commandLine.words(o.link, 0, 1);
    commandLine.option("--code", [&o](const std::string& text) {
        o.code = text;
        return net::readJoinCode(text) ? "" : net::joinCodeRule;
    });
    commandLine.option("--view", [&o](const std::string& text) {
        o.nearView = text == "near";
        o.sideView = text == "side";
        return text == "near" || text == "far" || text == "side" ? "" : "near, far or side";
    });
    commandLine.option("--watch", readTarget(o.watchHost, o.watchPort, o.code));
    commandLine.flag("--no-watchers", o.noWatchers);
    commandLine.whole("--input-delay", o.inputDelay, 0, 8);
    commandLine.path("--test-listen", o.listenAddress);
}

}  // namespace

CommandLine gameCommandLine(Options& o, const char* program, const char* usage) {
    CommandLine commandLine(program, usage);
    commandLine.flag("--windowed", [&o] { o.windowed = true; });
    commandLine.flag("--fullscreen", [&o] { o.windowed = false; });
    commandLine.flag("--no-dialogs", o.dialogs, false);
    commandLine.flag("--verbose", o.verbose);
    commandLine.whole("--max-fps", o.maxFps, 0, 1000);
    commandLine.option("--samples", [&o](const std::string& value) {
        o.samples = value == "0" || value == "2" || value == "4" ? value[0] - '0' : -1;
        return o.samples < 0 ? "0, 2 or 4" : "";
    });
    commandLine.whole("--frames", o.frames, 1);
    commandLine.path("--settings", o.settingsPath);
    commandLine.path("--data-dir", o.dataDir);
    commandLine.path("--record", o.recordPath);
    commandLine.path("--trace", o.tracePath);
    commandLine.path("--replay", o.replayPath);
    addNetworkOptions(commandLine, o);
    commandLine.option("--practice", [&o](const std::string& text) {
        return readPracticeMode(text, o.practice.mode) && o.practice.mode != PracticeMode::None
                   ? ""
                   : "returns or rally";
    });
    commandLine.option("--target", [&o](const std::string& text) {
        o.targetGiven = true;
        return readPracticeTarget(text, o.practice.target) ? "" : "any, left or right";
    });
    return commandLine;
}

bool takeLink(Options& o, std::string& error) {
    if (o.link.empty()) {
        return true;
    }
    const std::string& word = o.link.front();
    if (!net::looksLikeInvite(word)) {
        error = "'" + word + "' is not an option or an invite (spinvale://HOST:PORT/CODE)";
        return false;
    }
    if (o.hosting || !o.joinHost.empty()) {
        error = "an invite joins: it takes no --host or --join";
        return false;
    }
    return net::readJoinTarget(word, o.joinHost, o.joinPort, o.code, error);
}

}  // namespace spinvale
