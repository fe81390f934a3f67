// The stroke coach's cost when a ball is decided and it replays the stroke, the click moved
// and the paddle on either side: about 40 swings stepped from press through flight.
#include <benchmark/benchmark.h>

#include "practice.h"
#include "recording.h"

namespace {

using namespace spinvale;

// The returns drill, a mouse player at 200 cm clicking 20 updates after each serve.
struct Drill {
    Match match;
    StrokeCoach coach;
    int64_t sinceServe = 0;

    Drill() {
        startPractice(match, {PracticeMode::Returns, PracticeTarget::Any}, defaultGameSettings());
    }

    UpdateInput command() const {
        const int32_t x = int32_t((double(match.state.ballX) - 5 + 152.5) / 305 * 1024);
        const ButtonMessage b = sinceServe == 20   ? ButtonMessage::Pressed
                                : sinceServe == 21 ? ButtonMessage::Released
                                                   : ButtonMessage::None;
        return {16, x, 561, b, {}};  // 200 cm behind the net
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
