#include "driven_match.h"

#include "recording.h"

namespace spinvale {

DrivenMatch::DrivenMatch(const GameSettings& settings, uint32_t seed)
    : recorded_(settings), settingsLine_(settings) {
    match_.randomState = seed;
    restartMatch(match_, settings);
}

std::optional<DriverUpdate> DrivenMatch::takeStart() {
    if (started_) {
        return std::nullopt;
    }
    started_ = true;
    DriverUpdate start{0, {}, match_, settingsLine_, std::nullopt};
    settingsLine_.reset();
    return start;
}

DriverUpdate DrivenMatch::step(const UpdateInput& command) {
    stepMatch(match_, command);
    DriverUpdate update{++number_, command, match_, settingsLine_, newGameLine_};
    settingsLine_.reset();
    newGameLine_.reset();
    return update;
}

void DrivenMatch::restart(const GameSettings& settings) {
    restartMatch(match_, settings);
    if (settings != recorded_) {
        settingsLine_ = settings;
        recorded_ = settings;
    }
}

void DrivenMatch::startNewGame(const GameSettings& settings) {
    spinvale::startNewGame(match_, settings);
    newGameLine_ = settings;
    recorded_ = settings;
}

void DrivenMatch::takeSettings(const GameSettings& settings) {
    match_.settings = settings;
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
