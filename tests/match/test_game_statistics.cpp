// The statistics of a game against counts taken from its trace, point by point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "game_statistics.h"
#include "match_fixture.h"
#include "trace.h"

namespace spinvale {
namespace {

// What the counts need of one trace line.
struct Traced {
    int state, score1, score2;
    double spin, speed;
};

double number(const std::string& line, const std::string& name) {
    const std::size_t at = line.find("\"" + name + "\":");
    return std::strtod(line.c_str() + at + name.size() + 3, nullptr);
}

Traced read(const std::string& line) {
    const auto n = [&line](const char* name) { return number(line, name); };
    return {int(n("rallyState")), int(n("score1")), int(n("score2")), n("ballSpin"),
            std::hypot(n("ballVX"), n("ballVY"), n("ballVZ"))};
}

// By player number; [0] gathers what comes before the first stroke.
struct Counts {
    int own[3] = {}, other[3] = {}, landed[3] = {}, spin[3] = {}, longest = 0;
    double fastest[3] = {};
};

// One point's lines, from the update after the last point to the one that scored it: the
// last serve in it is the point's (a serve that dropped dead was served again).
void countPoint(const std::vector<Traced>& t, std::size_t from, std::size_t to, Counts& c) {
    int server = 0, strokes = 0, striker = 0;
    bool fromReturn = false;
    double spinMost = 0;
    const auto strokeEnds = [&] {
        c.spin[striker] += spinMost >= 0.5;
        spinMost = 0;
    };
    for (std::size_t i = from; i <= to; ++i) {
        const int was = t[i - 1].state, is = t[i].state;
        const bool serve = (was == P1Toss && is == P1Serve) || (was == P2Toss && is == P2Serve);
        const bool hit = (was == P1ToReturn && is == P1Shot) || (was == P2ToReturn && is == P2Shot);
        if (serve || hit) {
            strokeEnds();
            striker = serve ? was - P1Toss + 1 : (is == P1Shot ? 1 : 2);
            server = serve ? striker : server;
            strokes = serve ? 1 : strokes + 1;
            fromReturn = hit;
            c.fastest[striker] = std::max(c.fastest[striker], t[i].speed * 14 * 0.0036);
        }
        const bool shotFlies = (is == P1Shot && striker == 1) || (is == P2Shot && striker == 2);
        spinMost = shotFlies ? std::max(spinMost, std::fabs(t[i].spin)) : spinMost;
        const bool lands =
            (was == P1Shot && is == P2ToReturn) || (was == P2Shot && is == P1ToReturn);
        c.landed[striker] += lands && fromReturn;
    }
    strokeEnds();
    const int winner = t[to].score1 > t[to - 1].score1 ? 1 : 2;
    ++(winner == server ? c.own : c.other)[winner];
    c.longest = std::max(c.longest, strokes);
}

TEST(GameStatistics, AgreeWithTheCountsOfTheTrace) {
    Match m = computerMatch(defaultGameSettings(), 4);
    GameStatistics stats;
    std::vector<Traced> trace{read(formatTraceLine(0, 0, m))};
    while (m.state.rallyState != P1WinsGame && m.state.rallyState != P2WinsGame &&
           trace.size() < 100000) {
        const Match before = m;
        stepMatch(m, command(16));
        stats.count(before, m);
        trace.push_back(read(formatTraceLine(int64_t(trace.size()), 16, m)));
    }
    Counts c;
    std::size_t pointStart = 1;
    for (std::size_t i = 1; i < trace.size(); ++i) {
        if (trace[i].score1 + trace[i].score2 != trace[i - 1].score1 + trace[i - 1].score2) {
            countPoint(trace, pointStart, i, c);
            pointStart = i + 1;
        }
    }
    for (int p = 1; p <= 2; ++p) {
        const PlayerStatistics& s = stats.player(p);
        SCOPED_TRACE(p);
        EXPECT_EQ(s.pointsOnOwnServe, c.own[p]);
        EXPECT_EQ(s.pointsOnOtherServe, c.other[p]);
        EXPECT_EQ(s.returnsLanded, c.landed[p]);
        EXPECT_EQ(s.spinStrokes, c.spin[p]);
        EXPECT_NEAR(s.fastestKmh, c.fastest[p], 1e-3);
        EXPECT_GT(s.returnsLanded * s.pointsOnOwnServe * s.pointsOnOtherServe, 0);
    }
    EXPECT_GT(stats.player(2).spinStrokes, 0);  // player 1's computer spins one return in 200
    EXPECT_EQ(stats.longestRally(), c.longest);
    EXPECT_GT(c.longest, 3);
}

}  // namespace
}  // namespace spinvale
