#include "practice_run.h"

#include "recording.h"

namespace spinvale {

namespace {

// A player mends a habit a little at a time: each correction also carries that one ball's
// chance, and taking all of it shifts every later click by that chance too (measured: a
// whole correction leaves the model worse off; a fifth mends a habit and costs little).
constexpr double shareTakenToHeart = 0.2;

}  // namespace

ReturnsSummary playPractice(const PracticeRun& run) {
    GameSettings settings = run.settings;
    settings.player1Mouse = true;
    Match match;
    match.randomState = run.seed;
    startPractice(match, run.rules, settings);
    ModelledPlayer player(run.seed, run.traits);
    StrokeCoach coach;
    ReturnsSummary count;
    const int64_t updateLimit = run.balls * 1000;  // a ball comes every few seconds
    for (int64_t update = 0; count.balls < run.balls && update < updateLimit; ++update) {
        const UpdateInput input = player.nextInput(match, run.frameMs);
        if (const auto feedback = coach.observe(match, input)) {
            countBall(count, *feedback);
            if (run.followAdvice && feedback->clicked && feedback->adviceFound) {
                player.shiftClicks(feedback->timingMs * shareTakenToHeart);
            }
        }
        stepMatch(match, input);
    }
    return count;
}

}  // namespace spinvale
