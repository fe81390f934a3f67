#include "practice_driver.h"

#include <utility>

namespace spinvale {

PracticeDriver::PracticeDriver(const PracticeRules& rules, const GameSettings& settings,
                               RestartSettings restartSettings, uint32_t seed)
    : LocalDriver(settings, std::move(restartSettings), seed) {
    drivenMatch().startPractice(rules, settings);
}

PracticeDriver::PracticeDriver(LocalDriver&& local, const PracticeRules& rules,
                               const GameSettings& settings)
    : LocalDriver(std::move(local)) {
    drivenMatch().startPractice(rules, carryAdaptedStrength(settings, shown().settings));
}

// Local play steps at most one update a frame, so the match before the frame is the one
// its update started from.
DriverFrame PracticeDriver::frame(uint32_t tickMs, bool away, CommandSource& commands) {
    const Match before = shown();
    DriverFrame frame = LocalDriver::frame(tickMs, away, commands);
    for (const DriverUpdate& u : frame.updates) {
        if (u.number > 0 && before.practice.mode != PracticeMode::None) {
            unjudged_.push_back({before, u.command});
        }
    }
    for (std::string& said : std::exchange(said_, {})) {
        frame.news.push_back("practice: " + said);
    }
    return frame;
}

void PracticeDriver::afterShown() {
    for (; !unjudged_.empty(); unjudged_.pop_front()) {
        const Unjudged& u = unjudged_.front();
        if (const std::optional<StrokeFeedback> feedback = coach_.observe(u.before, u.command)) {
            tell(*feedback, u.before.practice.mode);
        }
    }
}

void PracticeDriver::tell(const StrokeFeedback& feedback, PracticeMode mode) {
    lastLine_ = feedbackLine(feedback);
    said_.push_back(lastLine_);
    if (mode != PracticeMode::Returns) {
        return;
    }
    if (const std::optional<ReturnsSummary> summary = tally_.add(feedback)) {
        summary_ = summaryText(*summary);
        said_.push_back(summary_);
    }
}

std::string PracticeDriver::scoreNote() const {
    const PracticeRules& drill = shown().practice;
    if (drill.mode == PracticeMode::None) {
        return "";
    }
    std::string note = std::string("Practice: ") + practiceModeName(drill.mode);
    if (drill.target != PracticeTarget::Any) {
        note += std::string(", target ") + practiceTargetName(drill.target);
    }
    for (std::string said : {lastLine_, summary_}) {
        if (const std::size_t cut = said.find("; "); cut != std::string::npos) {
            said.replace(cut, 2, "\n");  // the summary's timing on a line of its own
        }
        note += said.empty() ? "" : "\n" + said;
    }
    return note;
}

}  // namespace spinvale
