// The match side of the network peer: stepping on the local player's command, the shared
// session's confirmed updates and their hashes, the stop when the two games differ, and the
// computer's paddle once the other player is gone.
#include <algorithm>

#include "net_peer.h"
#include "trace.h"

namespace spinvale::net {

namespace {

constexpr int maxPrediction = 12;

}  // namespace

// The round trip is the time from the last question (the guest's Hello, the host's Welcome)
// to its answer, unless ENet measured a shorter one: a question or answer lost and sent
// again makes the first too long, and ENet's estimate may still be its default of 500 ms.
void NetPeer::start(const GameSettings& settings) {
    roundTripMs_ = std::min(now_ - since_, transport_->roundTripMs(other_));
    inputDelay_ = setup_.inputDelay >= 0 ? setup_.inputDelay : inputDelayFor(roundTripMs_);
    Match begin;
    restartMatch(begin, settings);
    session_.emplace(setup_.role, begin, inputDelay_, maxPrediction);
    progressAt_ = now_;
    enter(PeerState::Playing);
    post(Started{otherRole(setup_.role), roundTripMs_, inputDelay_});
    takeFromSession();
}

void NetPeer::takeFromSession() {
    const bool sharing = state_ == PeerState::Playing || state_ == PeerState::Finishing;
    for (ConfirmedUpdate& update : session_->takeConfirmed()) {
        if (sharing && desync_.local(update)) {
            send(other_, HashCheck{uint32_t(update.number), matchHash(update.after)}, true);
        }
        confirm(std::move(update));
    }
    if (sharing && desync_.mismatch()) {
        stopOnDesync();
    }
}

void NetPeer::stopOnDesync() {
    const int64_t update = *desync_.mismatch();
    send(other_, Desync{uint32_t(update), desync_.localState()}, true);
    enter(PeerState::Desynced);
    std::string error;
    const bool made =
        dump_.begin(setup_.dumpFolder, setup_.role, update, desync_.localState(), error);
    post(Desynced{update, dump_.path(), made ? "" : error});
    if (made && !otherState_.empty()) {
        endDump(otherState_);
    }
}

void NetPeer::endDump(const std::string& otherState) {
    std::string error;
    if (!dump_.end(otherState, error)) {
        post(DumpFailed{dump_.path(), error});
    }
}

void NetPeer::sendInputs() {
    Inputs m;
    m.frame = static_cast<uint32_t>(session_->frame());
    m.ack = static_cast<uint32_t>(session_->remoteCount());
    const int64_t count = session_->localCount();
    const int64_t first = std::max<int64_t>(remoteAck_, count - int64_t(maxPartsPerMessage));
    m.first = static_cast<uint32_t>(first);
    for (int64_t u = first; u < count; ++u) {
        m.parts.push_back(session_->localPart(u));
    }
    m.advantage = pace_.advantage();
    send(other_, m, false);
    lastSent_ = now_;
}

StepReady NetPeer::ready() {
    if (!answer_) {
        answer_ = readiness();
    }
    return *answer_;
}

StepReady NetPeer::readiness() {
    switch (state_) {
        case PeerState::Solo:
            return StepReady::Now;
        case PeerState::Playing:
        case PeerState::PlayingOut:
            if (session_->windowFull()) {
                return StepReady::Later;
            }
            return state_ == PeerState::Playing && pace_.shouldYield(session_->frame())
                       ? StepReady::Skip
                       : StepReady::Now;
        default:
            return StepReady::Later;
    }
}

void NetPeer::step(const UpdateInput& local) {
    answer_.reset();
    if (state_ == PeerState::Solo) {
        return stepSolo(local);
    }
    if (state_ != PeerState::Playing && state_ != PeerState::PlayingOut) {
        return;
    }
    Part part;
    if (setup_.role == Role::Guest) {
        part.keys = guestKeyBits(local.keys);
    } else {
        part.elapsedMs = local.elapsedMs;
        if (setup_.settings.player1Mouse) {  // the computer's paddle takes only the time
            part.pointerX = local.pointerX;
            part.pointerY = local.pointerY;
            part.button = local.button;
        }
    }
    session_->step(part);
    pace_.sample(session_->frame(), remoteFrame_);
    takeFromSession();
    if (state_ == PeerState::Playing) {
        sendInputs();
    }
}

void NetPeer::stepSolo(const UpdateInput& local) {
    UpdateInput input;
    input.elapsedMs = local.elapsedMs;
    if (setup_.role == Role::Host) {
        input.pointerX = local.pointerX;
        input.pointerY = local.pointerY;
        input.button = local.button;
    } else {
        input.keys = mergeParts(Part{}, Part{0, 0, 0, {}, guestKeyBits(local.keys)}).keys;
    }
    stepMatch(solo_, input);
    confirm({++soloUpdates_, input, solo_, soloSettingsNew_});
    soloSettingsNew_ = false;
}

// What the outputs follow, and the host's watchers too.
void NetPeer::confirm(ConfirmedUpdate update) {
    if (setup_.role == Role::Host) {
        feed_.record(update, now_);
    }
    confirmed_.push_back(std::move(update));
}

std::vector<ConfirmedUpdate> NetPeer::takeConfirmed() {
    std::vector<ConfirmedUpdate> taken;
    taken.swap(confirmed_);
    return taken;
}

const Match& NetPeer::shown() const {
    if (state_ == PeerState::Solo) {
        return solo_;
    }
    return session_ ? session_->current() : waiting_;
}

NetStats NetPeer::stats() const {
    NetStats s;
    s.inputDelay = inputDelay_;
    s.roundTripMs = roundTripMs_;
    if (session_) {
        s.rollbacks = session_->stats();
    }
    s.hashesCompared = desync_.compared();
    s.transport = transport_->counts();
    s.refused = admission_.refused();
    s.silentVisitors = admission_.silentVisitors();
    s.malformed = malformed_;
    return s;
}

void NetPeer::goSolo() {
    session_->confirmAsStepped();
    takeFromSession();
    solo_ = session_->current();
    soloUpdates_ = session_->frame();
    if (setup_.role == Role::Host) {
        solo_.settings.player2Keyboard = false;
    } else {
        solo_.settings.player1Mouse = false;
    }
    soloSettingsNew_ = true;
    enter(PeerState::Solo);
}

void NetPeer::alterState(const std::function<void(Match&)>& change) {
    if (session_) {
        session_->alterConfirmedState(change);
    }
}

}  // namespace spinvale::net
