#include "net_driver.h"

#include "frame_timing.h"
#include "net_text.h"

namespace spinvale {

void turnArrows(KeySet& keys) {
    const bool left = keys[KeyLeft], right = keys[KeyRight], up = keys[KeyUp], down = keys[KeyDown];
    keys[KeyLeft] = right;
    keys[KeyRight] = left;
    keys[KeyUp] = down;
    keys[KeyDown] = up;
}

UpdateInput stillCommand(uint32_t elapsedMs, int32_t pointerX, int32_t pointerY) {
    UpdateInput still;
    still.elapsedMs = elapsedMs;
    still.pointerX = pointerX;
    still.pointerY = pointerY;
    still.button = ButtonMessage::Released;
    return still;
}

std::string readJoinRequest(const std::string& address, const std::string& code,
                            net::NetSetup& setup) {
    std::string error;
    if (address.empty()) {
        return "Type the host's address first.";
    }
    if (!net::readJoinAddress(address, setup.hostName, setup.port, error)) {
        return "Cannot join: " + error + ".";
    }
    if (!net::readJoinCode(code)) {
        return code.empty() ? "Type the join code the host shows."
                            : std::string("A join code is ") + net::joinCodeRule + ".";
    }
    setup.role = net::Role::Guest;
    setup.code = code;
    return "";
}

std::unique_ptr<NetDriver> NetDriver::open(const net::NetSetup& setup, bool farView,
                                           uint32_t tickMs, std::string& error) {
    std::unique_ptr<net::NetPeer> peer = net::NetPeer::open(setup, tickMs, error);
    if (!peer) {
        return nullptr;
    }
    return std::unique_ptr<NetDriver>(new NetDriver(std::move(peer), setup.settings, farView));
}

NetDriver::NetDriver(std::unique_ptr<net::NetPeer> peer, const GameSettings& local, bool farView)
    : peer_(std::move(peer)), local_(local), farView_(farView) {}

void NetDriver::poll(uint32_t tickMs, std::vector<std::string>& news) {
    peer_->poll(tickMs);
    for (const net::NetEvent& event : peer_->takeEvents()) {
        news.push_back(net::sentence(event));
    }
    const bool playing = net::isPlaying(peer_->state());
    if (playing && !playing_) {
        lastStep_ = tickMs;  // the first update's time counts from the start of play
    }
    playing_ = playing;
}

// The player's command, or a still one while they are away; the elapsed time is the time
// since the last update.
void NetDriver::step(uint32_t tickMs, bool away, CommandSource& commands) {
    const uint32_t elapsedMs = clampUpdateMs(ticksBetween(lastStep_, tickMs));
    std::optional<UpdateInput> command =
        away ? stillCommand(elapsedMs, pointerX_, pointerY_) : commands.take(elapsedMs);
    if (!command) {
        return;
    }
    if (farView_) {
        turnArrows(command->keys);
    }
    peer_->step(*command);
    lastStep_ = tickMs;
    pointerX_ = command->pointerX;
    pointerY_ = command->pointerY;
}

DriverFrame NetDriver::frame(uint32_t tickMs, bool away, CommandSource& commands) {
    DriverFrame frame;
    const KeySet keys = commands.keys();
    if (keys[KeyEscape]) {
        peer_->leave();  // the other player is told
        frame.intents.emplace_back(Quit{});
        return frame;
    }
    if (keys[KeyF1]) {
        frame.intents.emplace_back(ToggleFullscreen{});  // the window only
    }
    poll(tickMs, frame.news);
    // Asked once a frame: the answer also keeps the pace between the two sides.
    const net::StepReady ready = peer_->ready();
    if (ready == net::StepReady::Now) {
        step(tickMs, away, commands);
    }
    frame.leftOut = ready == net::StepReady::Skip;
    for (net::ConfirmedUpdate& u : peer_->takeConfirmed()) {
        frame.updates.push_back({u.number, u.command, u.after,
                                 u.newSettings ? std::optional(u.after.settings) : std::nullopt,
                                 std::nullopt});
    }
    return frame;
}

Match NetDriver::shown() const {
    Match shown = peer_->shown();
    shown.settings.simpleGraphics = local_.simpleGraphics;
    shown.settings.screenWidth = local_.screenWidth;
    shown.settings.screenHeight = local_.screenHeight;
    // The far view and the turned arrows go together.
    shown.settings.cameraX = farView_ ? -local_.cameraX : local_.cameraX;
    shown.settings.cameraY = local_.cameraY;
    shown.settings.cameraZ = farView_ ? -local_.cameraZ : local_.cameraZ;
    return shown;
}

}  // namespace spinvale
