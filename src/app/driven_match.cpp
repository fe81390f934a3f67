#include "driven_match.h"

#include "recording.h"

namespace spinvale {

// Update 0 is kept as the match was made, so that a drill started before the first frame
// comes after it, where a replay meets the drill's line.
DrivenMatch::DrivenMatch(const GameSettings& settings, uint32_t seed) : recorded_(settings) {
    match_.randomState = seed;
    restartMatch(match_, settings);
    start_ = DriverUpdate{0, {}, match_, settings, std::nullopt};
}

std::optional<DriverUpdate> DrivenMatch::takeStart() {
    std::optional<DriverUpdate> start = std::move(start_);
    start_.reset();
    return start;
}

DriverUpdate DrivenMatch::step(const UpdateInput& command) {
    stepMatch(match_, command);
    recorded_ = match_.settings;
    DriverUpdate update{++number_, command, match_, settingsLine_, newGameLine_, practiceLine_};
    settingsLine_.reset();
    newGameLine_.reset();
    practiceLine_.reset();
    return update;
}

void DrivenMatch::restart(GameSettings settings) {
    if (match_.practice.mode != PracticeMode::None) {
        settings.player2Keyboard = false;
    }
    restartMatch(match_, settings);
    if (settings != recorded_) {
        settingsLine_ = settings;
        recorded_ = settings;
    }
}

void DrivenMatch::startNewGame(const GameSettings& settings) {
    spinvale::startNewGame(match_, settings);
    newGameLine_ = settings;
    practiceLine_.reset();
    recorded_ = settings;
}

void DrivenMatch::startPractice(const PracticeRules& rules, const GameSettings& settings) {
    spinvale::startPractice(match_, rules, settings);
    practiceLine_ = PracticeStart{rules, match_.settings};  // as the drill plays them
    newGameLine_.reset();
    recorded_ = match_.settings;
}

void DrivenMatch::takeSettings(const GameSettings& settings) {
    match_.settings = settings;
    if (settings != recorded_) {
        settingsLine_ = settings;
        recorded_ = settings;
    }
}

void takeRequests(const Match& match, DriverFrame& frame) {
    if (match.requests.quit) {
        frame.intents.emplace_back(Quit{});
    }
    if (match.requests.toggleFullscreen) {
        frame.intents.emplace_back(ToggleFullscreen{});
    }
}

}  // namespace spinvale
