#include "net_sim.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <thread>

#include "lan_lister.h"
#include "net_text.h"
#include "output_sink.h"
#include "recording.h"

namespace spinvale {

namespace {

using Clock = std::chrono::steady_clock;

// SIGINT or SIGTERM: the player leaves, as at the end of the script, and the run ends as any
// other does, the router's port closed.
volatile std::sig_atomic_t stopAsked = 0;

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

// One side's run: the script's commands, each when its time has come (the script's own
// elapsed times pace this side), through the network driver; the confirmed updates traced
// and recorded up to the one that won the game.
class NetSim : public CommandSource {
  public:
    NetSim(const NetRun& run, std::istream& script, NetDriver& driver)
        : run_(run), reader_(script), driver_(driver) {}

    int play(const std::string& scriptName);

    KeySet keys() const override { return {}; }
    std::optional<UpdateInput> take(uint32_t elapsedMs) override;

  private:
    uint32_t now() const {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
    }
    void output(const DriverFrame& frame, OutputSink& sink);
    int end(const std::string& scriptName);

    const NetRun& run_;
    RecordingReader reader_;
    NetDriver& driver_;
    Clock::time_point start_ = Clock::now();
    uint32_t due_ = 0;
    bool stepped_ = false;  // a command was taken this frame
    bool won_ = false;
    bool scriptOver_ = false;
    bool altered_ = false;
    std::mt19937 random_{12};
};

std::optional<UpdateInput> NetSim::take(uint32_t) {
    if (won_ || scriptOver_ || now() < due_) {
        return std::nullopt;
    }
    UpdateInput input;
    GameSettings ignored;
    if (!reader_.next(input, ignored)) {
        scriptOver_ = true;
        return std::nullopt;
    }
    due_ += input.elapsedMs;
    stepped_ = true;
    return input;
}

// Both sides stop at the update that won the game.
void NetSim::output(const DriverFrame& frame, OutputSink& sink) {
    for (const std::string& news : frame.news) {
        tell(news);
    }
    std::vector<DriverUpdate> kept;
    for (const DriverUpdate& u : frame.updates) {
        if (won_) {
            break;
        }
        kept.push_back(u);
        won_ = won(u.after.state);
        if (u.number == run_.desyncAfter && !altered_) {
            altered_ = true;
            driver_.peer().alterState([](Match& m) { m.randomState ^= 1; });
        }
    }
    sink.take(kept);
}

int NetSim::play(const std::string& scriptName) {
    std::ofstream record;
    if (!run_.recordPath.empty()) {
        record.open(run_.recordPath, std::ios::trunc);
        if (!record) {
            tell("cannot write " + run_.recordPath);
            return 1;
        }
    }
    OutputSink sink(record.is_open() ? &record : nullptr, run_.trace ? &std::cout : nullptr,
                    nullptr, true);
    net::NetPeer& peer = driver_.peer();
    for (bool finishing = false;;) {
        stepped_ = false;
        const DriverFrame frame = driver_.frame(now(), false, *this);
        output(frame, sink);
        if (net::isOver(peer.state())) {
            break;
        }
        if (!net::isPlaying(peer.state())) {
            due_ = now();
        }
        if (frame.leftOut) {
            due_ += 16;  // an update left out to let the other side catch up
        }
        if (stepped_ && run_.garbage && random_() % 20 == 0) {
            peer.sendRaw(garbageMessage(random_));
        }
        if (won_ && !finishing) {
            finishing = true;
            peer.finish();
        } else if (scriptOver_ || stopAsked != 0) {
            peer.leave();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(run_.pollMs));
    }
    return end(scriptName);
}

// After a desync, until the other side's state reaches the file (a safety net of 2 s); then
// the connection's numbers.
int NetSim::end(const std::string& scriptName) {
    net::NetPeer& peer = driver_.peer();
    for (const uint32_t until = now() + 2000; peer.dumpWaiting() && now() < until;) {
        peer.poll(now());
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (const net::NetEvent& event : peer.takeEvents()) {
        tell(net::sentence(event));  // a desync file whose end could not be written
    }
    std::cout.flush();
    if (!reader_.error().empty()) {
        tell(scriptName + ":" + std::to_string(reader_.lineNumber()) + ": " + reader_.error());
        return 2;
    }
    tell(net::statsText(peer.stats(), std::max(1.0, now() / 1000.0)));
    const net::PeerState state = peer.state();
    return state == net::PeerState::Desynced ? 3 : state == net::PeerState::Unplayed ? 1 : 0;
}

}  // namespace

int listGames() {
    const auto start = Clock::now();
    const auto now = [&start] {
        return static_cast<uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    };
    std::string error;
    const std::unique_ptr<net::LanLister> lister =
        net::LanLister::start(net::defaultPort, now(), error);
    if (!lister) {
        tell(error);
        return 1;
    }
    while (!lister->done()) {  // a second, by the lister's own clock
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        lister->poll(now());
    }
    for (const net::LanGame& game : lister->games()) {
        std::printf("%s:%u %s\n", net::ipv4Text(game.address).c_str(), unsigned(game.port),
                    game.name.c_str());
    }
    tell("found " + std::to_string(lister->games().size()) +
         " games on this network; the search sent " + std::to_string(lister->bytesSent()) +
         " bytes");
    return 0;
}

int playNetworkMatch(const NetRun& run, std::istream& script, const std::string& scriptName) {
    std::string error;
    std::unique_ptr<NetDriver> driver = NetDriver::open(run.setup, false, 0, error);
    if (!driver) {
        tell(error);
        return 1;
    }
    std::signal(SIGINT, [](int) { stopAsked = 1; });
    std::signal(SIGTERM, [](int) { stopAsked = 1; });
    NetSim sim(run, script, *driver);
    const int status = sim.play(scriptName);
    for (const std::string& news : driver->close()) {
        tell(news);
    }
    return status;
}

}  // namespace spinvale
