// The host's watchers: let in with the game's code, fed its confirmed updates each poll
// (watch_feed.h), heard only for their acknowledgements, and let go with a reason.
#include "net_peer.h"

namespace spinvale::net {

namespace {

// A watcher's process stopped for a while is caught up, or let go with the reason, before
// either side's transport gives the connection up.
constexpr uint32_t watcherSilenceMs = 15000;

}  // namespace

void NetPeer::letWatch(ConnectionId id, const Address& from) {
    feed_.seat(id, from, now_);
    transport_->tolerateSilence(id, watcherSilenceMs);
    send(id, Welcome{setup_.settings}, true);
    post(WatcherJoined{from, feed_.watching()});
}

// A watcher says only how many updates it holds; anything else is counted and dropped, and a
// watcher that floods the host is let go.
void NetPeer::fromWatcher(ConnectionId id, const std::vector<uint8_t>& bytes) {
    const Address from = *feed_.watcher(id);
    if (!feed_.heard(id, now_)) {
        transport_->close(id, Goodbye::Silent);
        return watcherGone(id, WatcherGone::Flooding);
    }
    std::string why;
    const std::optional<Message> message = decode(bytes.data(), bytes.size(), Role::Guest, why);
    const auto* ack = message ? std::get_if<WatchAck>(&*message) : nullptr;
    if (ack == nullptr) {
        return dropped(from, message ? "a message out of turn" : why);
    }
    if (!feed_.acknowledged(id, ack->received)) {
        dropped(from, "an acknowledgement of updates never sent");
    }
}

void NetPeer::watcherGone(ConnectionId id, WatcherGone why) {
    post(WatcherLeft{*feed_.watcher(id), why});
    feed_.unseat(id);
}

void NetPeer::feedWatchers() {
    const auto send = [this](ConnectionId id, const std::vector<uint8_t>& bytes) {
        transport_->send(id, bytes, true);
    };
    for (const WatchFeed::LetGo& gone : feed_.feed(now_, send)) {
        transport_->close(gone.id, gone.why ? Goodbye::Behind : Goodbye::Finished);
        if (gone.why) {
            post(WatcherLeft{gone.from, *gone.why});
        }
    }
}

// The updates not yet sent go first, as far as the bounds allow; then the goodbye.
void NetPeer::endWatching(Goodbye why) {
    feed_.end();
    feedWatchers();
    for (ConnectionId id : feed_.unseatAll()) {
        transport_->close(id, why);
    }
}

}  // namespace spinvale::net
