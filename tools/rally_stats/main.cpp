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
#include "practice_run.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-rally-stats [--games N] [--frame-ms MS] [--game-speed X] [--gravity X]\n"
    "                            [--ai-skill X] [--ai-speed X] [--adaptive] [--points 11|21]\n"
    "                            [--player1 computer|model] [--reaction-ms MS]\n"
    "                            [--aim-error-cm CM]\n"
    "       spinvale-rally-stats --player1 model --practice returns|rally [--balls N]\n"
    "                            [--target any|left|right] [--follow-advice] [...]\n"
    "Plays N games (seeds 1 to N) against the computer's player 2 from the built-in settings\n"
    "with the given changes, at MS milliseconds per update (default 16), and prints rally\n"
    "statistics. Player 1 is the computer too, or with --player1 model a modelled human\n"
    "mouse player: it sees the ball 200 ms late (--reaction-ms), guesses where the ball\n"
    "crosses its depth along a straight line with a 6 cm error (--aim-error-cm), moves the\n"
    "pointer at most 2.5 screen widths a second, and times its click (40 ms error) to turn\n"
    "the ball toward the far end's middle. --adaptive: the computer's strength adapts after\n"
    "each point, and a game goes on at the strength the one before reached.\n"
    "--practice plays the modelled player in a drill until N balls (default 1000) have come\n"
    "to it, and prints where its returns went; with --follow-advice it shifts its later\n"
    "clicks by each stroke's timing advice.\n";

