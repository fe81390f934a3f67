// The network peer on a clock the test turns, and admission: the README's limits at their edge.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "two_peers.h"

namespace spinvale::net {
namespace {

const CodeField wrong = *readJoinCode("K7MQ2Q");

// Silent, or heard but never a part further: given up at 5 s from the last progress.
TEST(TwoPeers, AGameThatStopsMovingIsGivenUpAtFiveSeconds) {
    for (const bool heard : {false, true}) {
        Game g;
        g.run(2000);
        if (heard) {
            g.guest.steps = false;  // it still sends, every 50 ms, what it sent before
        } else {
            g.host.wire->cut();
        }
        // The host is last level with the guest's parts at its next frame, having stepped
        // once more; when the guest's last part is still on its way, one frame later.
        const uint32_t lastProgress = g.now + (heard ? 32 : 16);
        g.until(lastProgress + 4999);
        EXPECT_EQ(g.host.at(lastProgress + 4999), PeerState::Playing) << heard;
        EXPECT_EQ(g.host.at(lastProgress + 5000), PeerState::PlayingOut) << heard;
        EXPECT_TRUE(g.host.said(std::string(heard ? "No play" : "Nothing heard") +
                                " from player 2 for 5 seconds: the connection is given up; the "
                                "computer plays for them"))
            << heard;
    }
}

TEST(TwoPeers, AHandshakeThatNeverEndsIsGivenUpAtFifteenSeconds) {
    Side host(Role::Host);
    host.wire->inbox = {
        Connected{5, {0x0a000002, 40000}},
        Received{5, encode(Hello{protocolVersion, "x", matchBuildHash(), code}, Role::Guest)}};
    host.frame(start);
    for (uint32_t t = start + 2000; t < start + 15000; t += 2000) {
        host.wire->inbox.push_back(Received{5, encode(HashCheck{30, 1}, Role::Guest)});
        host.frame(t);
    }
    EXPECT_EQ(host.at(start + 14999), PeerState::Welcomed);
    EXPECT_EQ(host.at(start + 15000), PeerState::Hosting);
    EXPECT_TRUE(host.said("player 2 did not start to play within 15 seconds of joining: let go"));
    EXPECT_EQ(host.wire->closed, std::vector<ConnectionId>{5});
    Side guest(Role::Guest);
    FakeTransport::link(*host.wire, *guest.wire, 6);
    for (uint32_t t = start + 15016; t < start + 16000; t += 16) {
        host.frame(t);
        guest.frame(t);
    }
    EXPECT_EQ(host.peer->state(), PeerState::Playing);
}

// Visitors that never say hello are let go after 10 s, or after 1 s while 8 wait.
TEST(Visitors, ThatNeverSayHelloAreLetGo) {
    Side host(Role::Host);
    host.wire->inbox = {Connected{7, {0x0a000001, 1234}},
                        Received{7, encode(HashCheck{30, 1}, Role::Guest)}};
    host.frame(start);
    host.frame(start + 9999);
    EXPECT_TRUE(host.wire->closed.empty());
    host.frame(start + 10000);
    EXPECT_EQ(host.wire->closed, std::vector<ConnectionId>{7});
    EXPECT_EQ(host.peer->stats().silentVisitors, 1);
    EXPECT_TRUE(
        host.said("dropped a malformed message from 10.0.0.1:1234 (a message before the "
                  "handshake); further ones of this kind are only counted"));
    for (ConnectionId id = 10; id < 18; ++id) {
        host.wire->inbox.push_back(Connected{id, {0x0a000001 + uint32_t(id), 1}});
    }
    host.frame(start + 10000);
    host.frame(start + 10999);
    EXPECT_EQ(host.wire->closed.size(), 1u);
    host.frame(start + 11000);
    EXPECT_EQ(host.wire->closed.size(), 9u);
}

// No answer in 5 s, no welcome in 15 s (still on 1 ms sooner), a refusal, an unreadable answer.
TEST(Calls, EndUnplayedSayingWhy) {
    EXPECT_EQ(Side(Role::Guest).peer->status(), "Calling table.local port 27455...");
    EXPECT_EQ(Side(Role::Guest).at(start - 16), PeerState::Calling);  // due before the call
    Wired<WatchPeer> watcher(testSetup());
    watcher.peer->poll(start - 16);
    EXPECT_EQ(watcher.peer->state(), WatchState::Calling);
    const Connected answered{1, {0x7f000001, 27455}};
    const std::tuple<std::deque<TransportEvent>, uint32_t, PeerState, std::string> calls[] = {
        {{},
         5000,
         PeerState::Calling,
         "No answer from table.local port 27455 within 5 seconds: is a game hosted there, and is "
         "that UDP port open to this computer?"},
        {{answered},
         15000,
         PeerState::Asking,
         "The host did not let this game in within 15 seconds"},
        {{answered, Received{1, encode(Refused{Refusal::WrongCode, "0"}, Role::Host)}},
         0,
         {},
         "The host refused to play: the join code is wrong."},
        {{answered, Received{1, {2, 1, 2}}},
         0,
         {},
         "The host's answer could not be read (message too short): both players need the same "
         "version of the game"}};
    for (const auto& [events, limit, before, told] : calls) {
        Side guest(Role::Guest);
        guest.wire->inbox = events;
        guest.frame(start);
        if (limit > 0) {
            EXPECT_EQ(guest.at(start + limit - 1), before) << told;
        }
        EXPECT_EQ(guest.at(start + limit), PeerState::Unplayed) << told;
        EXPECT_EQ(guest.peer->status(), told + "\nEsc quits.");
    }
}

Hello hello(const CodeField& c, uint64_t build = 42, bool watching = false,
            uint16_t protocol = protocolVersion) {
    return Hello{protocol, "", build, c, watching};
}
const Room gameOn{false, true, true}, waiting{true, true, true};

TEST(Admission, RefusesInAnOrderThatTellsAStrangerNothingBeforeTheCode) {
    const Room noWatching{true, false, true}, seatsTaken{false, true, false};
    const std::tuple<Hello, Room, std::optional<Refusal>> cases[] = {
        {hello(wrong, 7, false, 1), gameOn, Refusal::OtherProtocol},  // its code cannot be read
        {hello(wrong, 7), gameOn, Refusal::WrongCode},  // not told of the build or the game
        {hello(code, 7), gameOn, Refusal::OtherBuild},
        {hello(code), gameOn, Refusal::GameTaken},
        {hello(code), waiting, std::nullopt},
        {hello(wrong, 42, true), noWatching, Refusal::WrongCode},  // nor whether it may watch
        {hello(code, 7, true), noWatching, Refusal::OtherBuild},
        {hello(code, 42, true), noWatching, Refusal::NoWatchers},
        {hello(code, 42, true), seatsTaken, Refusal::WatchersFull},
        {hello(code, 42, true), gameOn, std::nullopt}};
    for (const auto& [h, room, refusal] : cases) {
        Admission admission(code, 42);
        admission.arrived(1, {0x0a000001, 1}, 0);
        EXPECT_EQ(admission.greet(1, h, room, 0), refusal);
    }
}

// Three wrong codes are free; then the address waits 1 s, 2 s, ... whatever it sends.
TEST(Admission, AnAddressThatGuessesWaitsWhileAnotherJoins) {
    Admission admission(code, 42);
    ConnectionId id = 0;
    const auto knock = [&](uint32_t ip, const CodeField& c, uint32_t at) {
        admission.arrived(++id, {ip, 1}, at);
        return admission.greet(id, hello(c), waiting, at);
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(knock(1, wrong, 1000), Refusal::WrongCode);
    }
    EXPECT_EQ(knock(1, code, 1999), Refusal::TooManyTries);
    EXPECT_EQ(knock(2, code, 1999), std::nullopt);
    EXPECT_EQ(knock(1, wrong, 2000), Refusal::WrongCode);
    EXPECT_EQ(knock(1, code, 3999), Refusal::TooManyTries);
    EXPECT_EQ(knock(1, code, 4000), std::nullopt);
    EXPECT_EQ(knock(1, wrong, 4001), Refusal::WrongCode);  // the right code cleared the count
}

// As the window once did: a side running ahead is not told to wait and then let step.
TEST(PaceKeeping, AskedTwiceInAFrameTheAnswerHolds) {
    Game g;
    int skips = 0;
    for (int tick = 0; tick < 1000; ++tick) {
        g.now += 16;
        g.host.peer->poll(g.now);
        const StepReady first = g.host.peer->ready();
        EXPECT_EQ(g.host.peer->ready(), first);
        skips += first == StepReady::Skip;
        if (first == StepReady::Now) {
            g.host.peer->step(UpdateInput{16, 300, 500, ButtonMessage::None, {}});
        }
        if (tick % 4 != 0) {
            g.guest.frame(g.now);
        }
    }
    EXPECT_GT(skips, 0);
    EXPECT_LE(skips, 1000 / 32) << "once a window of 32 updates at most";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A link in the way is not followed; a file that cannot be made is said plainly.
TEST(DesyncDumps, AreWrittenOnceToANewFile) {
    namespace fs = std::filesystem;
    const std::string folder = testing::TempDir() + "dumps-" + std::to_string(getpid());
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::create_symlink(folder + "/elsewhere", folder + "/desync-player1-1.txt");
    Game g(folder);
    g.run(1000);
    g.guest.peer->alterState([](Match& m) { m.randomState ^= 1; });
    g.run(1000);
    ASSERT_EQ(g.host.peer->state(), PeerState::Desynced);
    const std::string path = folder + "/desync-player1-2.txt";  // told: see net_sim_games
    EXPECT_FALSE(fs::exists(folder + "/elsewhere"));
    const std::string written = slurp(path);
    EXPECT_NE(written.find("# player 1 (this game):\n{\"frame\":"), std::string::npos) << written;
    EXPECT_NE(written.find("# player 2 (the other game):\n{\"frame\":"), std::string::npos)
        << written;
    g.guest.peer->sendRaw(encode(Desync{30, "{}"}, Role::Guest));
    g.run(100);
    EXPECT_EQ(slurp(path), written);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 3);  // and the guest's

    Game blocked(folder + "/desync-player2-1.txt/in");
    blocked.run(1000);
    blocked.guest.peer->alterState([](Match& m) { m.randomState ^= 1; });
    blocked.run(1000);
    EXPECT_NE(
        blocked.host.told.back().find("The states could not be written: cannot make " + folder),
        std::string::npos)
        << blocked.host.told.back();
    fs::remove_all(folder);
}

}  // namespace
}  // namespace spinvale::net
