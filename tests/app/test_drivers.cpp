// The ways to play without a window: local play, practice, replays, the sink, the net driver.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "local_driver.h"
#include "net_driver.h"
#include "output_sink.h"
#include "practice_driver.h"
#include "recording.h"
#include "replay_driver.h"
#include "statistics_page.h"

namespace spinvale {
namespace {

// A player at the keys, counting the commands taken, clicking now and then.
struct FakePlayer : CommandSource {
    KeySet held;
    int taken = 0;
    KeySet keys() const override { return held; }
    std::optional<UpdateInput> take(uint32_t elapsedMs) override {
        ++taken;
        const auto button = ButtonMessage(taken % 45 % 30 == 1 ? 1 + taken % 45 / 30 : 0);
        return UpdateInput{elapsedMs, 300 + taken % 400, 500, button, held};
    }
};

GameSettings computers() {
    GameSettings g = defaultGameSettings();
    g.player1Mouse = g.player2Keyboard = false;
    return g;
}

uint32_t stepped(const DriverFrame& frame) {
    EXPECT_EQ(frame.updates.size(), 1u);
    return frame.updates.empty() ? 0 : frame.updates[0].command.elapsedMs;
}

template <typename I>
bool asks(const DriverFrame& frame) {
    return std::any_of(frame.intents.begin(), frame.intents.end(),
                       [](const Intent& i) { return std::holds_alternative<I>(i); });
}

TEST(LocalDriver, TheMenusTimeIsNotHandedOnUpdatesGetAtMost100MsAndRequestsComeBackAsIntents) {
    LocalDriver driver(computers(), computers);
    FakePlayer player;
    driver.resumeAt(1000);
    const std::vector<DriverUpdate> start = driver.frame(1016, false, player).updates;
    EXPECT_TRUE(start.size() == 1 && start[0].number == 0) << "the match as it starts comes alone";
    EXPECT_EQ(stepped(driver.frame(1033, false, player)), 17u);
    for (uint32_t tick = 1050; tick <= 5990; tick += 20) {
        EXPECT_TRUE(driver.frame(tick, true, player).updates.empty()) << tick;
    }
    EXPECT_EQ(player.taken, 1) << "the keys gathered in the menu are left for the match";
    EXPECT_EQ(stepped(driver.frame(6006, false, player)), 16u) << "back from the menu";
    EXPECT_EQ(stepped(driver.frame(9000, false, player)), 100u) << "a stall";
    driver.resumeAt(20000);  // a new window
    EXPECT_EQ(stepped(driver.frame(20012, false, player)), 12u);
    // F1: a new window, the match restarted at a serve on settings read again, score kept.
    GameSettings reread = computers();
    reread.player2Keyboard = true;
    int reads = 0;
    LocalDriver restarting(computers(), [&] { return ++reads, reread; });
    FakePlayer keys;
    uint32_t tick = 0;
    for (; restarting.shown().state.score1 * restarting.shown().state.score2 == 0 && tick < 600000;
         tick += 16) {
        restarting.frame(tick, false, keys);
    }
    const MatchState before = restarting.shown().state;
    keys.held.set(KeyF1);
    const DriverFrame toggle = restarting.frame(tick += 16, false, keys);
    EXPECT_TRUE(asks<ToggleFullscreen>(toggle) && !asks<Quit>(toggle));
    EXPECT_TRUE(toggle.updates[0].after.requests.toggleFullscreen && reads == 1) << reads;
    EXPECT_TRUE(restarting.shown().settings.player2Keyboard);
    const MatchState s = restarting.shown().state;
    EXPECT_EQ(std::tuple(s.score1, s.score2, s.paddle1.z),
              std::tuple(before.score1, before.score2, 200.0f));
    EXPECT_TRUE(s.rallyState == P1ToServe || s.rallyState == P2ToServe) << s.rallyState;
    keys.held = KeySet().set(KeyEscape);
    const DriverFrame quit = restarting.frame(tick += 16, false, keys);
    EXPECT_EQ(quit.updates[0].settings, reread) << "the restart's settings, before the update";
    EXPECT_TRUE(asks<Quit>(quit));

    keys.held.reset();
    restarting.startNewGame(computers());
    const DriverUpdate fresh = restarting.frame(tick += 16, false, keys).updates.at(0);
    EXPECT_TRUE(fresh.newGame == computers() && !fresh.settings);
    EXPECT_EQ(std::tuple(fresh.after.state.score1, fresh.after.state.score2), std::tuple(0, 0));
}

// The trace of a recording replayed, which reads without a fault and ends asking to quit.
std::string replayed(const std::string& recording, uint32_t seed) {
    ReplayDriver replay(std::make_unique<std::stringstream>(recording), GameSettings{}, seed);
    std::stringstream trace;
    OutputSink sink(nullptr, &trace, nullptr, false);
    FakePlayer still;
    DriverFrame frame;
    while (replay.hasUpdates()) {
        sink.take((frame = replay.frame(0, false, still)).updates);
    }
    EXPECT_TRUE(asks<Quit>(frame) && replay.error().empty()) << replay.error();
    return trace.str();
}

// A mouse player 1 following the ball, clicking later or sooner on each ball.
struct Follower : CommandSource {
    const MatchDriver* driver = nullptr;
    int balls = 0, clickIn = -1;
    KeySet keys() const override { return {}; }
    std::optional<UpdateInput> take(uint32_t elapsedMs) override {
        const MatchState& s = driver->shown().state;
        if (s.rallyState == P2Toss) {
            clickIn = 20 + ++balls * 17 % 56;
        }
        const auto button = clickIn-- == 0 ? ButtonMessage::Pressed : ButtonMessage::Released;
        const int32_t x = int32_t((double(s.ballX) + 147.5) / 305 * 1024);
        return UpdateInput{elapsedMs, x, 560, button, {}};
    }
};

// The coach sums up every 20 returns; a rally takes over, a new game ends it; it replays.
TEST(PracticeDriver, RecordsTheDrillAndSaysAfterEachFrameHowTheBallWent) {
    const GameSettings g = defaultGameSettings();
    const PracticeRules drill{PracticeMode::Returns, PracticeTarget::Left};
    const auto same = [g] { return g; };
    PracticeDriver driver(drill, g, same, 3);
    Follower player;
    player.driver = &driver;
    std::stringstream record, trace;
    OutputSink sink(&record, &trace, nullptr, false);
    std::vector<std::string> said;
    uint32_t tick = 0;
    for (; said.size() < 21 && tick < 200000; tick += 16) {
        const bool away = tick % 8000 >= 7000;
        const std::string note = driver.scoreNote();
        const DriverFrame frame = driver.frame(tick, away, player);
        EXPECT_TRUE(!away || frame.updates.empty());
        EXPECT_EQ(driver.scoreNote(), note) << "the coach waits until the frame is shown";
        if (tick > 0 && tick % 8000 == 0) {
            EXPECT_EQ(stepped(frame), 16u) << "back from the menu";
        }
        sink.take(frame.updates);
        driver.afterShown();
        for (const std::string& line : frame.news) {
            said.push_back(line.substr(line.find(": ") + 2));
        }
    }
    ASSERT_EQ(said.size(), 21u);
    EXPECT_EQ(said[20].rfind("20 balls: ", 0), 0u);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find(": swing ") != std::string::npos;
    }));
    EXPECT_EQ(driver.scoreNote().rfind("Practice: returns, target left\n" + said[19] + "\n", 0),
              0u);
    EXPECT_EQ(record.str().rfind(formatSettingsLine(g) + "\n" + formatPracticeLine(drill, g), 0),
              0u);
    PracticeDriver rally(std::move(driver), {PracticeMode::Rally, PracticeTarget::Any}, g);
    player.driver = &rally;
    for (const uint32_t end = tick + 9000; tick < end; tick += 16) {
        sink.take(rally.frame(tick, false, player).updates);
        if (tick + 3000 == end) {
            rally.startNewGame(g);
        }
    }
    EXPECT_NE(record.str().find("\npractice mode=rally "), std::string::npos);
    EXPECT_EQ(rally.scoreNote(), "") << "the new game ended the drill";
    EXPECT_TRUE(replayed(record.str(), 3) == trace.str());
}

