// What the stroke coach costs at the update at which a stroke's ball is decided, when it
// plays the stroke again with the click moved and the paddle on either side: about 40
// swings, each stepped from its press through the ball's flight.
#include <benchmark/benchmark.h>

#include "practice.h"
#include "recording.h"

namespace {

using namespace spinvale;

// The returns drill, a mouse player meeting every ball 200 cm behind the net and clicking
// 20 updates after the computer's serve.
struct Drill {
    Match match;
    StrokeCoach coach;
    int64_t sinceServe = 0;

    Drill() {
        startPractice(match, {PracticeMode::Returns, PracticeTarget::Any}, defaultGameSettings());
    }

    UpdateInput command() const {
        const int32_t x = int32_t((double(match.state.ballX) - 5 + 152.5) / 305 * 1024);
        UpdateInput c{16, x, 561, ButtonMessage::None, {}};  // 200 cm behind the net
        c.button = sinceServe == 20   ? ButtonMessage::Pressed
                   : sinceServe == 21 ? ButtonMessage::Released
                                      : ButtonMessage::None;
        return c;
    }

    std::optional<StrokeFeedback> play() {
        const UpdateInput c = command();
        const auto feedback = coach.observe(match, c);
        stepMatch(match, c);
        sinceServe = match.state.rallyState == P2Toss ? 0 : sinceServe + 1;
        return feedback;
    }
};

// The drill up to the update whose coaching plays its first stroke again.
Drill beforeFirstAdvice() {
    for (Drill drill;;) {
        Drill ahead = drill;
        const auto feedback = ahead.play();
        if (feedback && feedback->adviceFound) {
            return drill;
        }
        drill = ahead;
    }
}

void StrokeWhatIf(benchmark::State& state) {
    const Drill drill = beforeFirstAdvice();
    for (auto _ : state) {
        state.PauseTiming();
        StrokeCoach coach = drill.coach;
        state.ResumeTiming();
        const auto feedback = coach.observe(drill.match, drill.command());
        if (!feedback || !feedback->adviceFound) {
            state.SkipWithError("no stroke was decided");
            break;
        }
    }
}
BENCHMARK(StrokeWhatIf)->Unit(benchmark::kMicrosecond);

}  // namespace
