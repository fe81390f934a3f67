#include "watch_driver.h"

#include <algorithm>

#include "frame_timing.h"
#include "net_text.h"

namespace spinvale {

namespace {

// Beside the net, a little above the players' eye height, far enough out to see both ends.
constexpr float sideCamera[3] = {360, 260, 0};
// Further behind than this, the watcher is catching up, and says when it is back.
constexpr uint32_t catchingUpMs = 2000;

// The speed the match's time goes at against the clock: as the clock's while the updates
// waiting last the delay or up to 100 ms more; half as fast again and more, the further
// behind (back within about a second from any distance); slower when they fall short.
double paceFor(uint32_t waitingMs) {
    const double delay = WatchDriver::delayMs, late = waitingMs - (delay + 100);
    return late > 0 ? 1.5 + late / 250 : waitingMs >= delay ? 1 : 0.5 + 0.5 * waitingMs / delay;
}

}  // namespace

std::unique_ptr<WatchDriver> WatchDriver::open(const net::NetSetup& setup, WatchView view,
                                               uint32_t tickMs, std::string& error) {
    std::unique_ptr<net::WatchPeer> peer = net::WatchPeer::open(setup, tickMs, error);
    if (!peer) {
        return nullptr;
    }
    return std::make_unique<WatchDriver>(std::move(peer), setup.settings, view, tickMs);
}

WatchDriver::WatchDriver(std::unique_ptr<net::WatchPeer> peer, const GameSettings& local,
                         WatchView view, uint32_t tickMs)
    : peer_(std::move(peer)), local_(local), view_(view), lastTick_(tickMs) {
    restartMatch(waiting_, local_);
}

DriverFrame WatchDriver::frame(uint32_t tickMs, bool, CommandSource& commands) {
    DriverFrame frame;
    const std::optional<UpdateInput> live = commands.take(0);  // the keys only reach the shell
    if (live && live->keys[KeyEscape]) {
        peer_->leave();
        frame.intents.emplace_back(Quit{});
        return frame;
    }
    if (live && live->keys[KeyF1]) {
        frame.intents.emplace_back(ToggleFullscreen{});
    }
    peer_->poll(tickMs);
    for (const net::NetEvent& event : peer_->takeEvents()) {
        frame.news.push_back(net::sentence(event));
    }
    if (!match_ && peer_->start()) {
        match_.emplace(*peer_->start(), 1);
        frame.updates.push_back(*match_->takeStart());
    }
    play(tickMs, frame);
    return frame;
}

// The updates whose time has come at the pace the waiting ones call for.
void WatchDriver::play(uint32_t tickMs, DriverFrame& frame) {
    const uint32_t elapsedMs = ticksBetween(lastTick_, tickMs);
    lastTick_ = tickMs;
    const bool ending = peer_->state() != net::WatchState::Watching;
    credit_ += elapsedMs * std::max(paceFor(peer_->waitingMs()), ending ? 1.0 : 0.0);
    followCatchUp(tickMs, frame);
    for (int n = 0; match_ && n < mostPerFrame && peer_->waiting() > 0 &&
                    peer_->next().command.elapsedMs <= credit_;
         ++n) {
        net::WatchedUpdate next = peer_->take();
        credit_ -= next.command.elapsedMs;
        if (next.settings) {
            match_->takeSettings(*next.settings);
        }
        frame.updates.push_back(match_->step(next.command));
        ++shown_;
    }
    if (peer_->waiting() == 0) {
        credit_ = std::min(credit_, 0.0);  // time with nothing to show is not made up later
    }
}

// A watcher far behind says when it is back, and how long that took.
void WatchDriver::followCatchUp(uint32_t tickMs, DriverFrame& frame) {
    const uint32_t waitingMs = peer_->waitingMs();
    if (!catchingUp_ && waitingMs > catchingUpMs) {
        catchingUp_.emplace(tickMs, shown_);
    } else if (catchingUp_ && waitingMs <= delayMs + 100) {
        const auto [since, from] = *catchingUp_;
        frame.news.push_back("caught up with the game: " + std::to_string(shown_ - from) +
                             " updates in " + std::to_string(ticksBetween(since, tickMs)) + " ms");
        catchingUp_.reset();
    }
}

Match WatchDriver::shown() const {
    Match shown = match_ ? match_->match() : waiting_;
    GameSettings& s = shown.settings;
    s.simpleGraphics = local_.simpleGraphics;
    s.screenWidth = local_.screenWidth;
    s.screenHeight = local_.screenHeight;
    const bool far = view_ == WatchView::Far;
    s.cameraX = view_ == WatchView::Side ? sideCamera[0] : far ? -local_.cameraX : local_.cameraX;
    s.cameraY = view_ == WatchView::Side ? sideCamera[1] : local_.cameraY;
    s.cameraZ = view_ == WatchView::Side ? sideCamera[2] : far ? -local_.cameraZ : local_.cameraZ;
    return shown;
}

std::string WatchDriver::notice() const {
    if (peer_->state() == net::WatchState::Watching && peer_->received() == 0) {
        return "Watching: waiting for the host's game to start...";
    }
    return peer_->status();
}

std::string WatchDriver::cornerNote() const {
    if (peer_->received() == 0 || over()) {
        return "";
    }
    const int64_t behind = std::max(peer_->hostAt(), peer_->received()) - shown_;
    return "watching, " + std::to_string(behind) + (behind == 1 ? " update" : " updates") +
           " behind";
}

bool WatchDriver::over() const {
    const net::WatchState state = peer_->state();
    return (state == net::WatchState::Over || state == net::WatchState::Unwatched) &&
           peer_->waiting() == 0;
}

}  // namespace spinvale
