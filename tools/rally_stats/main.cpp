// spinvale-rally-stats: plays computer-vs-computer games headless and reports how they look
// as table tennis: returns per point, how points end, how long the ball takes to cross the
// table. Used to choose the shipped settings.
#include <cstdio>
#include <string>

#include "command_line.h"
#include "match.h"

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

}  // namespace

int main(int argc, char** argv) {
    GameSettings settings = defaultGameSettings();
    int64_t games = 20;
    int64_t frameMs = 16;
    double gameSpeed = settings.gameSpeed;
    double gravity = settings.gravityScale;
    double aiSkill = settings.aiSkill;
    double aiSpeed = settings.aiSpeed;
    CommandLine commandLine("spinvale-rally-stats", usage);
    commandLine.whole("--games", games, 1);
    commandLine.whole("--frame-ms", frameMs, 1, 1000);
    commandLine.real("--game-speed", gameSpeed, 0, 100);
    commandLine.real("--gravity", gravity, 0, 100);
    commandLine.real("--ai-skill", aiSkill, 0, 1);
    commandLine.real("--ai-speed", aiSpeed, 0, 1000);
    commandLine.option("--points", [&settings](const std::string& value) {
        settings.pointsPerGame = value == "21" ? 21 : 11;
        return value == "11" || value == "21" ? "" : "11 or 21";
    });
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }
    settings.gameSpeed = float(gameSpeed);
    settings.gravityScale = float(gravity);
    settings.aiSkill = float(aiSkill);
    settings.aiSpeed = float(aiSpeed);

    Tally t;
    const long frameLimit = 2000000;
    for (long seed = 1; seed <= games; ++seed) {
        Match match = computerMatch(settings, static_cast<uint32_t>(seed));
        UpdateInput input;
        input.elapsedMs = static_cast<uint32_t>(frameMs);
        double sinceStroke = 0;
        long frame = 0;
        for (; frame < frameLimit; ++frame) {
            const MatchState before = match.state;
            stepMatch(match, input);
            observe(t, before, match.state, input.elapsedMs, sinceStroke);
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
        settings.pointsPerGame, unsigned(frameMs), t.games, t.finished,
        double(t.frames) * double(frameMs) / 1000.0 / double(t.games), t.points, t.returns / points,
        100.0 * t.crossings / double(t.serves + t.returns > 0 ? t.serves + t.returns : 1),
        100.0 * t.missedReturn / points, 100.0 * t.shotMissedTable / points,
        100.0 * t.ownHalf / points, t.netStops / points,
        t.crossings > 0 ? t.crossingMs / double(t.crossings) : 0.0);
    return 0;
}
