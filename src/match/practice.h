// Practice that teaches the stroke. After each of player 1's returns the coach says where the
// ball went and how the swing compared with the one that would have sent it nearest the
// middle of the target. It finds that swing as a rollback would: it steps copies of the match
// from the state saved before the stroke, on the same commands but with the click moved
// earlier or later, and with the paddle on either side, so the advice is what the match
// itself would have done, never a guess of its own.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "match.h"

namespace spinvale {

// The words of the command line and the recordings: "returns", "rally"; "any", "left",
// "right". Player 1 faces the far half from positive z, so its left is negative x.
const char* practiceModeName(PracticeMode mode);
const char* practiceTargetName(PracticeTarget target);
bool readPracticeMode(std::string_view word, PracticeMode& mode);
bool readPracticeTarget(std::string_view word, PracticeTarget& target);

// Where a return went. In: it bounced on the far half, inside the target; OffTarget: on the
// far half outside it; Net: it never got over (stopped by the net, or down on the striker's
// own half); Long: over the far end line; Wide: over a side line; Missed: it went by the
// paddle without being struck.
enum class ReturnOutcome { In, OffTarget, Net, Long, Wide, Missed };
constexpr int returnOutcomes = 6;

struct StrokeFeedback {
    ReturnOutcome outcome = ReturnOutcome::Missed;
    float landingX = 0;  // where it bounced on the far half (In, OffTarget)
    float landingZ = 0;
    bool clicked = false;  // a swing was started for this ball
    // Some timing and side would have put this ball on the far half; the best of them:
    bool adviceFound = false;
    ReturnOutcome bestOutcome = ReturnOutcome::Missed;
    int32_t timingMs = 0;  // its click minus the player's (below 0: earlier), when clicked
    bool sideMatched = true;
    // The numbers, counted from 0 in the order the coach was fed, of the update that took
    // the click and of the one that struck the ball.
    int64_t clickUpdate = -1;
    int64_t strikeUpdate = -1;
};

// "in", "off target", "net", "long", "wide", "missed".
const char* outcomeText(ReturnOutcome outcome);
// "swing 40 ms earlier", "swing 40 ms later", "good"; "no swing" without a click; "" when
// no swing would have put the ball on the far half.
std::string timingAdvice(const StrokeFeedback& feedback);
// The line shown after a stroke: "long: swing 48 ms later, side matched".
std::string feedbackLine(const StrokeFeedback& feedback);

// Fed with every update before it runs, it reports on each of player 1's strokes once the
// ball is decided (on the far half, or dead), and on each ball player 1 missed. A match
// changed between updates (a restart, a new game) forgets the strokes before it.
class StrokeCoach {
  public:
    // before: the match as the update finds it; command: what the update consumes.
    std::optional<StrokeFeedback> observe(const Match& before, const UpdateInput& command);

    struct Entry {
        Match before;
        UpdateInput command;
        int64_t number;
        int64_t endMs;  // game time at the end of this update
    };

    // Follows a struck ball update by update until it is decided.
    struct FlightWatch {
        std::optional<ReturnOutcome> exit;     // how it left the far half, if it did
        std::optional<ReturnOutcome> outcome;  // once decided
        float landingX = 0;
        float landingZ = 0;
        void see(const MatchState& s);
    };

  private:
    std::optional<StrokeFeedback> judge(const MatchState& before, const Match& after);
    void forgetOld();

    std::deque<Entry> history_;
    Match after_;                    // the last update's result, as the coach stepped it
    std::optional<int64_t> strike_;  // the update that struck the ball still in flight
    FlightWatch watch_;
    int64_t fed_ = 0;
    int64_t clockMs_ = 0;
};

// The returns drill's count, summed up every 20 balls.
struct ReturnsSummary {
    int32_t balls = 0;
    int32_t outcomes[returnOutcomes] = {};  // by ReturnOutcome
    int32_t timedStrokes = 0;               // clicked strokes with advice
    int64_t timingErrorMs = 0;              // their summed distance from the best click
};

// Adds one ball to a count.
void countBall(ReturnsSummary& summary, const StrokeFeedback& feedback);

class ReturnsTally {
  public:
    static constexpr int32_t ballsPerSummary = 20;
    // Counts one ball; every 20th returns the summary of the last 20 and starts afresh.
    std::optional<ReturnsSummary> add(const StrokeFeedback& feedback);

  private:
    ReturnsSummary current_;
};

// "20 balls: 14 in, 2 into the net, 1 long, 2 wide, 1 missed; timing off by 35 ms on average"
std::string summaryText(const ReturnsSummary& summary);

}  // namespace spinvale
