#include "local_driver.h"

#include "frame_timing.h"

namespace spinvale {

LocalDriver::LocalDriver(const GameSettings& settings, RestartSettings restartSettings,
                         uint32_t seed)
    : match_(settings, seed), restartSettings_(std::move(restartSettings)) {}

DriverFrame LocalDriver::frame(uint32_t tickMs, bool away, CommandSource& commands) {
    DriverFrame frame;
    const uint32_t elapsedMs = clampUpdateMs(ticksBetween(lastTick_, tickMs));
    lastTick_ = tickMs;  // the menu's time goes by here, uncounted
    if (std::optional<DriverUpdate> start = match_.takeStart()) {
        frame.updates.push_back(std::move(*start));
        return frame;
    }
    if (away) {
        return frame;
    }
    const std::optional<UpdateInput> command = commands.take(elapsedMs);
    if (!command) {
        return frame;
    }
    frame.updates.push_back(match_.step(*command));
    takeRequests(match_.match(), frame);
    if (match_.match().requests.toggleFullscreen) {  // the new window's match
        match_.restart(carryAdaptedStrength(restartSettings_(), match_.match().settings));
    }
    return frame;
}

void LocalDriver::startNewGame(const GameSettings& settings) {
    match_.startNewGame(carryAdaptedStrength(settings, match_.match().settings));
}

}  // namespace spinvale
