// What practice says to the player: the drill's words, the line after each stroke and the
// returns drill's summary every 20 balls.
#include <cstdlib>

#include "practice.h"

namespace spinvale {

namespace {

constexpr const char* modeNames[] = {"none", "returns", "rally"};
constexpr const char* targetNames[] = {"any", "left", "right"};

template <typename Choice, std::size_t count>
bool readName(std::string_view word, const char* const (&names)[count], Choice& choice) {
    for (std::size_t i = 0; i < count; ++i) {
        if (word == names[i]) {
            choice = Choice(i);
            return true;
        }
    }
    return false;
}

}  // namespace

const char* practiceModeName(PracticeMode mode) {
    return modeNames[int(mode)];
}

const char* practiceTargetName(PracticeTarget target) {
    return targetNames[int(target)];
}

bool readPracticeMode(std::string_view word, PracticeMode& mode) {
    return readName(word, modeNames, mode);
}

bool readPracticeTarget(std::string_view word, PracticeTarget& target) {
    return readName(word, targetNames, target);
}

const char* outcomeText(ReturnOutcome outcome) {
    constexpr const char* texts[] = {"in", "off target", "net", "long", "wide", "missed"};
    return texts[int(outcome)];
}

std::string timingAdvice(const StrokeFeedback& f) {
    if (!f.clicked) {
        return "no swing";
    }
    if (!f.adviceFound) {
        return "";
    }
    if (f.timingMs == 0) {
        return "good";
    }
    return "swing " + std::to_string(std::abs(f.timingMs)) + " ms " +
           (f.timingMs < 0 ? "earlier" : "later");
}

std::string feedbackLine(const StrokeFeedback& f) {
    std::string line = outcomeText(f.outcome);
    const std::string timing = timingAdvice(f);
    if (!timing.empty()) {
        line += ": " + timing;
    }
    if (f.adviceFound) {
        line += f.sideMatched ? ", side matched" : ", the other side";
    }
    return line;
}

void countBall(ReturnsSummary& s, const StrokeFeedback& f) {
    ++s.balls;
    ++s.outcomes[int(f.outcome)];
    if (f.clicked && f.adviceFound) {
        ++s.timedStrokes;
        s.timingErrorMs += std::abs(f.timingMs);
    }
}

std::optional<ReturnsSummary> ReturnsTally::add(const StrokeFeedback& f) {
    countBall(current_, f);
    if (current_.balls < ballsPerSummary) {
        return std::nullopt;
    }
    const ReturnsSummary done = current_;
    current_ = ReturnsSummary{};
    return done;
}

std::string summaryText(const ReturnsSummary& s) {
    const auto count = [&s](ReturnOutcome o) { return std::to_string(s.outcomes[int(o)]); };
    std::string text = std::to_string(s.balls) + " balls: " + count(ReturnOutcome::In) + " in, ";
    if (s.outcomes[int(ReturnOutcome::OffTarget)] > 0) {
        text += count(ReturnOutcome::OffTarget) + " off target, ";
    }
    text += count(ReturnOutcome::Net) + " into the net, " + count(ReturnOutcome::Long) + " long, " +
            count(ReturnOutcome::Wide) + " wide, " + count(ReturnOutcome::Missed) + " missed";
    if (s.timedStrokes > 0) {
        text += "; timing off by " + std::to_string(s.timingErrorMs / s.timedStrokes) +
                " ms on average";
    }
    return text;
}

}  // namespace spinvale
