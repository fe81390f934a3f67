#include "watch_peer.h"

#include "net_text.h"

namespace spinvale::net {

namespace {

constexpr uint32_t callMs = 5000;        // for the call to be answered
constexpr uint32_t handshakeMs = 15000;  // from the Hello to the host's answer
// The host sends more as what it sent is acknowledged: news of more updates goes at once (at
// most every 25 ms), and the count again every quarter second in case one was lost.
constexpr uint32_t ackMs = 25;
constexpr uint32_t repeatAckMs = 250;
// Never more held than a host keeps of a game.
constexpr std::size_t mostWaiting = std::size_t(WatchFeed::mostUpdates);

WatchEnd endFor(uint32_t goodbye) {
    return goodbye == uint32_t(Goodbye::Finished) ? WatchEnd::Finished
           : goodbye == uint32_t(Goodbye::Left)   ? WatchEnd::HostLeft
           : goodbye == uint32_t(Goodbye::Behind) ? WatchEnd::TooFarBehind
                                                  : WatchEnd::Lost;
}

}  // namespace

WatchPeer::WatchPeer(const NetSetup& setup, std::unique_ptr<Transport> transport, uint32_t nowMs)
    : setup_(setup), transport_(std::move(transport)), now_(nowMs), since_(nowMs) {
    post(Calling{setup_.hostName, setup_.port});
}

WatchPeer::~WatchPeer() {
    leave();
}

void WatchPeer::poll(uint32_t nowMs) {
    now_ = neverBack(now_, nowMs);
    for (const TransportEvent& event : transport_->receive(now_)) {
        std::visit([this](const auto& e) { handle(e); }, event);
    }
    const uint32_t inState = now_ - since_;
    if (state_ == WatchState::Calling && inState >= callMs) {
        transport_->reset(host_);
        post(NoAnswer{setup_.hostName, setup_.port});
        enter(WatchState::Unwatched);
    } else if (state_ == WatchState::Asking && inState >= handshakeMs) {
        transport_->close(host_, Goodbye::Left);
        post(NoWelcome{});
        enter(WatchState::Unwatched);
    } else if (state_ == WatchState::Watching) {
        acknowledge();
    }
    transport_->flush();
}

void WatchPeer::handle(const Connected& e) {
    if (state_ != WatchState::Calling) {
        return;
    }
    host_ = e.id;
    hostAddress_ = e.from;
    transport_->tolerateSilence(host_, 15000);  // as the host does for its watchers
    const CodeField code = readJoinCode(setup_.code).value_or(CodeField{});
    Hello hello{protocolVersion, SPINVALE_VERSION, matchBuildHash(), code, true};
    transport_->send(host_, encode(hello, Role::Guest), true);
    enter(WatchState::Asking);
}

void WatchPeer::handle(const Received& e) {
    if (e.id != host_ || (state_ != WatchState::Asking && state_ != WatchState::Watching)) {
        return;
    }
    std::string why;
    const std::optional<Message> message = decode(e.bytes.data(), e.bytes.size(), Role::Host, why);
    if (!message && state_ == WatchState::Asking) {
        post(UnreadableAnswer{why});
        transport_->close(host_, Goodbye::Left);
        return enter(WatchState::Unwatched);
    }
    if (!message) {
        return dropped(why);
    }
    if (state_ == WatchState::Asking) {
        return answered(*message);
    }
    if (const auto* updates = std::get_if<Watched>(&*message)) {
        on(*updates);
    } else if (const auto* settings = std::get_if<WatchSettings>(&*message)) {
        on(*settings);
    } else {
        dropped("a message out of turn");
    }
}

void WatchPeer::handle(const Disconnected& e) {
    if (e.id != host_) {
        return;
    }
    switch (state_) {
        case WatchState::Calling:
            post(NoAnswer{setup_.hostName, setup_.port});
            return enter(WatchState::Unwatched);
        case WatchState::Asking:
            post(HostClosed{});
            return enter(WatchState::Unwatched);
        case WatchState::Watching:
            post(WatchOver{endFor(e.reason)});
            return enter(WatchState::Over);
        default:
            return;
    }
}

// The host's answer to the Hello: let in, with the settings the match starts with, or not.
void WatchPeer::answered(const Message& message) {
    if (const auto* welcome = std::get_if<Welcome>(&message)) {
        start_ = welcome->settings;
        post(Watching{setup_.hostName, setup_.port});
        return enter(WatchState::Watching);
    }
    if (const auto* refused = std::get_if<Refused>(&message)) {
        post(RefusedBy{refused->reason, refused->hostVersion, true});
        return enter(WatchState::Unwatched);
    }
    dropped("a message out of turn");
}

// The updates come in order on a reliable channel: each message takes up where the last
// ended.
void WatchPeer::on(const Watched& m) {
    if (m.first != received_ + 1 || waiting_.size() + m.commands.size() > mostWaiting) {
        return dropped("updates that do not follow those received");
    }
    for (const Part& part : m.commands) {
        waiting_.push_back({mergeParts(part, part), nextSettings_});
        nextSettings_.reset();
        waitingMs_ += part.elapsedMs;
    }
    received_ += int64_t(m.commands.size());
    hostAt_ = std::max<int64_t>(hostAt_, m.hostAt);
}

void WatchPeer::on(const WatchSettings& m) {
    if (m.update != received_ + 1) {
        return dropped("settings for an update that does not follow");
    }
    nextSettings_ = m.settings;
}

WatchedUpdate WatchPeer::take() {
    WatchedUpdate next = std::move(waiting_.front());
    waiting_.pop_front();
    waitingMs_ -= next.command.elapsedMs;
    return next;
}

void WatchPeer::acknowledge() {
    const uint32_t since = now_ - ackedAt_;
    if ((received_ != acked_ && since >= ackMs) || since >= repeatAckMs) {
        transport_->send(host_, encode(WatchAck{uint32_t(received_)}, Role::Guest), false);
        acked_ = received_;
        ackedAt_ = now_;
    }
}

void WatchPeer::dropped(const std::string& why) {
    if (malformed_[why]++ == 0) {
        post(Malformed{hostAddress_, why});
    }
}

std::vector<NetEvent> WatchPeer::takeEvents() {
    std::vector<NetEvent> taken;
    taken.swap(events_);
    return taken;
}

NetStats WatchPeer::stats() const {
    NetStats s;
    s.transport = transport_->counts();
    s.malformed = malformed_;
    return s;
}

void WatchPeer::leave() {
    if (state_ == WatchState::Calling || state_ == WatchState::Asking ||
        state_ == WatchState::Watching) {
        transport_->close(host_, Goodbye::Left);
        transport_->linger();
        enter(WatchState::Over);
    }
}

void WatchPeer::enter(WatchState state) {
    state_ = state;
    since_ = now_;
}

void WatchPeer::post(NetEvent event) {
    if (std::optional<std::string> text = screenText(event)) {
        status_ = std::move(*text);
    }
    events_.push_back(std::move(event));
}

}  // namespace spinvale::net
