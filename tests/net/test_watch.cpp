// Watchers on a clock the test turns, over the transport in memory; what catching up is sent.
#include <gtest/gtest.h>

#include "two_peers.h"

namespace spinvale::net {
namespace {

// The same match as the host's confirmed updates, as many as the watcher holds.
void follows(const Watcher& w, const std::vector<ConfirmedUpdate>& host) {
    ASSERT_LE(w.hashes.size() + 1, host.size());
    for (std::size_t i = 0; i < w.hashes.size(); ++i) {
        ASSERT_EQ(w.hashes[i], matchHash(host[i + 1].after)) << i;
    }
}

// One from before the start, one 3 s late, until the host leaves (the guest plays the computer).
TEST(Watching, EveryWatcherFollowsTheGameFromItsFirstUpdateAndThePlayersSeeNoDifference) {
    Game plain;
    plain.run(3000);
    plain.run(3000);
    Game g;
    Watcher& early = g.join(2);
    g.run(3000);
    Watcher& late = g.join(3);
    g.run(3000);
    EXPECT_EQ(g.host.wire->bytesTo[1], plain.host.wire->bytesTo[1]);
    EXPECT_EQ(g.guest.wire->bytesTo[1], plain.guest.wire->bytesTo[1]);
    EXPECT_EQ(g.host.confirmed.size(), plain.host.confirmed.size());
    EXPECT_EQ(g.host.peer->stats().rollbacks.restepped,
              plain.host.peer->stats().rollbacks.restepped);
    EXPECT_TRUE(g.host.said("a watcher joined from 127.0.0.3:5000 (2 watching)"));
    EXPECT_GT(late.hashes.size(), g.host.confirmed.size() - 5) << "caught up, and live";
    g.host.peer->leave();
    g.run(500);
    for (const Watcher* w : {&early, &late}) {
        follows(*w, g.host.confirmed);
        EXPECT_EQ(w->hashes.size() + 1, g.host.confirmed.size()) << "the last ones came first";
        EXPECT_EQ(w->told.back(), "The host left: the game is over");
    }
    EXPECT_EQ(early.peer->status(), "The host left: the game is over.\nEsc quits.");
    EXPECT_TRUE(g.guest.said("Player 1 left; the computer plays for them"));
    EXPECT_EQ(g.guest.peer->status(), "Player 1 left:\nthe computer plays for them. Esc quits.");
    EXPECT_EQ(g.guest.peer->state(), PeerState::Solo);
    EXPECT_GT(g.guest.confirmed.size(), g.host.confirmed.size() + 25) << "plays on";
    EXPECT_FALSE(g.guest.confirmed.back().after.settings.player1Mouse);
}

// Stopped, let go once the host has had an update it lacks for 10 s, told why when it is back.
TEST(Watching, AWatcherIsLetGoTenSecondsBehindOrFlooding) {
    Game g;
    Watcher& stopped = g.join(2);
    g.run(1000);
    stopped.polled = false;
    const uint32_t stop = g.now;
    g.run(9900);
    const std::string letGo =
        "let the watcher from 127.0.0.2:5000 go: more than 10 seconds behind the game";
    EXPECT_FALSE(g.host.said(letGo));
    g.run(200);
    EXPECT_TRUE(g.host.said(letGo)) << g.now - stop;
    stopped.frame(g.now);
    follows(stopped, g.host.confirmed);
    EXPECT_EQ(
        stopped.told.back(),
        "This computer fell more than 10 seconds behind the game: the host stopped sending it");

    Watcher& flood = g.join(3);
    g.run(100);
    for (int i = 0; i < 100; ++i) {  // with its own acknowledgements, over 100 this second
        flood.wire->send(3, encode(Inputs{}, Role::Guest), false);
    }
    g.run(16);
    EXPECT_GE(g.host.peer->stats().malformed.at("a message out of turn"), 95);
    EXPECT_TRUE(
        g.host.said("let the watcher from 127.0.0.3:5000 go: it sent more than a watcher does"));
    EXPECT_EQ(g.host.peer->state(), PeerState::Playing);
}

TEST(Watching, TheNinthWatcherIsRefusedAndAHostMayRefuseAll) {
    Game g;
    for (ConnectionId id = 2; id <= 10; ++id) {
        g.join(id);
    }
    g.run(100);
    EXPECT_EQ(g.watchers.back()->peer->state(), WatchState::Unwatched);
    EXPECT_EQ(g.watchers.back()->peer->status(),
              "The host refused to let this computer watch: the game already has 8 watchers.\n"
              "Esc quits.");
    Game closed("/dev/null/none", false);
    Watcher& refused = closed.join(2);
    closed.run(100);
    EXPECT_EQ(refused.told.back(),
              "The host refused to let this computer watch: the host does not let anyone watch");
}

// A whole game behind: at most about 4 KB a poll, and 16 KB not yet acknowledged.
TEST(WatchFeed, AWatcherCatchingUpIsSentBoundedBytes) {
    WatchFeed feed;
    Match m = computerMatch(defaultGameSettings(), 1);
    for (int64_t n = 0; n <= 20000; ++n) {
        const UpdateInput command{16, int32_t(n * 37 % 1024), int32_t(n * 13 % 768), {}, {}};
        feed.record({n, command, m, n == 0}, uint32_t(n * 16));
    }
    feed.seat(1, {}, 400000);
    uint64_t sent = 0, polled = 0;
    const auto send = [&](ConnectionId, const std::vector<uint8_t>& bytes) {
        polled += bytes.size();
    };
    for (int poll = 0; poll < 8; ++poll, sent += polled, polled = 0) {
        feed.feed(400000 + poll, send);
        EXPECT_LE(polled, 4096u + 2200) << poll;  // the last message may end past the bound
        EXPECT_GE(polled, poll < 3 ? 4096u : 0) << poll;
    }
    EXPECT_GE(sent, 16384u);
    EXPECT_LE(sent, 16384u + 2200);
    EXPECT_FALSE(feed.acknowledged(1, 20001));
    EXPECT_TRUE(feed.acknowledged(1, 1000));
    feed.feed(400010, send);
    EXPECT_GT(polled, 0u);
    EXPECT_EQ(feed.feed(410000, send).at(0).why, WatcherGone::Behind);
}

}  // namespace
}  // namespace spinvale::net
