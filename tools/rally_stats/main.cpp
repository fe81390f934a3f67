// spinvale-rally-stats: plays computer-vs-computer games headless and reports how they look
// as table tennis: returns per point, how points end, how long the ball takes to cross the
// table. Used to choose the shipped settings.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "match.h"
#include "replay.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-rally-stats [--games N] [--frame-ms MS] [--game-speed X] [--gravity X]\n"
    "                            [--ai-skill X] [--ai-speed X] [--points 11|21]\n"
    "Plays N computer-vs-computer games (seeds 1 to N) from the built-in settings with the\n"
    "given changes, at MS milliseconds per update (default 16), and prints rally statistics.\n";

struct Tally {
    long games = 0, finished = 0, frames = 0, points = 0, returns = 0, serves = 0;
    long ownHalf = 0, shotMissedTable = 0, missedReturn = 0, netStops = 0;
    long crossings = 0;
    double crossingMs = 0;
};

bool isShot(RallyState s) {
    return s == P1Shot || s == P2Shot;
}
bool toReturn(RallyState s) {
    return s == P1ToReturn || s == P2ToReturn;
}
bool isServe(RallyState s) {
    return s == P1Serve || s == P2Serve;
}

// Follows one update's change of state and counts what happened in it.
void observe(Tally& t, const MatchState& before, const MatchState& after, uint32_t elapsedMs,
             double& sinceStroke) {
    const RallyState from = before.rallyState;
    const RallyState to = after.rallyState;
    sinceStroke += elapsedMs;
    if ((from == P1Toss || from == P2Toss) && isServe(to)) {
        ++t.serves;
        sinceStroke = 0;
    }
    if (toReturn(from) && isShot(to)) {
        ++t.returns;
        sinceStroke = 0;
    }
    if (isShot(from) && toReturn(to)) {
        ++t.crossings;
        t.crossingMs += sinceStroke;
    }
    if (isShot(from) && isShot(to) && (before.ballVZ > 0) != (after.ballVZ > 0) &&
        before.ballVZ != 0) {
        ++t.netStops;
    }
    const bool point = after.score1 + after.score2 != before.score1 + before.score2;
    if (!point) {
        return;
    }
    ++t.points;
    if (isShot(from) && after.ballY > 0) {
        ++t.ownHalf;
    } else if (isShot(from)) {
        ++t.shotMissedTable;
    } else if (toReturn(from)) {
        ++t.missedReturn;
    }
}

double number(const char* text) {
    double v = 0;
    const auto [end, ec] = std::from_chars(text, text + std::strlen(text), v);
    if (ec != std::errc() || *end != '\0') {
        std::fprintf(stderr, "spinvale-rally-stats: not a number: %s\n%s", text, usage);
        std::exit(2);
    }
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    GameSettings settings = defaultGameSettings();
    settings.player1Mouse = false;
    settings.player2Keyboard = false;
    long games = 20;
    uint32_t frameMs = 16;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "spinvale-rally-stats: %s needs a value\n%s", arg.c_str(), usage);
            return 2;
        }
        const double v = number(argv[++i]);
        if (arg == "--games") {
            games = static_cast<long>(v);
        } else if (arg == "--frame-ms") {
            frameMs = static_cast<uint32_t>(v);
        } else if (arg == "--game-speed") {
            settings.gameSpeed = static_cast<float>(v);
        } else if (arg == "--gravity") {
            settings.gravityScale = static_cast<float>(v);
        } else if (arg == "--ai-skill") {
            settings.aiSkill = static_cast<float>(v);
        } else if (arg == "--ai-speed") {
            settings.aiSpeed = static_cast<float>(v);
        } else if (arg == "--points") {
            settings.pointsPerGame = static_cast<int32_t>(v);
        } else {
            std::fprintf(stderr, "spinvale-rally-stats: unknown option %s\n%s", arg.c_str(), usage);
            return 2;
        }
    }

    Tally t;
    const long frameLimit = 2000000;
    for (long seed = 1; seed <= games; ++seed) {
        Match match;
        match.randomState = static_cast<uint32_t>(seed);
        initMatchState(match);
        match.settings = settings;
        double sinceStroke = 0;
        long frame = 0;
        for (; frame < frameLimit; ++frame) {
            const MatchState before = match.state;
            playHeadlessUpdate(match, frameMs);
            observe(t, before, match.state, frameMs, sinceStroke);
            if (match.state.rallyState == P1WinsGame || match.state.rallyState == P2WinsGame) {
                ++t.finished;
                ++frame;
                break;
            }
        }
        ++t.games;
        t.frames += frame;
    }
    const double points = t.points > 0 ? double(t.points) : 1.0;
    std::printf(
        "gameSpeed=%g gravity=%g aiSkill=%g aiSpeed=%g points=%d frameMs=%u\n"
        "  games %ld, finished %ld, mean length %.1f s\n"
        "  points %ld: returns per point %.2f, strokes landing on the far half %.1f%%\n"
        "  point endings: missed return %.1f%%, shot off the table %.1f%%, own-half bounce %.1f%%\n"
        "  shots stopped by the net per point %.2f\n"
        "  mean time from stroke to the far bounce %.0f ms\n",
        settings.gameSpeed, settings.gravityScale, settings.aiSkill, settings.aiSpeed,
        settings.pointsPerGame, frameMs, t.games, t.finished,
        double(t.frames) * frameMs / 1000.0 / double(t.games), t.points, t.returns / points,
        100.0 * t.crossings / double(t.serves + t.returns > 0 ? t.serves + t.returns : 1),
        100.0 * t.missedReturn / points, 100.0 * t.shotMissedTable / points,
        100.0 * t.ownHalf / points, t.netStops / points,
        t.crossings > 0 ? t.crossingMs / double(t.crossings) : 0.0);
    return 0;
}
