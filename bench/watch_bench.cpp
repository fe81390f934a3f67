// What watchers cost a network game's host, over the in-memory transport: a whole game (the
// host's pointer never resting, the guest's keys changing twice a second) with 8 watchers and
// with none. The time is the host's own (polls, steps, watchers fed); the counters: bytes a
// second to each watcher and the guest (without ENet's 4 to 18 around each), and what catches
// a watcher up on the whole game at its end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>

#include "two_peers.h"
#include "watch_peer.h"

namespace {

using namespace spinvale;
using namespace spinvale::net;
using Clock = std::chrono::steady_clock;

constexpr int64_t wholeGame = 14000;  // updates of a whole 11-point game at 60 a second

UpdateInput hostCommand(int64_t n) {
    return {16u + uint32_t(n % 3 == 0),
            int32_t(512 + 400 * std::sin(double(n) / 23)),
            int32_t(600 + 150 * std::sin(double(n) / 31)),
            n % 60 == 0   ? ButtonMessage::Pressed
            : n % 60 == 8 ? ButtonMessage::Released
                          : ButtonMessage::None,
            {}};
}

UpdateInput guestCommand(int64_t n) {
    UpdateInput command{16, 0, 0, ButtonMessage::None, {}};
    command.keys.set(KeyLeft + std::size_t(n / 30 % 4));
    return command;
}

std::unique_ptr<WatchPeer> watcher(FakeTransport& host, ConnectionId id, uint32_t now) {
    NetSetup setup;
    setup.hostName = "table.local", setup.code = "K7MQ2P";
    auto transport = std::make_unique<FakeTransport>();
    FakeTransport::link(host, *transport, id);
    return std::make_unique<WatchPeer>(setup, std::move(transport), now);
}

void HostWatched(benchmark::State& state) {
    const auto seats = ConnectionId(state.range(0));
    for (auto _ : state) {
        Game g;
        g.host.command = hostCommand, g.guest.command = guestCommand;
        std::vector<std::unique_ptr<WatchPeer>> watchers;
        for (ConnectionId id = 2; id < 2 + seats; ++id) {
            watchers.push_back(watcher(*g.host.wire, id, g.now));
        }
        Clock::duration hostTime{};
        const auto frame = [&] {
            g.now += 16;
            const auto before = Clock::now();
            g.host.frame(g.now);
            hostTime += Clock::now() - before;
            g.guest.frame(g.now);
            for (auto& w : watchers) {
                for (w->poll(g.now); w->waiting() > 0;) {
                    w->take();
                }
            }
        };
        while (g.host.stepped < wholeGame) {
            frame();
        }
        state.SetIterationTime(std::chrono::duration<double>(hostTime).count());
        const double seconds = double(wholeGame) / 60;
        std::map<ConnectionId, uint64_t>& sent = g.host.wire->bytesTo;
        state.counters["toGuestBytesPerSecond"] = double(sent[1]) / seconds;
        if (seats > 0) {
            state.counters["toWatcherBytesPerSecond"] = double(sent[2]) / seconds;
        } else {  // one watcher comes at the end, and is caught up on all of it
            watchers.push_back(watcher(*g.host.wire, 2, g.now));
            for (int i = 0; i < 1000 && watchers[0]->received() < g.host.stepped; ++i) {
                frame();
            }
            state.counters["catchUpBytes"] = double(sent[2]);
        }
    }
}
BENCHMARK(HostWatched)->Arg(0)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