// Two humans, new windows on other settings, a new game, at the recorded pace. Settings changed
// with no new window apply from the next update.
TEST(ReplayDriver, ARecordedGameReplaysToItsTraceAndLiveKeysOnlyReachTheShell) {
    GameSettings humans = defaultGameSettings();
    humans.player2Keyboard = true;
    GameSettings next = humans;
    const auto reread = [&] { return next.aiSkill += 0.1f, next; };
    LocalDriver local(humans, reread, 5);
    std::stringstream record, trace;
    OutputSink sink(&record, &trace, nullptr, false);
    FakePlayer player;
    for (uint32_t i = 0, tick = 0; i < 900; ++i, tick += 10 + i % 9) {
        player.held.reset();
        player.held.set(KeyEnter, i % 40 == 1).set(KeyLeft, i % 90 < 30).set(KeyF1, i % 300 == 2);
        sink.take(local.frame(tick, false, player).updates);
        if (i == 500) {
            local.startNewGame(computers());
        }
    }
    ASSERT_EQ(sink.updates(), 899);
    EXPECT_EQ(replayed(record.str(), 5), trace.str());
    ReplayDriver replay(std::make_unique<std::stringstream>(record.str()), GameSettings{}, 5);
    DriverFrame frame;
    for (int i = 0; i <= 30; ++i) {
        frame = replay.frame(0, false, player);
    }
    EXPECT_EQ(frame.nextDueMs, 10u + 31 % 9) << "the recorded time of update 31";

    GameSettings later = computers();
    later.aiSpeed = 10;
    std::string lines = formatSettingsLine(computers()) + "\n16 0 0 -\n16 0 0 -\n";
    lines += formatSettingsLine(later) + "\n16 0 0 -\n16 0 0 -\n";
    ReplayDriver changes(std::make_unique<std::istringstream>(lines), defaultGameSettings());
    player.held.reset();
    changes.frame(0, false, player);
    EXPECT_EQ(changes.frame(0, false, player).updates.at(0).after.settings, computers());
    player.held.set(KeyF1).set(KeyEscape);
    const DriverFrame second = changes.frame(0, false, player);
    EXPECT_EQ(second.updates.at(0).after.settings, computers());
    EXPECT_EQ(changes.shown().settings, later) << "read ahead, taken before the next update";
    EXPECT_TRUE(asks<Quit>(second) && asks<ToggleFullscreen>(second));
    EXPECT_FALSE(second.updates[0].after.requests.quit) << "the recorded match never saw them";
}

