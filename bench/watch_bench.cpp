// What watchers cost the host of a network game, over the transport in memory: a whole
// game's length of updates (a host whose pointer never rests, a guest whose keys change every
// half second), hosted with 8 watchers beside the same game with none. The time is the
// host's own for the whole game (its polls and steps, the watchers fed); the counters: the
// bytes a second sent to each watcher and to the guest (the messages' own, without ENet's 4
// to 18 bytes around each), and what catches one watcher up on the whole game at its end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>

#include "fake_transport.h"
#include "net_peer.h"
#include "watch_peer.h"

namespace {

using namespace spinvale;
using namespace spinvale::net;
using Clock = std::chrono::steady_clock;

constexpr int64_t wholeGame = 14000;  // updates of a whole 11-point game at 60 a second
constexpr uint32_t firstTick = 100000;

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

NetSetup setupAs(Role role) {
    NetSetup setup;
    setup.role = role;
    setup.hostName = "table.local";
    setup.code = "K7MQ2P";
    setup.settings = defaultGameSettings();
    setup.dumpFolder = "/dev/null/none";
    return setup;
}

struct Player {
    Player(Role role, FakeTransport*& wire) {
        auto transport = std::make_unique<FakeTransport>();
        wire = transport.get();
        peer = std::make_unique<NetPeer>(setupAs(role), std::move(transport),
                                         std::vector<std::string>{"192.168.1.20"}, firstTick);
    }
    void frame(uint32_t now, UpdateInput (*command)(int64_t)) {
        peer->poll(now);
        if (peer->ready() == StepReady::Now) {
            peer->step(command(stepped++));
        }
        peer->takeConfirmed();
        peer->takeEvents();
    }
    std::unique_ptr<NetPeer> peer;
    int64_t stepped = 0;
};

struct Table {
    Table() : host(Role::Host, hostWire), guest(Role::Guest, guestWire) {
        FakeTransport::link(*hostWire, *guestWire);
    }
    void watch(ConnectionId id) {
        auto transport = std::make_unique<FakeTransport>();
        FakeTransport::link(*hostWire, *transport, id);
        watchers.push_back(
            std::make_unique<WatchPeer>(setupAs(Role::Guest), std::move(transport), now));
    }
    // One frame of every side; the host's share of the time is added to hostTime.
    void frame() {
        now += 16;
        const auto before = Clock::now();
        host.frame(now, hostCommand);
        hostTime += Clock::now() - before;
        guest.frame(now, guestCommand);
        for (auto& w : watchers) {
            w->poll(now);
            while (w->waiting() > 0) {
                w->take();
            }
        }
    }
    FakeTransport *hostWire = nullptr, *guestWire = nullptr;
    Player host, guest;
    std::vector<std::unique_ptr<WatchPeer>> watchers;
    uint32_t now = firstTick;
    Clock::duration hostTime{};
};

void HostWatched(benchmark::State& state) {
    const int seats = int(state.range(0));
    for (auto _ : state) {
        Table t;
        for (int i = 0; i < seats; ++i) {
            t.watch(ConnectionId(2 + i));
        }
        while (t.host.stepped < wholeGame) {
            t.frame();
        }
        const double seconds = double(wholeGame) / 60;
        state.SetIterationTime(std::chrono::duration<double>(t.hostTime).count());
        state.counters["toGuestBytesPerSecond"] = double(t.hostWire->bytesTo[1]) / seconds;
        double watched = 0;
        for (int i = 0; i < seats; ++i) {
            watched += double(t.hostWire->bytesTo[ConnectionId(2 + i)]);
        }
        state.counters["toWatcherBytesPerSecond"] = seats > 0 ? watched / seats / seconds : 0;
        if (seats == 0) {  // one watcher comes at the end, and is caught up on all of it
            t.watch(2);
            for (int i = 0; i < 1000 && t.watchers[0]->received() < t.host.stepped; ++i) {
                t.frame();
            }
            state.counters["catchUpBytes"] = double(t.hostWire->bytesTo[2]);
        }
    }
}
BENCHMARK(HostWatched)->Arg(0)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
