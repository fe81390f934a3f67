#include "net_driver.h"

#include <algorithm>

#include "frame_timing.h"
#include "invite.h"
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

std::string readPastedInvite(const std::string& text, std::string& address, std::string& code) {
    std::string error;
    const std::optional<net::Invite> invite = net::readInvite(text, error);
    if (!invite) {
        return "Cannot read the invite: " + error + ".";
    }
    address = invite->host + ":" + std::to_string(invite->port);
    code = invite->code;
    return "";
}

std::unique_ptr<NetDriver> NetDriver::open(const net::NetSetup& setup, bool farView,
                                           uint32_t tickMs, std::string& error) {
    std::unique_ptr<net::NetPeer> peer = net::NetPeer::open(setup, tickMs, error);
    if (!peer) {
        return nullptr;
    }
    return std::unique_ptr<NetDriver>(new NetDriver(std::move(peer), setup, farView));
}

NetDriver::NetDriver(std::unique_ptr<net::NetPeer> peer, const net::NetSetup& setup, bool farView)
    : peer_(std::move(peer)), local_(setup.settings), farView_(farView) {
    if (setup.askRouter) {
        routerLease_ = setup.routerLeaseSeconds;
    }
}

void NetDriver::poll(uint32_t tickMs, std::vector<std::string>& news) {
    peer_->poll(tickMs);
    for (const net::NetEvent& event : peer_->takeEvents()) {
        news.push_back(net::sentence(event));
        if (const auto* hosting = std::get_if<net::Hosting>(&event)) {
            hosting_ = *hosting;
            if (routerLease_) {
                router_ = std::make_unique<net::RouterMapping>(
                    net::MappingOptions{hosting->port, 3000, *routerLease_});
            }
        }
    }
    followRouter(news);
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

// The waiting page's lines, each said once as it comes; the port let go once the other
// player is gone, for no one else can join.
void NetDriver::followRouter(std::vector<std::string>& news) {
    if (const std::optional<net::WaitingPage> page = waiting()) {
        std::vector<std::string> lines = page->lines;
        lines.push_back(page->inviteLine);
        for (const std::string& line : lines) {
            if (!line.empty() && std::find(told_.begin(), told_.end(), line) == told_.end()) {
                told_.push_back(line);
                news.push_back(line);
            }
        }
    }
    if (!router_) {
        return;
    }
    mapped_ = mapped_ || router_->status().state == net::MappingState::Mapped;
    const net::PeerState state = peer_->state();
    if (!released_ && (state == net::PeerState::Solo || net::isOver(state))) {
        released_ = true;
        router_->release();
    }
}

std::optional<net::WaitingPage> NetDriver::waiting() const {
    if (!hosting_ || peer_->state() != net::PeerState::Hosting) {
        return std::nullopt;
    }
    const std::vector<std::string>& addresses = hosting_->addresses;
    net::HostReach reach{
        hosting_->port, hosting_->code, addresses.empty() ? "" : addresses.front(), {}};
    if (router_) {
        reach.router = router_->status();
    }
    return net::waitingPage(reach);
}

std::optional<DriverPage> NetDriver::page() const {
    const std::optional<net::WaitingPage> waiting = this->waiting();
    if (!waiting) {
        return std::nullopt;
    }
    DriverPage page{{{LineStyle::Title, waiting->title}}, waiting->invite, waiting->copied};
    for (const std::string& line : waiting->lines) {
        page.lines.push_back({LineStyle::Body, line});
    }
    page.lines.push_back({LineStyle::Note, ""});
    if (!waiting->invite.empty()) {
        page.lines.push_back({LineStyle::Selected, waiting->inviteLine});
    }
    page.lines.push_back({LineStyle::Note, waiting->hint});
    return page;
}

std::vector<std::string> NetDriver::close() {
    std::vector<std::string> news;
    if (!net::isOver(peer_->state())) {
        peer_->leave();
    }
    for (const net::NetEvent& event : peer_->takeEvents()) {
        news.push_back(net::sentence(event));
    }
    if (router_) {
        const bool removed = router_->stop();
        if (mapped_) {
            news.push_back(net::routerReleasedText(removed, hosting_->port));
        }
    }
    return news;
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
