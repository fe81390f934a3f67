// spinvale-soak: plays many computer-vs-computer games across a grid of settings and frame
// times, checking every update: no NaN or infinity in the record, only known rally states,
// only the state changes one update can make, scores that grow one point at a time and stop
// at a legal win. Reports the games that ended, the longest, and the settings whose games
// did not end within the limit, with the state the ball was stuck in.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "match.h"
#include "update_checks.h"

namespace {

using namespace spinvale;

constexpr const char* usage =
    "Usage: spinvale-soak [--games N] [--max-updates N] [--threads N]\n"
    "Plays N computer-vs-computer games (default 2000) across a grid of settings (game speed\n"
    "1-20, gravity 2-15, skill 0-1, computer speed 5-60, 11 and 21 points, frame times 1-100 ms\n"
    "with jitter, seeds 1-50), each for at most --max-updates updates (default 3000000),\n"
    "checking every update. Exit status 1 when a check failed.\n";

struct GameSetup {
    GameSettings settings;
    uint32_t seed;
    uint32_t frameMs;  // each update takes frameMs plus or minus a quarter, at least 1
};

GameSetup setupFor(int game) {
    GameSetup g;
    g.settings = defaultGameSettings();
    g.settings.gameSpeed = float(1 + game % 20);
    g.settings.gravityScale = float(2 + (game / 20) % 14);
    g.settings.aiSkill = float((game / 7) % 11) / 10;
    g.settings.aiSpeed = float(5 + ((game / 3) % 12) * 5);
    g.settings.pointsPerGame = (game / 2) % 2 == 0 ? 11 : 21;
    g.seed = uint32_t(1 + game % 50);
    g.frameMs = uint32_t(1 + (game * 37) % 100);
    return g;
}

struct Outcome {
    bool ended = false;
    std::string fault;  // the first failed check
    long updates = 0;
    double gameSeconds = 0;
    int32_t score1 = 0, score2 = 0;
    std::map<int32_t, long> lateStates;  // rally states over the last updates of an endless game
    long pointsLate = 0;
};

std::string describe(const GameSetup& g) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "speed %g gravity %g skill %g aiSpeed %g points %d seed %u frame %u ms",
                  g.settings.gameSpeed, g.settings.gravityScale, g.settings.aiSkill,
                  g.settings.aiSpeed, g.settings.pointsPerGame, g.seed, g.frameMs);
    return text;
}

Outcome play(const GameSetup& g, long maxUpdates) {
    Outcome out;
    Match m = computerMatch(g.settings, g.seed);
    uint32_t jitter = g.seed * 2654435761u;
    const long lateFrom = maxUpdates - maxUpdates / 10;
    for (long update = 0; update < maxUpdates; ++update) {
        jitter = jitter * 1664525u + 1013904223u;
        const int32_t spread = int32_t(g.frameMs / 4);
        const int32_t offset =
            spread == 0 ? 0 : int32_t((jitter >> 8) % uint32_t(2 * spread + 1)) - spread;
        const uint32_t elapsed = uint32_t(std::max<int32_t>(1, int32_t(g.frameMs) + offset));
        const MatchState before = m.state;
        UpdateInput input;
        input.elapsedMs = elapsed;
        stepMatch(m, input);
        const MatchState& s = m.state;
        out.updates = update + 1;
        out.gameSeconds += elapsed / 1000.0;

        out.fault = brokenRule(before, s, g.settings.pointsPerGame);
        if (!out.fault.empty()) {
            out.fault += " at update " + std::to_string(update + 1);
            break;
        }
        const int gained = (s.score1 - before.score1) + (s.score2 - before.score2);
        if (update >= lateFrom) {
            ++out.lateStates[s.rallyState];
            out.pointsLate += gained;
        }
        if (s.rallyState == P1WinsGame || s.rallyState == P2WinsGame) {
            out.ended = true;
            break;
        }
    }
    out.score1 = m.state.score1;
    out.score2 = m.state.score2;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t games = 2000;
    int64_t maxUpdates = 3000000;
    int64_t threads = std::max(1u, std::thread::hardware_concurrency());
    CommandLine commandLine("spinvale-soak", usage);
    commandLine.whole("--games", games, 1);
    commandLine.whole("--max-updates", maxUpdates, 1);
    commandLine.whole("--threads", threads, 1, 256);
    if (const auto status = commandLine.parse(argc, argv)) {
        return *status;
    }

    std::vector<Outcome> outcomes(static_cast<std::size_t>(games));
    std::atomic<long> next{0};
    std::vector<std::thread> workers;
    for (long t = 0; t < threads; ++t) {
        workers.emplace_back([&] {
            for (long game = next++; game < games; game = next++) {
                outcomes[std::size_t(game)] = play(setupFor(int(game)), maxUpdates);
            }
        });
    }
    for (std::thread& w : workers) {
        w.join();
    }

    long ended = 0;
    long faults = 0;
    long longest = -1;
    for (long game = 0; game < games; ++game) {
        const Outcome& o = outcomes[std::size_t(game)];
        const std::string setup = describe(setupFor(int(game)));
        if (!o.fault.empty()) {
            ++faults;
            std::printf("FAULT  game %ld (%s): %s\n", game, setup.c_str(), o.fault.c_str());
            continue;
        }
        if (o.ended) {
            ++ended;
            if (longest < 0 || o.gameSeconds > outcomes[std::size_t(longest)].gameSeconds) {
                longest = game;
            }
            continue;
        }
        std::string states;
        for (const auto& [state, count] : o.lateStates) {
            states += " " + std::to_string(state) + ":" +
                      std::to_string(100 * count / std::max(1L, maxUpdates / 10)) + "%";
        }
        std::printf(
            "ENDLESS game %ld (%s): %d-%d after %.0f s of play; last tenth: %ld points, "
            "states%s\n",
            game, setup.c_str(), o.score1, o.score2, o.gameSeconds, o.pointsLate, states.c_str());
    }
    std::printf("%ld games: %ld ended, %ld did not end within %ld updates, %ld failed a check\n",
                games, ended, games - ended - faults, maxUpdates, faults);
    if (longest >= 0) {
        const Outcome& o = outcomes[std::size_t(longest)];
        std::printf("longest: game %ld (%s), %ld updates, %.0f s of play, %d-%d\n", longest,
                    describe(setupFor(int(longest))).c_str(), o.updates, o.gameSeconds, o.score1,
                    o.score2);
    }
    return faults == 0 ? 0 : 1;
}
