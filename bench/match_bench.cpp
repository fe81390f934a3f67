// How long the match takes: an ordinary update, the worst update (a computer return whose
// aim correction runs all its look-aheads) and a whole computer-vs-computer game.
#include <benchmark/benchmark.h>

#include "match.h"

namespace {

using namespace spinvale;

UpdateInput frameOf(uint32_t ms) {
    UpdateInput input;
    input.elapsedMs = ms;
    return input;
}

// Plays until a return is in flight toward player 2 over the table, 100 cm from the net:
// the net look-ahead of every update follows it for a few hundred steps.
Match midRally() {
    Match m = computerMatch(defaultGameSettings(), 1);
    while (!(m.state.rallyState == P1Shot && m.state.ballZ < 100 && m.state.ballZ > 60)) {
        stepMatch(m, frameOf(16));
    }
    return m;
}

void OrdinaryUpdate(benchmark::State& state) {
    const Match start = midRally();
    for (auto _ : state) {
        Match m = start;
        stepMatch(m, frameOf(16));
        benchmark::DoNotOptimize(m.state);
    }
}
BENCHMARK(OrdinaryUpdate);

// Paddle 1 far outside the table meets the ball there: the aim correction keeps seeing the
// ball leave over a side line and runs all 101 of its passes.
void WorstUpdate(benchmark::State& state) {
    Match start = computerMatch(defaultGameSettings(), 1);
    MatchState& s = start.state;
    s.rallyState = P1ToReturn;
    s.paddle1.x = 300;
    s.paddle1.z = 190;
    s.ballX = 302;
    s.ballY = 90;
    s.ballZ = 189;
    s.ballVZ = 250;
    s.ballVY = -10;
    for (auto _ : state) {
        Match m = start;
        stepMatch(m, frameOf(16));
        benchmark::DoNotOptimize(m.state);
        if (m.state.rallyState != P1Shot) {
            state.SkipWithError("the return was not struck");
            break;
        }
    }
}
BENCHMARK(WorstUpdate)->Unit(benchmark::kMicrosecond);

void WholeGame(benchmark::State& state) {
    uint32_t seed = 1;
    long updates = 0;
    for (auto _ : state) {
        Match m = computerMatch(defaultGameSettings(), seed++);
        while (m.state.rallyState != P1WinsGame && m.state.rallyState != P2WinsGame) {
            stepMatch(m, frameOf(16));
            ++updates;
        }
    }
    state.counters["updates"] =
        benchmark::Counter(double(updates), benchmark::Counter::kAvgIterations);
}
BENCHMARK(WholeGame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