struct Tally {
    long games = 0, finished = 0, frames = 0, points = 0, returns = 0, serves = 0;
    long ownHalf = 0, shotMissedTable = 0, missedReturn = 0, netStops = 0;
    long crossings = 0;
    double crossingMs = 0;
    // Player 1's own: points won, balls that bounced on its half and were returned or
    // missed, and returns and serves after which it lost the point.
    long won1 = 0, serves1 = 0, returned1 = 0, missed1 = 0, strokesLost1 = 0;
    double speedSum = 0, skillSum = 0;  // the computer's strength after each point
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

struct Options {
    GameSettings settings = defaultGameSettings();
    int64_t games = 20;
    int64_t frameMs = 16;
    bool modelledPlayer1 = false;
    PlayerTraits traits;
    PracticeRules practice;
    int64_t balls = 1000;
    bool followAdvice = false;
};

std::optional<int> readOptions(int argc, char** argv, Options& o) {
    GameSettings& g = o.settings;
    double gameSpeed = g.gameSpeed, gravity = g.gravityScale;
    double aiSkill = g.aiSkill, aiSpeed = g.aiSpeed;
    CommandLine commandLine("spinvale-rally-stats", usage);
    commandLine.whole("--games", o.games, 1);
    commandLine.whole("--frame-ms", o.frameMs, 1, 1000);
    commandLine.real("--game-speed", gameSpeed, 0, 100);
    commandLine.real("--gravity", gravity, 0, 100);
    commandLine.real("--ai-skill", aiSkill, 0, 1);
    commandLine.real("--ai-speed", aiSpeed, 0, 1000);
    commandLine.flag("--adaptive", g.adaptiveStrength);
    commandLine.option("--points", [&g](const std::string& value) {
        g.pointsPerGame = value == "21" ? 21 : 11;
        return value == "11" || value == "21" ? "" : "11 or 21";
    });
    commandLine.option("--player1", [&o](const std::string& value) {
        o.modelledPlayer1 = value == "model";
        return value == "computer" || value == "model" ? "" : "computer or model";
    });
    commandLine.real("--reaction-ms", o.traits.reactionMs, 0, 2000);
    commandLine.real("--aim-error-cm", o.traits.placementErrorCm, 0, 100);
    commandLine.real("--click-bias-ms", o.traits.clickBiasMs, -1000, 1000);
    commandLine.option("--practice", [&o](const std::string& value) {
        return readPracticeMode(value, o.practice.mode) ? "" : "returns or rally";
    });
    commandLine.option("--target", [&o](const std::string& value) {
        return readPracticeTarget(value, o.practice.target) ? "" : "any, left or right";
    });
    commandLine.whole("--balls", o.balls, 1);
    commandLine.flag("--follow-advice", o.followAdvice);
    const std::optional<int> status = commandLine.parse(argc, argv);
    g.gameSpeed = float(gameSpeed);
    g.gravityScale = float(gravity);
    g.aiSkill = float(aiSkill);
    g.aiSpeed = float(aiSpeed);
    return status;
}

// Plays the games; under the adaptive strength each one goes on where the last one ended.
Tally playGames(const Options& o) {
    Tally t;
    const long frameLimit = 2000000;
    GameSettings settings = o.settings;
    for (long seed = 1; seed <= o.games; ++seed) {
        Match match = newMatch(settings, static_cast<uint32_t>(seed), o.modelledPlayer1);
        std::optional<ModelledPlayer> player1;
        if (o.modelledPlayer1) {
            player1.emplace(static_cast<uint32_t>(seed), o.traits);
        }
        UpdateInput input;
        input.elapsedMs = static_cast<uint32_t>(o.frameMs);
        double sinceStroke = 0;
        long frame = 0;
        for (; frame < frameLimit; ++frame) {
            const MatchState before = match.state;
            if (player1) {
                input = player1->nextInput(match, static_cast<uint32_t>(o.frameMs));
            }
            stepMatch(match, input);
            observe(t, before, match.state, input.elapsedMs, sinceStroke);
            if (match.state.score1 + match.state.score2 != before.score1 + before.score2) {
                t.speedSum += match.settings.aiSpeed;
                t.skillSum += match.settings.aiSkill;
            }
            if (match.state.rallyState == P1WinsGame || match.state.rallyState == P2WinsGame) {
                ++t.finished;
                ++frame;
                break;
            }
        }
        ++t.games;
        t.frames += frame;
        settings = carryAdaptedStrength(settings, match.settings);
    }
    return t;
}

void printGames(const Tally& t, const Options& o) {
    const GameSettings& g = o.settings;
    const double points = t.points > 0 ? double(t.points) : 1.0;
    std::printf(
        "gameSpeed=%g gravity=%g aiSkill=%g aiSpeed=%g%s points=%d frameMs=%u\n"
        "  games %ld, finished %ld, mean length %.1f s\n"
        "  points %ld: returns per point %.2f, strokes landing on the far half %.1f%%\n"
        "  point endings: missed return %.1f%%, shot off the table %.1f%%, own-half bounce %.1f%%\n"
        "  shots stopped by the net per point %.2f\n"
        "  mean time from stroke to the far bounce %.0f ms\n",
        g.gameSpeed, g.gravityScale, g.aiSkill, g.aiSpeed, g.adaptiveStrength ? " (adaptive)" : "",
        g.pointsPerGame, unsigned(o.frameMs), t.games, t.finished,
        double(t.frames) * double(o.frameMs) / 1000.0 / double(t.games), t.points,
        t.returns / points,
        100.0 * t.crossings / double(t.serves + t.returns > 0 ? t.serves + t.returns : 1),
        100.0 * t.missedReturn / points, 100.0 * t.shotMissedTable / points,
        100.0 * t.ownHalf / points, t.netStops / points,
        t.crossings > 0 ? t.crossingMs / double(t.crossings) : 0.0);
    if (g.adaptiveStrength) {
        std::printf("  the computer's strength over the points: aiSkill %.2f, aiSpeed %.1f\n",
                    t.skillSum / points, t.speedSum / points);
    }
    if (o.modelledPlayer1) {
        const long reached = t.returned1 + t.missed1;
        std::printf(
            "  the modelled player 1: won %ld of %ld points (%.1f%%); returned %.1f%% of the %ld "
            "balls that reached it; lost the point after %.1f%% of its returns and serves\n",
            t.won1, t.points, 100.0 * t.won1 / points,
            100.0 * t.returned1 / double(reached > 0 ? reached : 1), reached,
            100.0 * t.strokesLost1 /
                double(t.returned1 + t.serves1 > 0 ? t.returned1 + t.serves1 : 1));
    }
}

int practise(const Options& o) {
    PracticeRun run;
    run.settings = o.settings;
    run.rules = o.practice;
    run.traits = o.traits;
    run.balls = o.balls;
    run.frameMs = static_cast<uint32_t>(o.frameMs);
    run.followAdvice = o.followAdvice;
    const ReturnsSummary s = playPractice(run);
    std::printf("practice %s, target %s%s: %s\n  returns in: %.1f%%\n",
                practiceModeName(o.practice.mode), practiceTargetName(o.practice.target),
                o.followAdvice ? ", following the advice" : "", summaryText(s).c_str(),
                100.0 * s.outcomes[int(ReturnOutcome::In)] / double(s.balls > 0 ? s.balls : 1));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto status = readOptions(argc, argv, options)) {
        return *status;
    }
    if (options.practice.mode != PracticeMode::None) {
        if (!options.modelledPlayer1) {
            std::fprintf(stderr, "spinvale-rally-stats: --practice needs --player1 model\n");
            return 2;
        }
        return practise(options);
    }
    printGames(playGames(options), options);
    return 0;
}
