#include "net_peer.h"

#include <algorithm>

#include "net_text.h"

namespace spinvale::net {

namespace {

constexpr uint32_t callMs = 5000;        // for a guest's call to be answered
constexpr uint32_t handshakeMs = 15000;  // from the Hello to the welcome, and on to the parts
constexpr uint32_t silenceMs = 5000;     // for the other player's game to move
constexpr uint32_t resendMs = 50;

Gone goneFor(uint32_t goodbye) {
    return goodbye == uint32_t(Goodbye::Left)       ? Gone::Left
           : goodbye == uint32_t(Goodbye::Finished) ? Gone::Finished
                                                    : Gone::Silent;
}

}  // namespace

bool isOver(PeerState state) {
    return state == PeerState::Ended || state == PeerState::Unplayed ||
           state == PeerState::Desynced;
}

bool isPlaying(PeerState state) {
    return state == PeerState::Playing || state == PeerState::PlayingOut ||
           state == PeerState::Finishing || state == PeerState::Solo;
}

NetPeer::NetPeer(const NetSetup& setup, std::unique_ptr<Transport> transport,
                 const std::vector<std::string>& addresses, uint32_t nowMs)
    : setup_(setup),
      transport_(std::move(transport)),
      code_(readJoinCode(setup.code).value_or(CodeField{})),
      build_(matchBuildHash()),
      admission_(code_, build_),
      now_(nowMs),
      since_(nowMs) {
    setup_.code.assign(code_.data(), joinCodeLength);
    if (setup_.role == Role::Host) {
        setup_.settings.player2Keyboard = true;  // player 2 is the guest, a person
        post(Hosting{setup_.port, addresses, setup_.code});
    } else {
        state_ = PeerState::Calling;
        post(Calling{setup_.hostName, setup_.port});
    }
    restartMatch(waiting_, setup_.settings);
}

NetPeer::~NetPeer() {
    leave();
}

void NetPeer::poll(uint32_t nowMs) {
    now_ = neverBack(now_, nowMs);
    answer_.reset();
    for (const TransportEvent& event : transport_->receive(now_)) {
        std::visit([this](const auto& e) { handle(e); }, event);
    }
    keepTime();
    if (state_ == PeerState::Playing && now_ - lastSent_ >= resendMs) {
        sendInputs();
    }
    feedWatchers();
    transport_->flush();
}

// The connection to the other player, in the states that have one.
bool NetPeer::holdsOther() const {
    switch (state_) {
        case PeerState::Calling:
        case PeerState::Asking:
        case PeerState::Welcomed:
        case PeerState::Playing:
        case PeerState::Finishing:
        case PeerState::Desynced:
            return true;
        default:
            return false;
    }
}

void NetPeer::handle(const Connected& e) {
    if (setup_.role == Role::Host) {
        admission_.arrived(e.id, e.from, now_);
    } else if (state_ == PeerState::Calling) {
        other_ = e.id;
        otherAddress_ = e.from;
        Hello hello;
        hello.protocol = setup_.claimedProtocol;
        hello.gameVersion = SPINVALE_VERSION;
        hello.matchBuild = setup_.claimedBuild.value_or(build_);
        hello.code = code_;
        send(other_, hello, true);
        enter(PeerState::Asking);
    }
}

void NetPeer::handle(const Received& e) {
    if (e.id == other_ && holdsOther()) {
        fromOther(e.bytes);
    } else if (feed_.watcher(e.id) != nullptr) {
        fromWatcher(e.id, e.bytes);
    } else if (setup_.role == Role::Host && admission_.visitor(e.id) != nullptr) {
        fromVisitor(e.id, e.bytes);
    }
}

void NetPeer::handle(const Disconnected& e) {
    if (admission_.visitor(e.id) != nullptr) {
        admission_.left(e.id);
    }
    if (feed_.watcher(e.id) != nullptr) {
        return watcherGone(e.id, WatcherGone::Left);
    }
    if (e.id != other_ || !holdsOther()) {
        return;
    }
    switch (state_) {
        case PeerState::Calling:
            post(NoAnswer{setup_.hostName, setup_.port});
            return enter(PeerState::Unplayed);
        case PeerState::Asking:
            post(HostClosed{});
            return enter(PeerState::Unplayed);
        case PeerState::Welcomed:
            post(LeftEarly{});
            return enter(PeerState::Hosting);
        case PeerState::Playing:
            return otherGone(goneFor(e.reason));
        case PeerState::Finishing:
            return enter(PeerState::Ended);
        default:
            return;  // stopped on a desync: the other game's state may never come
    }
}

// A visitor's only message is its Hello: the host lets it in or refuses it, and refusals
// are said before the connection closes.
void NetPeer::fromVisitor(ConnectionId id, const std::vector<uint8_t>& bytes) {
    const Address from = *admission_.visitor(id);
    std::string why;
    const std::optional<Message> message = decode(bytes.data(), bytes.size(), Role::Guest, why);
    const auto* hello = message ? std::get_if<Hello>(&*message) : nullptr;
    if (hello == nullptr) {
        return dropped(from, message ? "a message before the handshake" : why);
    }
    const Room room{state_ == PeerState::Hosting, setup_.watchers, feed_.seatFree()};
    if (const auto refusal = admission_.greet(id, *hello, room, now_)) {
        send(id, Refused{*refusal, SPINVALE_VERSION}, true);
        return transport_->close(id, Goodbye::Left);
    }
    if (hello->watching) {
        return letWatch(id, from);
    }
    other_ = id;
    otherAddress_ = from;
    send(other_, Welcome{setup_.settings}, true);
    post(Joined{from});
    enter(PeerState::Welcomed);
}

void NetPeer::fromOther(const std::vector<uint8_t>& bytes) {
    std::string why;
    const std::optional<Message> message =
        decode(bytes.data(), bytes.size(), otherRole(setup_.role), why);
    if (!message && state_ == PeerState::Asking) {  // the host speaks what this game cannot read
        post(UnreadableAnswer{why});
        transport_->close(other_, Goodbye::Left);
        return enter(PeerState::Unplayed);
    }
    if (!message) {
        return dropped(otherAddress_, why);
    }
    lastHeard_ = now_;
    std::visit([this](const auto& m) { on(m); }, *message);
}

void NetPeer::on(const Hello&) {
    outOfTurn();
}

void NetPeer::outOfTurn() {
    dropped(otherAddress_, "a message out of turn");
}

void NetPeer::on(const Welcome& m) {
    if (state_ != PeerState::Asking) {
        return outOfTurn();
    }
    start(m.settings);
}

void NetPeer::on(const Refused& m) {
    if (state_ != PeerState::Asking) {
        return outOfTurn();
    }
    post(RefusedBy{m.reason, m.hostVersion});
    enter(PeerState::Unplayed);
}

void NetPeer::on(const Inputs& m) {
    if (state_ == PeerState::Welcomed) {
        start(setup_.settings);  // the guest has started: so does the host
    }
    if (state_ == PeerState::Desynced) {
        return;
    }
    if ((state_ != PeerState::Playing && state_ != PeerState::Finishing) ||
        m.ack > session_->localCount() || !session_->receive(m.first, m.parts)) {
        // The other side cannot hold more of this side's parts than were made.
        return dropped(otherAddress_, "parts that do not fit the game");
    }
    remoteAck_ = std::max<int64_t>(remoteAck_, m.ack);
    remoteFrame_ = std::max<int64_t>(remoteFrame_, m.frame);
    pace_.remoteAdvantage(m.advantage);
    takeFromSession();
}

void NetPeer::on(const HashCheck& m) {
    if (state_ == PeerState::Desynced) {
        return;
    }
    // The other side confirms no update this side has not made its part of.
    if ((state_ != PeerState::Playing && state_ != PeerState::Finishing) ||
        m.update > session_->localCount() || !desync_.remote(m.update, m.hash)) {
        return dropped(otherAddress_, "a hash out of turn");
    }
    if (desync_.mismatch()) {
        stopOnDesync();
    }
}

void NetPeer::on(const Desync& m) {
    if (!session_) {
        return outOfTurn();
    }
    otherState_ = m.state;
    if (dump_.writing()) {
        endDump(otherState_);
    }
}

void NetPeer::keepTime() {
    keepVisitors();
    const uint32_t inState = now_ - since_;
    if (state_ == PeerState::Calling && inState >= callMs) {
        transport_->reset(other_);
        post(NoAnswer{setup_.hostName, setup_.port});
        enter(PeerState::Unplayed);
    } else if (state_ == PeerState::Asking && inState >= handshakeMs) {
        transport_->close(other_, Goodbye::Left);
        post(NoWelcome{});
        enter(PeerState::Unplayed);
    } else if (state_ == PeerState::Welcomed && inState >= handshakeMs) {
        transport_->close(other_, Goodbye::Silent);
        post(NeverStarted{});
        enter(PeerState::Hosting);
    } else if (state_ == PeerState::Playing && !progressing()) {
        transport_->close(other_, Goodbye::Silent);
        otherGone(now_ - lastHeard_ >= silenceMs ? Gone::Silent : Gone::Stalled);
    } else if (state_ == PeerState::PlayingOut && session_->frame() >= session_->remoteCount()) {
        goSolo();
    } else if (state_ == PeerState::Finishing &&
               (remoteAck_ >= session_->localCount() || inState >= silenceMs)) {
        transport_->close(other_, Goodbye::Finished);
        transport_->linger();
        enter(PeerState::Ended);
    }
}

// Visitors that do not say hello in time are let go; refusals are told in sums.
void NetPeer::keepVisitors() {
    for (ConnectionId id : admission_.overdue(now_)) {
        transport_->close(id, Goodbye::Silent);
    }
    if (const auto refused = admission_.summary(now_)) {
        post(*refused);
    }
}

// The other player's game is alive while its parts keep coming, or while it holds as many
// as this side made (then this side is the one to wait for).
bool NetPeer::progressing() {
    const int64_t count = session_->remoteCount();
    if (count > progressCount_ || count >= session_->localCount()) {
        progressCount_ = count;
        progressAt_ = now_;
    }
    return now_ - progressAt_ < silenceMs;
}

void NetPeer::send(ConnectionId to, const Message& message, bool reliable) {
    transport_->send(to, encode(message, setup_.role), reliable);
}

void NetPeer::sendRaw(const std::vector<uint8_t>& bytes) {
    if (holdsOther()) {
        transport_->send(other_, bytes, true);
    }
}

void NetPeer::dropped(const Address& from, const std::string& why) {
    if (malformed_[why]++ == 0) {
        post(Malformed{from, why});
    }
}

std::vector<NetEvent> NetPeer::takeEvents() {
    std::vector<NetEvent> taken;
    taken.swap(events_);
    return taken;
}

// The other player's parts that arrived are played out; then the computer takes its paddle.
void NetPeer::otherGone(Gone why) {
    if (why != Gone::Finished) {
        post(OtherGone{otherRole(setup_.role), why});
    }
    enter(PeerState::PlayingOut);
}

void NetPeer::finish() {
    if (state_ == PeerState::Playing) {
        enter(PeerState::Finishing);
    } else {
        leave();
    }
}

void NetPeer::leave() {
    if (holdsOther()) {
        transport_->close(other_, Goodbye::Left);
    }
    if (dump_.writing()) {
        endDump("");
    }
    endWatching(Goodbye::Left);
    if (const auto refused = admission_.summary(now_, true)) {
        post(*refused);
    }
    transport_->linger();
    if (!isOver(state_)) {
        enter(PeerState::Ended);
    }
}

void NetPeer::enter(PeerState state) {
    state_ = state;
    since_ = now_;
    if (isOver(state)) {
        feed_.end();  // the watchers are sent what is left of the game, then let go
    }
}

void NetPeer::post(NetEvent event) {
    if (std::optional<std::string> text = screenText(event)) {
        status_ = std::move(*text);
    }
    events_.push_back(std::move(event));
}

}  // namespace spinvale::net
