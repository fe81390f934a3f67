// Practice: the drills' rules, and the stroke coach's advice checked by playing it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "match_fixture.h"
#include "practice.h"
#include "recording.h"

namespace spinvale {
namespace {

Match practiceMatch(PracticeMode mode, bool mousePlayer1, uint32_t seed) {
    GameSettings g = defaultGameSettings();
    g.player1Mouse = mousePlayer1;
    g.player2Keyboard = true;  // the drill gives player 2 to the computer whatever this says
    g.screenWidth = g.screenHeight = 1000;
    Match m;
    m.randomState = seed;
    startPractice(m, PracticeRules{mode, PracticeTarget::Any}, g);
    return m;
}

// No point is scored, only the computer serves (in the returns drill it never returns).
TEST(Practice, TheComputerServesEveryBallAndNoPointIsScored) {
    for (const PracticeMode mode : {PracticeMode::Returns, PracticeMode::Rally}) {
        Match m = practiceMatch(mode, false, 5);
        int serves = 0, player1Returns = 0, player2Returns = 0;
        for (int update = 0; update < 3000; ++update) {
            const RallyState before = m.state.rallyState;
            stepMatch(m, command(16));
            const RallyState after = m.state.rallyState;
            ASSERT_EQ(m.state.score1 + m.state.score2, 0) << "update " << update;
            ASSERT_TRUE(after != P1ToServe && after != P1Toss && after != P1Serve) << update;
            serves += before == P2Toss && after == P2Serve;
            player1Returns += before == P1ToReturn && after == P1Shot;
            player2Returns += before == P2ToReturn && after == P2Shot;
        }
        // Returns: a ball every few seconds; two computers aiming safely rally long.
        EXPECT_GE(serves, mode == PracticeMode::Returns ? 10 : 1);
        EXPECT_GE(player1Returns, mode == PracticeMode::Returns ? serves / 2 : 20);
        EXPECT_EQ(player2Returns > 0, mode == PracticeMode::Rally);
    }
}

// A mouse player following the ball at 120 to 270 cm, clicking at random: every timing.
struct RandomClicker {
    std::mt19937 random{7};
    int clickIn = -1;
    double depth = 200;

