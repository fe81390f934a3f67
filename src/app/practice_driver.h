// Practice against the computer's serve: local play under a drill's rules (returns or a
// rally, with a target) and the coach's word on each of player 1's strokes. The coach plays
// each stroke again on copies of the match, some milliseconds of stepping a stroke, so it
// sees the updates only once the frame that carried them is on the screen (afterShown):
// no frame is shown late for it, and its word comes with the next frame, under the score and
// as news ("practice: long: swing 48 ms later, side matched").
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "local_driver.h"
#include "practice.h"

namespace spinvale {

class PracticeDriver : public LocalDriver {
  public:
    // A drill from the window's start: update 0 is the match as a window makes it, and the
    // drill's line comes before update 1.
    PracticeDriver(const PracticeRules& rules, const GameSettings& settings,
                   RestartSettings restartSettings, uint32_t seed = 1);
    // A drill in place of what local play was playing, its recording going on; under the
    // adaptive strength at the strength reached.
    PracticeDriver(LocalDriver&& local, const PracticeRules& rules, const GameSettings& settings);

    // Its news: what the coach said since the last frame, a line for each ball and in the
    // returns drill the summary of every 20 balls.
    DriverFrame frame(uint32_t tickMs, bool away, CommandSource& commands) override;
    // The drill, the word on the last ball and the last summary; nothing once a new game
    // has ended the drill.
    std::string scoreNote() const override;
    void afterShown() override;

  private:
    void tell(const StrokeFeedback& feedback, PracticeMode mode);

    struct Unjudged {
        Match before;
        UpdateInput command;
    };
    std::deque<Unjudged> unjudged_;  // the updates carried out that the coach has not seen
    StrokeCoach coach_;
    ReturnsTally tally_;
    std::string lastLine_;
    std::string summary_;
    std::vector<std::string> said_;
};

}  // namespace spinvale
