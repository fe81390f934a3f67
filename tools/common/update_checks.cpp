#include "update_checks.h"

#include <vector>

#include "trace.h"

namespace spinvale {

namespace {

bool knownState(int32_t s) {
    return (s >= 1 && s <= 8) || s == 10 || s == 11 || s == 20 || s == 21;
}

RallyState afterToss(RallyState s) {
    return s == P1ToServe ? P1Toss : s == P2ToServe ? P2Toss : s;
}

// The state changes of one update, in the order the update makes them: a toss, the table
// contact, the floor contact, the computer tosses, then the strokes of player 1 and 2.
// Every step may also leave the state alone.
void reach(RallyState s, int step, std::vector<RallyState>& ends) {
    constexpr int steps = 5;
    if (step == steps) {
        ends.push_back(s);
        return;
    }
    reach(s, step + 1, ends);
    const RallyState decided[] = {P1ToServe, P2ToServe, P1WinsGame, P2WinsGame};
    std::vector<RallyState> next;
    switch (step) {
        case 0:  // a human toss
        case 3:  // a computer toss
            next.push_back(afterToss(s));
            break;
        case 1:  // the table
            if (s == P1Serve || s == P2Serve) {
                next.push_back(s == P1Serve ? P1Shot : P2Shot);
            }
            if (s == P1Shot || s == P2Shot) {
                next.push_back(s == P1Shot ? P2ToReturn : P1ToReturn);
                next.insert(next.end(), std::begin(decided), std::end(decided));
            }
            break;
        case 2:  // the floor
            next.insert(next.end(), std::begin(decided), std::end(decided));
            break;
        case 4:  // the strokes
            if (s == P1Toss || s == P2Toss) {
                next.push_back(s == P1Toss ? P1Serve : P2Serve);
            }
            if (s == P1ToReturn || s == P2ToReturn) {
                next.push_back(s == P1ToReturn ? P1Shot : P2Shot);
            }
            break;
    }
    for (RallyState n : next) {
        if (n != s) {
            reach(n, step + 1, ends);
        }
    }
}

// Which state can become which within one update, worked out once.
struct OneUpdateChanges {
    bool allowed[22][22] = {};
    OneUpdateChanges() {
        for (int from = 0; from < 22; ++from) {
            if (knownState(from)) {
                std::vector<RallyState> ends;
                reach(RallyState(from), 0, ends);
                for (RallyState to : ends) {
                    allowed[from][to] = true;
                }
            }
        }
    }
};

bool canChangeInOneUpdate(RallyState from, RallyState to) {
    static const OneUpdateChanges changes;
    return knownState(from) && knownState(to) && changes.allowed[from][to];
}

bool legalWin(const MatchState& s, int32_t points) {
    const int32_t won = s.rallyState == P1WinsGame ? s.score1 : s.score2;
    const int32_t lost = s.rallyState == P1WinsGame ? s.score2 : s.score1;
    return won >= points && won - lost >= 2 && (won == points || won - lost == 2);
}

}  // namespace

std::string brokenRule(const MatchState& before, const MatchState& after, int32_t pointsPerGame) {
    const int gained = (after.score1 - before.score1) + (after.score2 - before.score2);
    const bool won = after.rallyState == P1WinsGame || after.rallyState == P2WinsGame;
    if (!allFieldsFinite(after)) {
        return "a value became NaN or infinite";
    }
    if (!knownState(after.rallyState)) {
        return "unknown rally state " + std::to_string(after.rallyState);
    }
    if (!canChangeInOneUpdate(before.rallyState, after.rallyState)) {
        return "state " + std::to_string(before.rallyState) + " became " +
               std::to_string(after.rallyState);
    }
    if (after.score1 < before.score1 || after.score2 < before.score2 || gained > 1) {
        return "the score jumped";
    }
    if (won && !legalWin(after, pointsPerGame)) {
        return "illegal win " + std::to_string(after.score1) + "-" + std::to_string(after.score2);
    }
    return "";
}

}  // namespace spinvale
