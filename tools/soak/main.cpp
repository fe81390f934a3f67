// spinvale-soak: plays many computer-vs-computer games across a grid of settings and frame
// times, checking every update: no NaN or infinity in the record, only known rally states,
// only the state changes one update can make, scores that grow one point at a time and stop
// at a legal win. Reports the games that ended, the longest, and the settings whose games
// did not end within the limit, with the state the ball was stuck in.
#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "match.h"
#include "replay.h"

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
    g.settings.player1Mouse = false;
    g.settings.player2Keyboard = false;
    g.settings.gameSpeed = float(1 + game % 20);
    g.settings.gravityScale = float(2 + (game / 20) % 14);
    g.settings.aiSkill = float((game / 7) % 11) / 10;
    g.settings.aiSpeed = float(5 + ((game / 3) % 12) * 5);
    g.settings.pointsPerGame = (game / 2) % 2 == 0 ? 11 : 21;
    g.seed = uint32_t(1 + game % 50);
    g.frameMs = uint32_t(1 + (game * 37) % 100);
    return g;
}

// The state changes of one update, in the order the update makes them: a toss, the table
// contact, the floor contact, the computer tosses, then the strokes of player 1 and 2.
RallyState afterToss(RallyState s) {
    return s == P1ToServe ? P1Toss : s == P2ToServe ? P2Toss : s;
}

void reach(RallyState s, int step, std::vector<RallyState>& ends) {
    constexpr int steps = 5;
    if (step == steps) {
        ends.push_back(s);
        return;
    }
    reach(s, step + 1, ends);  // every step may leave the state alone
    std::vector<RallyState> next;
    switch (step) {
        case 0:  // a toss (human or computer; the computer's comes later, same change)
        case 3:
            next.push_back(afterToss(s));
            break;
        case 1:  // the table
            if (s == P1Serve)
                next.push_back(P1Shot);
            if (s == P2Serve)
                next.push_back(P2Shot);
            if (s == P1Shot)
                next.push_back(P2ToReturn);
            if (s == P2Shot)
                next.push_back(P1ToReturn);
            if (s == P1Shot || s == P2Shot) {
                for (RallyState d : {P1ToServe, P2ToServe, P1WinsGame, P2WinsGame})
                    next.push_back(d);
            }
            break;
        case 2:  // the floor
            for (RallyState d : {P1ToServe, P2ToServe, P1WinsGame, P2WinsGame})
                next.push_back(d);
            break;
        case 4:  // the strokes
            if (s == P1Toss)
                next.push_back(P1Serve);
            if (s == P2Toss)
                next.push_back(P2Serve);
            if (s == P1ToReturn)
                next.push_back(P1Shot);
            if (s == P2ToReturn)
                next.push_back(P2Shot);
            break;
    }
    for (RallyState n : next) {
        if (n != s) {
            reach(n, step + 1, ends);
        }
    }
}

bool knownState(int32_t s) {
    return (s >= 1 && s <= 8) || s == 10 || s == 11 || s == 20 || s == 21;
}

// Which state can become which within one update, worked out once.
struct OneUpdateChanges {
    bool allowed[22][22] = {};
    OneUpdateChanges() {
        for (int from = 0; from < 22; ++from) {
            if (!knownState(from)) {
                continue;
            }
            std::vector<RallyState> ends;
            reach(RallyState(from), 0, ends);
            for (RallyState to : ends) {
                allowed[from][to] = true;
            }
        }
    }
};

bool canChangeInOneUpdate(RallyState from, RallyState to) {
    static const OneUpdateChanges changes;
    return knownState(from) && knownState(to) && changes.allowed[from][to];
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
    Match m;
    m.randomState = g.seed;
    initMatchState(m);
    m.settings = g.settings;
    uint32_t jitter = g.seed * 2654435761u;
    const long lateFrom = maxUpdates - maxUpdates / 10;
    for (long update = 0; update < maxUpdates; ++update) {
        jitter = jitter * 1664525u + 1013904223u;
        const int32_t spread = int32_t(g.frameMs / 4);
        const int32_t offset =
            spread == 0 ? 0 : int32_t((jitter >> 8) % uint32_t(2 * spread + 1)) - spread;
        const uint32_t elapsed = uint32_t(std::max<int32_t>(1, int32_t(g.frameMs) + offset));
        const MatchState before = m.state;
        playHeadlessUpdate(m, elapsed);
        const MatchState& s = m.state;
        out.updates = update + 1;
        out.gameSeconds += elapsed / 1000.0;

        const int gained = (s.score1 - before.score1) + (s.score2 - before.score2);
        if (!allFieldsFinite(s)) {
            out.fault = "a value became NaN or infinite";
        } else if (!knownState(s.rallyState)) {
            out.fault = "unknown rally state " + std::to_string(s.rallyState);
        } else if (!canChangeInOneUpdate(before.rallyState, s.rallyState)) {
            out.fault = "state " + std::to_string(before.rallyState) + " became " +
                        std::to_string(s.rallyState);
        } else if (s.score1 < before.score1 || s.score2 < before.score2 || gained > 1) {
            out.fault = "the score jumped";
        }
        if (!out.fault.empty()) {
            out.fault += " at update " + std::to_string(update + 1);
            break;
        }
        if (update >= lateFrom) {
            ++out.lateStates[s.rallyState];
            out.pointsLate += gained;
        }
        if (s.rallyState == P1WinsGame || s.rallyState == P2WinsGame) {
            const int32_t won = s.rallyState == P1WinsGame ? s.score1 : s.score2;
            const int32_t lost = s.rallyState == P1WinsGame ? s.score2 : s.score1;
            const int32_t points = g.settings.pointsPerGame;
            if (won < points || won - lost < 2 || (won > points && won - lost != 2)) {
                out.fault =
                    "illegal win " + std::to_string(s.score1) + "-" + std::to_string(s.score2);
            }
            out.ended = true;
            break;
        }
    }
    out.score1 = m.state.score1;
    out.score2 = m.state.score2;
    return out;
}

long number(const char* text) {
    long v = 0;
    const auto [end, ec] = std::from_chars(text, text + std::strlen(text), v);
    if (ec != std::errc() || *end != '\0' || v < 1) {
        std::fprintf(stderr, "spinvale-soak: not a positive whole number: %s\n%s", text, usage);
        std::exit(2);
    }
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    long games = 2000;
    long maxUpdates = 3000000;
    long threads = std::max(1u, std::thread::hardware_concurrency());
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "spinvale-soak: %s needs a value\n%s", arg.c_str(), usage);
            return 2;
        }
        const long v = number(argv[++i]);
        if (arg == "--games") {
            games = v;
        } else if (arg == "--max-updates") {
            maxUpdates = v;
        } else if (arg == "--threads") {
            threads = v;
        } else {
            std::fprintf(stderr, "spinvale-soak: unknown option %s\n%s", arg.c_str(), usage);
            return 2;
        }
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
