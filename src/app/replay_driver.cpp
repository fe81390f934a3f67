#include "replay_driver.h"

namespace spinvale {

namespace {

// The settings lines before the first update count from the start.
GameSettings startSettings(RecordingReader& reader, GameSettings settings, UpdateInput& first,
                           bool& found) {
    found = reader.next(first, settings);
    return settings;
}

// The drill the reader met before the update it read last, on the settings read with it.
std::optional<PracticeStart> drillOf(const RecordingReader& reader, const GameSettings& settings) {
    if (!reader.practice()) {
        return std::nullopt;
    }
    return PracticeStart{*reader.practice(), settings};
}

}  // namespace

ReplayDriver::ReplayDriver(std::unique_ptr<std::istream> in, GameSettings settings, uint32_t seed)
    : in_(std::move(in)),
      reader_(*in_),
      settings_(startSettings(reader_, settings, next_, more_)),
      match_(settings_, seed),
      newGame_(reader_.newGame()),
      practice_(drillOf(reader_, settings_)) {}

void ReplayDriver::readNext() {
    more_ = reader_.next(next_, settings_);
    newGame_ = reader_.newGame();
    practice_ = drillOf(reader_, settings_);
}

DriverFrame ReplayDriver::frame(uint32_t, bool, CommandSource& commands) {
    DriverFrame frame;
    if (std::optional<DriverUpdate> start = match_.takeStart()) {
        frame.updates.push_back(std::move(*start));
        return frame;
    }
    const std::optional<UpdateInput> live = commands.take(0);
    if (live && live->keys[KeyEscape]) {
        frame.intents.emplace_back(Quit{});
    }
    if (live && live->keys[KeyF1]) {
        frame.intents.emplace_back(ToggleFullscreen{});
    }
    if (!more_) {
        return frame;
    }
    if (newGame_) {
        match_.startNewGame(*newGame_);
    } else if (practice_) {
        match_.startPractice(practice_->rules, practice_->settings);
    }
    const UpdateInput command = next_;
    readNext();
    frame.updates.push_back(match_.step(command));
    const Match& match = match_.match();
    takeRequests(match, frame);
    if (!more_ && !match.requests.quit) {
        frame.intents.emplace_back(Quit{});
    }
    if (match.requests.toggleFullscreen) {
        match_.restart(settings_);
    } else if (settings_ != match.settings && !newGame_ && !practice_) {
        match_.takeSettings(settings_);  // a new game or a drill brings its own
    }
    frame.nextDueMs = next_.elapsedMs;
    return frame;
}

}  // namespace spinvale
