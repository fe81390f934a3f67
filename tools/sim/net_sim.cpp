#include "net_sim.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "net_text.h"
#include "recording.h"
#include "trace.h"

namespace spinvale {

namespace {

using Clock = std::chrono::steady_clock;

bool won(const MatchState& s) {
    return s.rallyState == P1WinsGame || s.rallyState == P2WinsGame;
}

void tell(const std::string& text) {
    std::cerr << "spinvale-sim: " << text << "\n";
}

// Messages no game sends: unknown types, cut short, too many parts, keys the guest has not
// got, text that is not printable, bytes after the end.
std::vector<uint8_t> garbageMessage(std::mt19937& random) {
    static const std::vector<std::vector<uint8_t>> crafted = {
        {},
        {0},
        {9, 1, 2},
        {4, 1},
        {4, 0, 0, 0, 0, 200},
        {4, 0, 0, 0, 0, 1, 0xe0},
        {6, 30, 0, 0, 0, 1, 0, 7},
        {5, 30, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
        {1, 1, 0},
        {4, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}};
    std::vector<uint8_t> bytes = crafted[random() % crafted.size()];
    if (random() % 3 == 0) {  // or noise that starts with no known type
        bytes.assign(1 + random() % 40, 0);
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        bytes[0] = static_cast<uint8_t>(7 + random() % 249);
    }
    return bytes;
}

class NetSim {
  public:
    NetSim(const NetRun& run, std::istream& script) : run_(run), reader_(script) {}

    int play(net::NetPeer& peer, const std::string& scriptName);

  private:
    uint32_t now() const {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }
    void output(net::NetPeer& peer);
    void stepWhenDue(net::NetPeer& peer);

    const NetRun& run_;
    RecordingReader reader_;
    std::ofstream record_;
    Clock::time_point start_ = Clock::now();
    uint32_t due_ = 0;
    bool won_ = false;
    bool scriptOver_ = false;
    bool altered_ = false;
    std::mt19937 random_{12};
};

void NetSim::output(net::NetPeer& peer) {
    for (const net::NetEvent& event : peer.takeEvents()) {
        tell(net::sentence(event));
    }
    for (const net::ConfirmedUpdate& u : peer.takeConfirmed()) {
        if (won_) {
            continue;  // both sides stop at the update that won the game
        }
        if (u.newSettings && record_.is_open()) {
            record_ << formatSettingsLine(u.after.settings) << std::endl;  // seen at once
        }
        if (u.number > 0 && record_.is_open()) {
            record_ << formatUpdateLine(u.command) << '\n';
        }
        if (run_.trace) {
            std::puts(formatTraceLine(u.number, u.command.elapsedMs, u.after).c_str());
        }
        won_ = won(u.after.state);
        if (u.number == run_.desyncAfter && !altered_) {
            altered_ = true;
            peer.alterState([](Match& m) { m.randomState ^= 1; });
        }
    }
}

// The script's next command when its time has come (the script's own elapsed times pace
// this side); an update left out to let the other side catch up moves the time on.
void NetSim::stepWhenDue(net::NetPeer& peer) {
    if (won_ || scriptOver_ || now() < due_ || !net::isPlaying(peer.state())) {
        return;
    }
    const net::StepReady ready = peer.ready();
    if (ready == net::StepReady::Skip) {
        due_ += 16;
        return;
    }
    if (ready != net::StepReady::Now) {
        return;
    }
    UpdateInput input;
    GameSettings ignored;
    if (!reader_.next(input, ignored)) {
        scriptOver_ = true;
        return;
    }
    peer.step(input);
    due_ += input.elapsedMs;
    if (run_.garbage && random_() % 20 == 0) {
        peer.sendRaw(garbageMessage(random_));
    }
}

int NetSim::play(net::NetPeer& peer, const std::string& scriptName) {
    if (!run_.recordPath.empty()) {
        record_.open(run_.recordPath, std::ios::trunc);
        if (!record_) {
            tell("cannot write " + run_.recordPath);
            return 1;
        }
    }
    bool finishing = false;
    while (!net::isOver(peer.state())) {
        peer.poll(now());
        output(peer);
        if (!net::isPlaying(peer.state())) {
            due_ = now();
        }
        stepWhenDue(peer);
        if (won_ && !finishing) {
            finishing = true;
            peer.finish();
        } else if (scriptOver_) {
            peer.leave();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(run_.pollMs));
    }
    output(peer);
    const bool desync = peer.state() == net::PeerState::Desynced;
    // Until the other side's state reaches the desync file; a safety net of 2 s.
    for (const uint32_t until = now() + 2000; peer.dumpWaiting() && now() < until;) {
        peer.poll(now());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::fflush(stdout);
    if (!reader_.error().empty()) {
        tell(scriptName + ":" + std::to_string(reader_.lineNumber()) + ": " + reader_.error());
        return 2;
    }
    tell(net::statsText(peer.stats(), std::max(1.0, now() / 1000.0)));
    return desync ? 3 : peer.state() == net::PeerState::Unplayed ? 1 : 0;
}

}  // namespace

int playNetworkMatch(const NetRun& run, std::istream& script, const std::string& scriptName) {
    NetSim sim(run, script);
    std::string error;
    std::unique_ptr<net::NetPeer> peer = net::NetPeer::open(run.setup, 0, error);
    if (!peer) {
        tell(error);
        return 1;
    }
    return sim.play(*peer, scriptName);
}

}  // namespace spinvale