    UpdateInput next(const MatchState& s) {
        UpdateInput c = command(16);
        const double paddleX = double(s.ballX) - 5;
        c.pointerX = int32_t((paddleX + 152.5) / 305 * 1000);
        c.pointerY = int32_t(depth / 274 * 1000);
        if (s.rallyState == P2Toss) {
            clickIn = std::uniform_int_distribution<int>(20, 75)(random);
            depth = std::uniform_real_distribution<double>(120, 270)(random);
        }
        c.button = clickIn == 0    ? ButtonMessage::Pressed
                   : clickIn == -1 ? ButtonMessage::Released
                                   : ButtonMessage::None;
        --clickIn;
        return c;
    }
};

using Saved = std::deque<std::pair<Match, UpdateInput>>;

// Replays a stroke with the click moved by the advice (16 ms an update) and `more` updates, the
// paddle on the side advised: how far from the far half's middle line the ball lands; none if
// it lands elsewhere or the press is not one the coach tries (up to 600 ms before the strike).
std::optional<double> advisedLanding(const Saved& saved, int64_t first, const StrokeFeedback& f,
                                     int64_t more) {
    const int64_t click = f.clickUpdate - first;
    const int64_t press = click + f.timingMs / 16 + more;
    const int64_t strike = f.strikeUpdate - first;
    if (press > strike || (strike - press) * 16 > 600) {
        return std::nullopt;
    }
    const PaddleSide played = saved[strike + 1].first.state.paddle1.side;
    const PaddleSide side = f.sideMatched ? played : PaddleSide(1 - int(played));
    Match m = saved[std::min(click, press)].first;
    for (int64_t i = std::min(click, press); i < int64_t(saved.size()); ++i) {
        UpdateInput c = saved[i].second;
        c.button = i == press       ? ButtonMessage::Pressed
                   : i == press + 1 ? ButtonMessage::Released
                                    : ButtonMessage::None;
        if (i == strike) {
            m.state.paddle1.side = side;
        }
        stepMatch(m, c);
        if (i > strike && m.state.rallyState != P1Shot) {
            const MatchState& s = m.state;
            return s.rallyState == P2ToReturn ? std::optional(std::fabs(double(s.ballX)))
                                              : std::nullopt;
        }
    }
    return std::nullopt;
}

// The advised swing lands; none an update earlier or later lands nearer the middle (20 cm
// either side count as it; 1 cm nearer is no nearer) or as near with a smaller change.
bool advisedSwingIsBest(const Saved& saved, int64_t first, const StrokeFeedback& f) {
    const std::optional<double> advised = advisedLanding(saved, first, f, 0);
    const auto score = [](double d) { return std::max(d, 20.0); };
    for (const int64_t more : {-1, 1}) {
        const std::optional<double> other = advisedLanding(saved, first, f, more);
        const bool smaller = std::abs(f.timingMs / 16 + more) < std::abs(f.timingMs / 16);
        if (advised && other &&
            (score(*other) < score(*advised) - 1 ||
             (smaller && score(*other) <= score(*advised) + 1))) {
            return false;
        }
    }
    return advised.has_value();
}

TEST(StrokeCoach, TheAdvisedSwingSendsTheBallInWhereThePlayersDidNot) {
    Match m = practiceMatch(PracticeMode::Returns, true, 3);
    RandomClicker player;
    StrokeCoach coach;
    Saved saved;
    int64_t first = 0;
    int failed = 0, mended = 0, landed = 0, good = 0, outcomes[returnOutcomes] = {};
    for (int update = 0; update < 40000; ++update) {
        const UpdateInput c = player.next(m.state);
        saved.emplace_back(m, c);
        if (saved.size() > 400) {
            saved.pop_front();
            ++first;
        }
        const auto f = coach.observe(m, c);
        stepMatch(m, c);
        if (!f || !f->clicked || f->outcome == ReturnOutcome::Missed) {
            continue;
        }
        ++outcomes[int(f->outcome)];
        landed += f->outcome == ReturnOutcome::In;
        good += f->outcome == ReturnOutcome::In && timingAdvice(*f) == "good";
        if (f->outcome != ReturnOutcome::In && f->adviceFound &&
            f->bestOutcome == ReturnOutcome::In) {
            ++failed;
            mended += advisedSwingIsBest(saved, first, *f);
        }
    }
    EXPECT_GE(failed, 10);
    EXPECT_EQ(mended, failed);
    EXPECT_GT(landed, 20);
    EXPECT_GT(outcomes[int(ReturnOutcome::Net)] * outcomes[int(ReturnOutcome::Wide)], 0);
    EXPECT_GT(good, 0);
}

// Decided when the ball lands on the far half, else when it drops dead, by where it first left
// the far half: over a side line (76.25 out), the far end (137), or nowhere (the net).
TEST(StrokeCoach, TellsWhereTheBallWentByWhereItFirstLeftTheFarHalf) {
    using Seen = std::tuple<RallyState, float, float>;
    const auto outcome = [](std::initializer_list<Seen> states) {
        StrokeCoach::FlightWatch watch;
        for (const auto& [state, x, z] : states) {
            MatchState s;
            s.rallyState = state, s.ballX = x, s.ballZ = z;
            watch.see(s);
        }
        return std::pair(watch.outcome, watch.landingX);
    };
    const auto decided = [](ReturnOutcome o, float x = 0) {
        return std::pair(std::optional(o), x);
    };
    EXPECT_EQ(outcome({{P1Shot, 76.25f, -1}, {P1Shot, 0, -137}, {P2ToServe, 0, 0}}),
              decided(ReturnOutcome::Wide));
    EXPECT_EQ(outcome({{P1Shot, -76.2f, -136.9f}, {P1Shot, 0, -137}, {P1ToServe, 0, 0}}),
              decided(ReturnOutcome::Long));
    EXPECT_EQ(outcome({{P1Shot, 80, 5}, {P1ToServe, 0, 0}}), decided(ReturnOutcome::Net));
    EXPECT_EQ(outcome({{P1Shot, 90, -1}, {P2ToReturn, 12.5f, -60}}),
              decided(ReturnOutcome::In, 12.5f));
    EXPECT_EQ(outcome({{P1Shot, 90, -1}}).first, std::nullopt);
}

// The line after a stroke; every 20th ball sums up the 20 (timing over the timed strokes).
TEST(StrokeCoach, SaysWhatItFoundInTheGamesWords) {
    StrokeFeedback f{ReturnOutcome::Long, 0, 0, true, true, ReturnOutcome::Missed, -48};
    EXPECT_EQ(feedbackLine(f), "long: swing 48 ms earlier, side matched");
    f.timingMs = 32, f.sideMatched = false;
    EXPECT_EQ(feedbackLine(f), "long: swing 32 ms later, the other side");
    f.timingMs = 0;
    EXPECT_EQ(timingAdvice(f), "good");
    f.clicked = false;
    EXPECT_EQ(timingAdvice(f), "no swing");

    ReturnsTally tally;
    StrokeFeedback in{ReturnOutcome::In, 0, 0, true, true, ReturnOutcome::In, 30};
    StrokeFeedback wide{ReturnOutcome::Wide, 0, 0, true, true, ReturnOutcome::In, -90};
    std::optional<ReturnsSummary> summary;
    for (int ball = 1; ball <= 40; ++ball) {
        summary = tally.add(ball % 4 == 0 ? wide : ball % 5 == 0 ? StrokeFeedback{} : in);
        ASSERT_EQ(summary.has_value(), ball % 20 == 0) << ball;
    }
    EXPECT_EQ(summaryText(*summary),
              "20 balls: 12 in, 0 into the net, 0 long, 5 wide, 3 missed; timing off by 47 ms "
              "on average");
}

}  // namespace
}  // namespace spinvale
