// How long the match takes: an ordinary update, the worst update (a computer return whose
// aim correction runs all its look-aheads) and a whole computer-vs-computer game. And what
// network play costs: the worst frame's rollback (8 updates restored and stepped again, the
// worst return among them), and the bytes each way in a whole game's length of updates
// through a network of 60 ms each way and 5 % loss, with a host whose pointer never rests
// and a guest whose keys change every half second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <random>

#include "protocol.h"
#include "session.h"

namespace {

using namespace spinvale;
using namespace spinvale::net;

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

// The computer's paddle 1 far outside the table meets the ball there: the aim correction
// keeps seeing the ball leave over a side line and runs all 101 of its passes.
Match worstReturn(bool player2Keyboard) {
    Match m = computerMatch(defaultGameSettings(), 1);
    m.settings.player2Keyboard = player2Keyboard;
    MatchState& s = m.state;
    s.rallyState = P1ToReturn;
    s.paddle1.x = 300, s.paddle1.z = 190;
    s.ballX = 302, s.ballY = 90, s.ballZ = 189;
    s.ballVY = -10, s.ballVZ = 250;
    return m;
}

void WorstUpdate(benchmark::State& state) {
    const Match start = worstReturn(false);
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

Part hostPart(int64_t n) {
    return {16u + uint32_t(n % 3 == 0), int32_t(512 + 400 * std::sin(double(n) / 23)),
            int32_t(600 + 150 * std::sin(double(n) / 31)),
            n % 60 == 0   ? ButtonMessage::Pressed
            : n % 60 == 8 ? ButtonMessage::Released
                          : ButtonMessage::None,
            0};
}
Part guestPart(int64_t n) {
    return {0, 0, 0, {}, uint8_t(1u << (n / 30 % 5))};
}

// ENet's bytes around one message: its protocol header (4) and the unreliable send command
// (8); a reliable one has a 6-byte command and is acknowledged with 8 more.
constexpr double enetUnreliable = 12;
constexpr double enetReliable = 4 + 6 + 8;

struct Side {
    RollbackSession session;
    int64_t otherHas = 0;
    std::deque<std::pair<int64_t, Inputs>> inFlight;
    double bytes = 0;
};

void WholeGameBytes(benchmark::State& state) {
    constexpr int64_t updates = 14000;  // a whole 11-point game at 60 updates a second
    constexpr int delay = 4;            // 60 ms at 16.7 ms an update
    for (auto _ : state) {
        GameSettings settings = defaultGameSettings();
        settings.player2Keyboard = true;
        Match start;
        restartMatch(start, settings);
        Side host{RollbackSession(Role::Host, start, 0, 12), 0, {}, 0};
        Side guest{RollbackSession(Role::Guest, start, 0, 12), 0, {}, 0};
        std::mt19937 random(3);
        std::uniform_real_distribution<> chance(0, 1);
        for (int64_t tick = 0; host.session.confirmed() < updates && tick < 3 * updates; ++tick) {
            for (Side* side : {&host, &guest}) {
                Side& other = side == &host ? guest : host;
                const int64_t n = side->session.frame();
                if (n < updates && !side->session.windowFull()) {
                    side->session.step(side == &host ? hostPart(n) : guestPart(n));
                }
                Inputs m{uint32_t(n),
                         uint32_t(side->session.remoteCount()),
                         uint32_t(side->otherHas),
                         0,
                         {}};
                for (int64_t u = side->otherHas; u < side->session.localCount(); ++u) {
                    m.parts.push_back(side->session.localPart(u));
                }
                const Role role = side == &host ? Role::Host : Role::Guest;
                side->bytes += double(encode(m, role).size()) + enetUnreliable;
                if (n % DesyncCheck::every == 0) {
                    side->bytes += double(encode(HashCheck{}, role).size()) + enetReliable;
                }
                if (chance(random) >= 0.05) {
                    side->inFlight.emplace_back(tick + delay, m);
                }
                while (!other.inFlight.empty() && other.inFlight.front().first <= tick) {
                    const Inputs& in = other.inFlight.front().second;
                    side->session.receive(in.first, in.parts);
                    side->otherHas = std::max<int64_t>(side->otherHas, in.ack);
                    other.inFlight.pop_front();
                }
            }
        }
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
