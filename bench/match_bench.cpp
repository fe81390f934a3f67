// The match's cost: an ordinary update, the worst (a computer return running all its aim
// look-aheads), a whole computer game. Network play's: the worst rollback (8 updates again, the
// worst return among them), and the bytes each way in a whole game through 60 ms and 5 % loss
// each way, the host's pointer never resting, the guest's keys changing twice a second.
#include <benchmark/benchmark.h>

#include "two_sessions.h"

namespace {

using namespace spinvale;
using namespace spinvale::net;

const UpdateInput frame16{16, 0, 0, ButtonMessage::None, {}};

// A return in flight to player 2, 100 cm from the net: each update's look-ahead is long.
Match midRally() {
    Match m = computerMatch(defaultGameSettings(), 1);
    while (!(m.state.rallyState == P1Shot && m.state.ballZ < 100 && m.state.ballZ > 60)) {
        stepMatch(m, frame16);
    }
    return m;
}

// Paddle 1 meets the ball far outside the table: the aim correction runs all 101 passes.
Match worstReturn(bool player2Keyboard) {
    Match m = computerMatch(defaultGameSettings(), 1);
    m.settings.player2Keyboard = player2Keyboard;
    MatchState& s = m.state;
    s.rallyState = P1ToReturn, s.paddle1.x = 300, s.paddle1.z = 190;
    s.ballX = 302, s.ballY = 90, s.ballZ = 189, s.ballVY = -10, s.ballVZ = 250;
    return m;
}

void Update(benchmark::State& state, const Match& start) {
    for (auto _ : state) {
        Match m = start;
        stepMatch(m, frame16);
        benchmark::DoNotOptimize(m.state);
        if (start.state.rallyState == P1ToReturn && m.state.rallyState != P1Shot) {
            state.SkipWithError("the return was not struck");
            break;
        }
    }
}
BENCHMARK_CAPTURE(Update, ordinary, midRally());
BENCHMARK_CAPTURE(Update, worst, worstReturn(false))->Unit(benchmark::kMicrosecond);

void WholeGame(benchmark::State& state) {
    uint32_t seed = 1, updates = 0;
    for (auto _ : state) {
        Match m = computerMatch(defaultGameSettings(), seed++);
        while (m.state.rallyState != P1WinsGame && m.state.rallyState != P2WinsGame) {
            stepMatch(m, frame16);
            ++updates;
        }
    }
    state.counters["updates"] = benchmark::Counter(updates, benchmark::Counter::kAvgIterations);
}
BENCHMARK(WholeGame)->Unit(benchmark::kMillisecond);

void WorstRollback(benchmark::State& state) {
    RollbackSession ready(Role::Host, worstReturn(true), 0, 12);
    for (int i = 0; i < 8; ++i) {
        ready.step(Part{16, 0, 0, {}, 0});
    }
    const std::vector<Part> real(8, Part{0, 0, 0, {}, 1});  // the guest held Left all along
    for (auto _ : state) {
        state.PauseTiming();
        RollbackSession session = ready;
        state.ResumeTiming();
        session.receive(0, real);
        benchmark::DoNotOptimize(session.current().state);
        if (session.stats().restepped != 8 || session.current().state.rallyState != P1Shot) {
            state.SkipWithError("not the rollback meant");
            break;
        }
    }
}
BENCHMARK(WorstRollback)->Unit(benchmark::kMicrosecond);

void WholeGameBytes(benchmark::State& state) {
    constexpr int64_t updates = 14000;  // a whole 11-point game at 60 updates a second
    constexpr int delay = 4;            // 60 ms at 16.7 ms an update
    for (auto _ : state) {
        const Match start = keyboardGuestMatch();
        Side host{RollbackSession(Role::Host, start, 0, 12), delay};
        Side guest{RollbackSession(Role::Guest, start, 0, 12), delay};
        playTwoSessions(host, guest, updates, 0.05, 3);
        const double seconds = double(updates) / 60;
        state.counters["hostToGuestBytesPerSecond"] = host.bytes / seconds;
        state.counters["guestToHostBytesPerSecond"] = guest.bytes / seconds;
        state.counters["longestRollback"] =
            double(std::max(host.session.stats().longest, guest.session.stats().longest));
        state.counters["rollbacksOver10"] =
            double(host.session.stats().longerThan10 + guest.session.stats().longerThan10);
    }
}
BENCHMARK(WholeGameBytes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
