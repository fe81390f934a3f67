// Two network peers and watchers on a clock the test turns, over the transport in memory.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_transport.h"
#include "net_text.h"
#include "trace.h"
#include "watch_peer.h"

namespace spinvale::net {

constexpr uint32_t start = 100000;
const CodeField code = *readJoinCode("K7MQ2P");

// A peer of either kind on a transport in memory of its own, and the sentences it told.
template <class Peer>
struct Wired {
    template <class... More>
    explicit Wired(const NetSetup& setup, More... more) {
        auto transport = std::make_unique<FakeTransport>();
        wire = transport.get();
        peer = std::make_unique<Peer>(setup, std::move(transport), more..., start);
    }
    void hear() {
        for (const NetEvent& e : peer->takeEvents()) {
            told.push_back(sentence(e));
        }
    }
    bool said(const std::string& text) const {
        return std::find(told.begin(), told.end(), text) != told.end();
    }
    FakeTransport* wire;
    std::unique_ptr<Peer> peer;
    std::vector<std::string> told;
};

// One player's window: poll, step its next command when ready, keep what comes out.
struct Side : Wired<NetPeer> {
    explicit Side(Role role, const std::string& dumps = "/dev/null/none", bool watchers = true)
        : Wired(testSetup(role, dumps, watchers), std::vector<std::string>{"192.168.1.20"}) {}
    PeerState at(uint32_t now) {
        frame(now);
        return peer->state();
    }
    void frame(uint32_t now) {
        peer->poll(now);
        if (steps && peer->ready() == StepReady::Now) {
            peer->step(command(stepped++));
        }
        for (ConfirmedUpdate& u : peer->takeConfirmed()) {
            confirmed.push_back(std::move(u));
        }
        hear();
    }
    std::vector<ConfirmedUpdate> confirmed;
    bool steps = true;
    std::function<UpdateInput(int64_t)> command = [](int64_t) {
        return UpdateInput{16, 300, 500, ButtonMessage::None, {}};
    };
    int64_t stepped = 0;
};

// A watcher that carries out every update as soon as it comes, unless it is stopped.
struct Watcher : Wired<WatchPeer> {
    Watcher(FakeTransport& host, ConnectionId id) : Wired(testSetup()) {
        FakeTransport::link(host, *wire, id);
    }
    void frame(uint32_t now) {
        peer->poll(now);
        if (peer->start() && !started) {
            restartMatch(match, *peer->start());
            started = true;
        }
        for (; peer->waiting() > 0; hashes.push_back(matchHash(match))) {
            WatchedUpdate u = peer->take();
            match.settings = u.settings.value_or(match.settings);
            stepMatch(match, u.command);
        }
        hear();
    }
    Match match{};
    bool started = false;
    std::vector<uint64_t> hashes;  // of the match after each update
    bool polled = true;
};

struct Game {
    explicit Game(const std::string& dumps = "/dev/null/none", bool watchers = true)
        : host(Role::Host, dumps, watchers), guest(Role::Guest, dumps) {
        FakeTransport::link(*host.wire, *guest.wire);
    }
    Watcher& join(ConnectionId id) {
        return *watchers.emplace_back(std::make_unique<Watcher>(*host.wire, id));
    }
    void run(uint32_t ms) { until(now + ms + 16); }
    void until(uint32_t t) {  // the frames every 16 ms before t
        while (now + 16 < t) {
            now += 16;
            host.frame(now);
            guest.frame(now);
            for (auto& w : watchers) {
                if (w->polled) {
                    w->frame(now);
                }
            }
        }
    }
    Side host, guest;
    std::vector<std::unique_ptr<Watcher>> watchers;
    uint32_t now = start;
};

}  // namespace spinvale::net
