#include "session.h"

#include <algorithm>
#include <cmath>

#include "trace.h"

namespace spinvale::net {

RollbackSession::RollbackSession(Role local, const Match& start, int inputDelay, int maxPrediction)
    : local_(local),
      inputDelay_(inputDelay),
      maxPrediction_(maxPrediction),
      current_(start),
      states_(static_cast<std::size_t>(maxPrediction) + 2) {
    ConfirmedUpdate begin;
    begin.after = start;
    begin.newSettings = true;
    out_.push_back(begin);
}

Match& RollbackSession::stateBefore(int64_t update) {
    return states_[static_cast<std::size_t>(update) % states_.size()];
}

Part RollbackSession::remotePartFor(int64_t update) const {
    if (update < remoteCount_) {
        return remoteParts_[slot(update)];
    }
    Part predicted = remoteCount_ > 0 ? remoteParts_[slot(remoteCount_ - 1)] : Part{};
    predicted.button = ButtonMessage::None;
    return predicted;
}

UpdateInput RollbackSession::commandOf(int64_t update) const {
    const Part& local = localParts_[slot(update)];
    const Part& remote = usedParts_[slot(update)];
    return local_ == Role::Host ? mergeParts(local, remote) : mergeParts(remote, local);
}

void RollbackSession::stepOne() {
    stateBefore(frame_) = current_;
    usedParts_[slot(frame_)] = remotePartFor(frame_);
    stepMatch(current_, commandOf(frame_));
    ++frame_;
}

void RollbackSession::step(const Part& local) {
    // The updates before the first delayed part have the player's position and no news.
    if (localCount_ == 0) {
        Part quiet = local;
        quiet.elapsedMs = 0;
        quiet.button = ButtonMessage::None;
        quiet.keys = 0;
        for (int i = 0; i < inputDelay_; ++i) {
            localParts_[slot(localCount_++)] = quiet;
        }
    }
    localParts_[slot(localCount_++)] = local;
    stepOne();
    confirmUpTo(std::min(frame_, remoteCount_));
}

bool RollbackSession::receive(int64_t first, const std::vector<Part>& parts) {
    const int64_t end = first + static_cast<int64_t>(parts.size());
    if (first > remoteCount_ || end > confirmed_ + partRing) {
        return false;
    }
    int64_t firstWrong = frame_;
    for (int64_t u = remoteCount_; u < end; ++u) {
        const Part& part = parts[static_cast<std::size_t>(u - first)];
        remoteParts_[slot(u)] = part;
        if (u < frame_ && part != usedParts_[slot(u)]) {
            firstWrong = std::min(firstWrong, u);
        }
    }
    remoteCount_ = std::max(remoteCount_, end);
    if (firstWrong < frame_) {
        rollBackTo(firstWrong);
    }
    confirmUpTo(std::min(frame_, remoteCount_));
    return true;
}

void RollbackSession::rollBackTo(int64_t update) {
    const int64_t end = frame_;
    current_ = stateBefore(update);
    frame_ = update;
    while (frame_ < end) {
        stepOne();
    }
    const int64_t length = end - update;
    ++stats_.rollbacks;
    stats_.restepped += length;
    stats_.longest = std::max(stats_.longest, length);
    stats_.longerThan10 += length > 10 ? 1 : 0;
}

void RollbackSession::confirmUpTo(int64_t target) {
    for (int64_t c = confirmed_; c < target; ++c) {
        ConfirmedUpdate update;
        update.number = c + 1;
        update.command = commandOf(c);
        update.after = c + 1 < frame_ ? stateBefore(c + 1) : current_;
        out_.push_back(update);
    }
    confirmed_ = std::max(confirmed_, target);
}

void RollbackSession::confirmAsStepped() {
    confirmUpTo(frame_);
}

void RollbackSession::alterConfirmedState(const std::function<void(Match&)>& change) {
    if (confirmed_ == frame_) {
        change(current_);
        return;
    }
    change(stateBefore(confirmed_));
    rollBackTo(confirmed_);
}

std::vector<ConfirmedUpdate> RollbackSession::takeConfirmed() {
    std::vector<ConfirmedUpdate> taken;
    taken.swap(out_);
    return taken;
}

void PaceKeeper::sample(int64_t frame, int64_t remoteFrame) {
    int64_t& slot = leads_[samples_ % window];
    sum_ += (frame - remoteFrame) - slot;
    slot = frame - remoteFrame;
    ++samples_;
}

int8_t PaceKeeper::advantage() const {
    const int64_t n = std::min<int64_t>(samples_, window);
    if (n == 0) {
        return 0;
    }
    const double quarters = std::round(4.0 * double(sum_) / double(n));
    return static_cast<int8_t>(std::clamp(quarters, -127.0, 127.0));
}

bool PaceKeeper::shouldYield(int64_t frame) {
    if (frame < nextCheck_) {
        return false;
    }
    nextCheck_ = frame + window;
    return (advantage() - remoteQuarters_) / 2 >= 4;
}

bool DesyncCheck::local(const ConfirmedUpdate& update) {
    if (update.number == 0 || update.number % every != 0) {
        return false;
    }
    local_.push_back({update.number, matchHash(update.after),
                      formatTraceLine(update.number, update.command.elapsedMs, update.after)});
    lastLocal_ = update.number;
    compare();
    return true;
}

bool DesyncCheck::remote(int64_t update, uint64_t hash) {
    const int64_t lastRemote = remote_.empty() ? lastCompared_ : remote_.back().first;
    // The other side checks the same updates, in order; it cannot be far ahead of this one.
    if (update % every != 0 || update <= lastRemote || remote_.size() >= 64) {
        return false;
    }
    remote_.emplace_back(update, hash);
    compare();
    return true;
}

void DesyncCheck::compare() {
    while (!local_.empty() && !remote_.empty() && !mismatch_) {
        const Checkpoint& mine = local_.front();
        const auto [update, hash] = remote_.front();
        if (mine.update == update) {
            if (mine.hash != hash) {
                mismatch_ = update;
                mismatchState_ = mine.state;
            }
            lastCompared_ = update;
            ++compared_;
        }
        const int64_t localUpdate = mine.update;  // mine goes with the pop
        if (localUpdate <= update) {
            local_.pop_front();
        }
        if (update <= localUpdate) {
            remote_.pop_front();
        }
    }
    // Checkpoints the other side never answers (it left) are not kept for ever.
    while (local_.size() > 64) {
        local_.pop_front();
    }
}

namespace {

uint64_t stepKnownMatches() {
    uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](const Match& m) { hash = (hash ^ matchHash(m)) * 1099511628211ull; };
    Match computers = computerMatch(defaultGameSettings(), 7);
    for (uint32_t i = 0; i < 3000; ++i) {
        UpdateInput input;
        input.elapsedMs = 5 + i % 20;
        stepMatch(computers, input);
    }
    mix(computers);
    GameSettings people = defaultGameSettings();
    people.player2Keyboard = true;
    Match humans;
    restartMatch(humans, people);
    for (int32_t i = 0; i < 2000; ++i) {
        UpdateInput input;
        input.elapsedMs = 16;
        input.pointerX = i * 37 % 1024;
        input.pointerY = 400 + i * 13 % 368;
        input.button = i % 50 == 0    ? ButtonMessage::Pressed
                       : i % 50 == 25 ? ButtonMessage::Released
                                      : ButtonMessage::None;
        input.keys[KeyLeft] = i / 40 % 2 == 0;
        input.keys[KeyUp] = i / 70 % 2 == 0;
        input.keys[KeyEnter] = i % 60 < 3;
        stepMatch(humans, input);
    }
    mix(humans);
    return hash;
}

}  // namespace

uint64_t matchBuildHash() {
    static const uint64_t hash = stepKnownMatches();
    return hash;
}

int inputDelayFor(uint32_t roundTripMs) {
    return roundTripMs < 200 ? 0 : roundTripMs < 300 ? 1 : 2;
}

}  // namespace spinvale::net
