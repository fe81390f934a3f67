// spinvale-rally-stats: plays games headless and reports how they look as table tennis:
// returns per point, how points end, how long the ball takes to cross the table. Player 1
// is the computer or a modelled human, whose points tell how strong the computer is for a
// person. Used to choose the shipped settings and the menu's presets.
#include <cstdio>
#include <optional>
#include <string>

#include "command_line.h"
#include "match.h"
#include "modelled_player.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-rally-stats [--games N] [--frame-ms MS] [--game-speed X] [--gravity X]\n"
    "                            [--ai-skill X] [--ai-speed X] [--points 11|21]\n"
    "                            [--player1 computer|model]\n"
    "Plays N games (seeds 1 to N) against the computer's player 2 from the built-in settings\n"
    "with the given changes, at MS milliseconds per update (default 16), and prints rally\n"
    "statistics. Player 1 is the computer too, or with --player1 model a modelled human\n"
    "mouse player: it sees the ball 200 ms late, guesses where the ball crosses its depth\n"
    "along a straight line with a 6 cm error, moves the pointer at most 2.5 screen widths a\n"
    "second, and times its click (40 ms error) to turn the ball toward the far end's middle.\n";

struct Tally {
    long games = 0, finished = 0, frames = 0, points = 0, returns = 0, serves = 0;
    long ownHalf = 0, shotMissedTable = 0, missedReturn = 0, netStops = 0;
    long crossings = 0;
    double crossingMs = 0;
    // Player 1's own: points won, balls that bounced on its half and were returned or
    // missed, and returns and serves after which it lost the point.
    long won1 = 0, serves1 = 0, returned1 = 0, missed1 = 0, strokesLost1 = 0;
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
        t.serves1 += from == P1Toss ? 1 : 0;
        sinceStroke = 0;
    }
    if (toReturn(from) && isShot(to)) {
        ++t.returns;
        t.returned1 += from == P1ToReturn ? 1 : 0;
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
    const bool player1Won = after.score1 != before.score1;
    t.won1 += player1Won ? 1 : 0;
    t.missed1 += from == P1ToReturn ? 1 : 0;
    t.strokesLost1 += (from == P1Shot || from == P1Serve) && !player1Won ? 1 : 0;
    if (isShot(from) && after.ballY > 0) {
        ++t.ownHalf;
    } else if (isShot(from)) {
        ++t.shotMissedTable;
    } else if (toReturn(from)) {
        ++t.missedReturn;
    }
}

// Both players the computer, or player 1 a mouse player that the model drives.
Match newMatch(GameSettings settings, uint32_t seed, bool modelledPlayer1) {
    Match match = computerMatch(settings, seed);
    match.settings.player1Mouse = modelledPlayer1;
    return match;
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
    bool modelledPlayer1 = false;
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
    commandLine.option("--player1", [&modelledPlayer1](const std::string& value) {
        modelledPlayer1 = value == "model";
        return value == "computer" || value == "model" ? "" : "computer or model";
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
        Match match = newMatch(settings, static_cast<uint32_t>(seed), modelledPlayer1);
        std::optional<ModelledPlayer> player1;
        if (modelledPlayer1) {
            player1.emplace(static_cast<uint32_t>(seed));
        }
        UpdateInput input;
        input.elapsedMs = static_cast<uint32_t>(frameMs);
        double sinceStroke = 0;
        long frame = 0;
        for (; frame < frameLimit; ++frame) {
            const MatchState before = match.state;
            if (player1) {
                input = player1->nextInput(match, static_cast<uint32_t>(frameMs));
            }
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
    if (modelledPlayer1) {
        const long reached = t.returned1 + t.missed1;
        std::printf(
            "  the modelled player 1: won %ld of %ld points (%.1f%%); returned %.1f%% of the %ld "
            "balls that reached it; lost the point after %.1f%% of its returns and serves\n",
            t.won1, t.points, 100.0 * t.won1 / points,
            100.0 * t.returned1 / double(reached > 0 ? reached : 1), reached,
            100.0 * t.strokesLost1 /
                double(t.returned1 + t.serves1 > 0 ? t.returned1 + t.serves1 : 1));
    }
    return 0;
}
