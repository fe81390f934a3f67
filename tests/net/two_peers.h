// Two network peers on a clock the test turns, over the transport in memory: the frames of
// each side's window, and what comes out of them.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_transport.h"
#include "net_peer.h"
#include "net_text.h"

namespace spinvale::net {

constexpr uint32_t start = 100000;
const CodeField code = *readJoinCode("K7MQ2P");

// One peer, the frames of its window: poll, step its next command when ready, keep what
// comes out.
struct Side {
    explicit Side(Role role, const std::string& dumps = "/dev/null/none", bool watchers = true) {
        NetSetup setup;
        setup.role = role;
        setup.watchers = watchers;
        setup.hostName = "table.local";
        setup.code = "k7m-q2p";
        setup.settings = defaultGameSettings();
        setup.dumpFolder = dumps;
        auto transport = std::make_unique<FakeTransport>();
        wire = transport.get();
        peer = std::make_unique<NetPeer>(setup, std::move(transport),
                                         std::vector<std::string>{"192.168.1.20"}, start);
    }
    PeerState at(uint32_t now) {
        frame(now);
        return peer->state();
    }
    void frame(uint32_t now) {
        peer->poll(now);
        if (steps && peer->ready() == StepReady::Now) {
            peer->step(command(stepped++));
        }
        take();
    }
    void take() {
        for (ConfirmedUpdate& u : peer->takeConfirmed()) {
            confirmed.push_back(std::move(u));
        }
        for (const NetEvent& e : peer->takeEvents()) {
            told.push_back(sentence(e));
        }
    }
    bool said(const std::string& text) const {
        return std::find(told.begin(), told.end(), text) != told.end();
    }
    FakeTransport* wire;
    std::unique_ptr<NetPeer> peer;
    std::vector<ConfirmedUpdate> confirmed;
    std::vector<std::string> told;
    bool steps = true;
    std::function<UpdateInput(int64_t)> command = [](int64_t) {
        return UpdateInput{16, 300, 500, ButtonMessage::None, {}};
    };
    int64_t stepped = 0;
};

struct Game {
    explicit Game(const std::string& dumps = "/dev/null/none")
        : host(Role::Host, dumps), guest(Role::Guest, dumps) {
        FakeTransport::link(*host.wire, *guest.wire);
    }
    void run(uint32_t ms) {
        for (const uint32_t end = now + ms; now < end;) {
            now += 16;
            host.frame(now);
            guest.frame(now);
        }
    }
    Side host, guest;
    uint32_t now = start;
};

}  // namespace spinvale::net