TEST(OutputSink, WritesEachUpdatesLinesCommandAndTraceAndCountsTheStatisticsOfEachGame) {
    std::ostringstream record, trace;
    int sounds = 0;
    const auto sound = [&](const MatchRequests&) { ++sounds; };
    OutputSink sink(&record, &trace, sound, true);
    Match match, adapted;
    UpdateInput command;
    command.elapsedMs = 17;
    const GameSettings g = match.settings = defaultGameSettings();
    adapted.settings = g;
    adapted.settings.aiSpeed = 39;  // changed by the update: written after it
    const PracticeRules drill{PracticeMode::Rally, PracticeTarget::Left};
    sink.take({{0, {}, match, g, std::nullopt}, {1, command, match, g, g}});
    sink.take({{2, command, adapted, std::nullopt, std::nullopt},
               {3, command, match, std::nullopt, std::nullopt, PracticeStart{drill, g}}});
    EXPECT_EQ(record.str(), formatSettingsLine(g) + "\n" + formatSettingsLine(g) + "\n" +
                                formatNewGameLine(g) + "\n17 0 0 -\n17 0 0 -\n" +
                                formatSettingsLine(adapted.settings) + "\n" +
                                formatPracticeLine(drill, g) + "\n17 0 0 -\n");
    EXPECT_EQ(trace.str().rfind("{\"frame\":0,\"elapsedMs\":0,", 0), 0u);
    EXPECT_NE(trace.str().find("\n{\"frame\":1,\"elapsedMs\":17,"), std::string::npos);
    EXPECT_EQ(std::tuple(sink.updates(), sounds), std::tuple(3, 3)) << "update 0 only traced";
    // Adaptive strength, to the end: each point counts once; a new game keeps the strength reached.
    GameSettings adaptive = computers();
    adaptive.adaptiveStrength = true;
    LocalDriver driver(adaptive, [adaptive] { return adaptive; });
    std::stringstream played, itsTrace;
    OutputSink counter(&played, &itsTrace, nullptr, false);
    FakePlayer player;
    for (uint32_t tick = 0; driver.shown().state.rallyState < P1WinsGame; tick += 16) {
        counter.take(driver.frame(tick, false, player).updates);
    }
    EXPECT_TRUE(replayed(played.str(), 1) == itsTrace.str());
    const int scores[] = {driver.shown().state.score1, driver.shown().state.score2};
    const int winner = scores[0] > scores[1] ? 1 : 2;
    const auto pages = statisticsPages(counter.statistics(), winner);
    EXPECT_EQ(pages[winner - 1][0].text, "Player " + std::to_string(winner) + " wins the game!");
    for (int p : {1, 2}) {
        const PlayerStatistics& s = counter.statistics().player(p);
        EXPECT_EQ(s.pointsOnOwnServe + s.pointsOnOtherServe, scores[p - 1]) << p;
        EXPECT_EQ(pages[p - 1][1].text,
                  "Points won on own serve: " + std::to_string(s.pointsOnOwnServe));
        EXPECT_EQ(pages[p - 1][2].text,
                  "Points won on the other's serve: " + std::to_string(s.pointsOnOtherServe));
    }
    const float reached = driver.shown().settings.aiSpeed;
    driver.startNewGame(adaptive);
    counter.take(driver.frame(0, false, player).updates);
    EXPECT_EQ(std::tuple(driver.shown().settings.aiSpeed, counter.statistics().longestRally()),
              std::tuple(reached, 0));
    EXPECT_NE(reached, adaptive.aiSpeed);
}

