#include "net_game.h"

#include <iostream>

#include "frame_timing.h"
#include "net_text.h"

namespace spinvale {

namespace {

// Seen from the far end, the guest's Left is the host's Right, and Up (away from the guest)
// is the host's Down.
void turnArrows(std::bitset<256>& keys) {
    const bool left = keys[KeyLeft], right = keys[KeyRight], up = keys[KeyUp], down = keys[KeyDown];
    keys[KeyLeft] = right;
    keys[KeyRight] = left;
    keys[KeyUp] = down;
    keys[KeyDown] = up;
}

}  // namespace

std::unique_ptr<NetGame> NetGame::open(const Options& options, const GameSettings& local,
                                       std::string& error) {
    net::NetSetup setup;
    setup.role = options.hosting ? net::Role::Host : net::Role::Guest;
    setup.port = options.hosting ? options.hostPort : options.joinPort;
    setup.hostName = options.joinHost;
    setup.code = options.code;
    setup.settings = local;
    setup.inputDelay = static_cast<int>(options.inputDelay);
    const uint32_t now = millisecondTick(std::chrono::steady_clock::now());
    std::unique_ptr<net::NetPeer> peer = net::NetPeer::open(setup, now, error);
    if (!peer) {
        return nullptr;
    }
    std::unique_ptr<NetGame> game(new NetGame(std::move(peer)));
    game->local_ = local;
    game->guest_ = !options.hosting;
    game->turnKeys_ = game->guest_ && !options.nearView;
    return game;
}

void NetGame::poll(uint32_t nowMs) {
    peer_->poll(nowMs);
    for (const net::NetEvent& event : peer_->takeEvents()) {
        std::cerr << "spinvale: " << net::sentence(event) << "\n";
    }
    const bool playing = net::isPlaying(peer_->state());
    if (playing && !playing_) {
        lastStep_ = nowMs;  // the first update's time counts from the start of play
    }
    playing_ = playing;
}

bool NetGame::readyToStep() {
    return peer_->ready() == net::StepReady::Now;
}

uint32_t NetGame::elapsedMs(uint32_t nowMs) const {
    return clampUpdateMs(ticksBetween(lastStep_, nowMs));
}

void NetGame::step(UpdateInput live, uint32_t nowMs) {
    if (turnKeys_) {
        turnArrows(live.keys);
    }
    peer_->step(live);
    lastStep_ = nowMs;
    pointerX_ = live.pointerX;
    pointerY_ = live.pointerY;
}

void NetGame::stepAway(uint32_t nowMs) {
    UpdateInput still;
    still.elapsedMs = elapsedMs(nowMs);
    still.pointerX = pointerX_;
    still.pointerY = pointerY_;
    still.button = ButtonMessage::Released;
    step(still, nowMs);
}

Match NetGame::view() const {
    Match shown = peer_->shown();
    shown.settings.screenWidth = local_.screenWidth;
    shown.settings.screenHeight = local_.screenHeight;
    const bool mirrored = turnKeys_;  // the far view and the turned keys go together
    shown.settings.cameraX = mirrored ? -local_.cameraX : local_.cameraX;
    shown.settings.cameraY = local_.cameraY;
    shown.settings.cameraZ = mirrored ? -local_.cameraZ : local_.cameraZ;
    return shown;
}

std::string NetGame::notice() const {
    return peer_->status();
}

}  // namespace spinvale