TEST(NetDriver, TheGuestsArrowsTurnAndAJoinRequestIsReadOrTheProblemSaid) {
    KeySet keys = KeySet().set(KeyLeft).set(KeyUp).set(KeyEnter);
    turnArrows(keys);
    EXPECT_EQ(keys, KeySet().set(KeyRight).set(KeyDown).set(KeyEnter));
    const UpdateInput still = stillCommand(33, 640, 480);
    EXPECT_EQ(std::tuple(still.elapsedMs, still.pointerX, still.pointerY, still.button, still.keys),
              std::tuple(33u, 640, 480, ButtonMessage::Released, KeySet()));
    const std::string badCode = "A join code is six letters and digits.";
    const std::tuple<const char*, const char*, std::string> refused[] = {
        {"", "", "Type the host's address first."},
        {"10.0.0.7:x", "",
         "Cannot join: the port in '10.0.0.7:x' must be a number from 1 to 65535."},
        {"10.0.0.7:9", "", "Type the join code the host shows."},
        {"10.0.0.7:9", "k7mq2p!", badCode},
        {"10.0.0.7:9", "k7mq2", badCode}};
    net::NetSetup setup;
    for (const auto& [address, code, problem] : refused) {
        EXPECT_EQ(readJoinRequest(address, code, setup), problem);
    }
    EXPECT_EQ(readJoinRequest("10.0.0.7:9", "k7mq2p", setup), "");
    EXPECT_EQ(std::tuple(setup.role, setup.hostName, setup.port, setup.code),
              std::tuple(net::Role::Guest, "10.0.0.7", 9, "k7mq2p"));
}

}  // namespace
}  // namespace spinvale
