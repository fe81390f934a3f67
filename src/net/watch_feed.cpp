#include "watch_feed.h"

#include <algorithm>

namespace spinvale::net {

void WatchFeed::seat(ConnectionId id, const Address& from, uint32_t nowMs) {
    Seat& s = seats_.emplace_back();
    s.id = id;
    s.from = from;
    s.since = s.countSince = nowMs;
}

WatchFeed::Seat* WatchFeed::find(ConnectionId id) {
    const auto found =
        std::find_if(seats_.begin(), seats_.end(), [id](const Seat& s) { return s.id == id; });
    return found != seats_.end() ? &*found : nullptr;
}

const Address* WatchFeed::watcher(ConnectionId id) const {
    for (const Seat& s : seats_) {
        if (s.id == id) {
            return &s.from;
        }
    }
    return nullptr;
}

void WatchFeed::unseat(ConnectionId id) {
    seats_.erase(
        std::remove_if(seats_.begin(), seats_.end(), [id](const Seat& s) { return s.id == id; }),
        seats_.end());
}

std::vector<ConnectionId> WatchFeed::unseatAll() {
    std::vector<ConnectionId> ids;
    for (const Seat& s : seats_) {
        ids.push_back(s.id);
    }
    seats_.clear();
    return ids;
}

void WatchFeed::record(const ConfirmedUpdate& update, uint32_t nowMs) {
    if (ended_ || update.number == 0) {
        return;  // update 0's settings go to a watcher with its welcome
    }
    if (int64_t(commands_.size()) >= mostUpdates) {
        return end();
    }
    if (update.newSettings) {
        changes_.push_back({uint32_t(update.number), update.after.settings});
    }
    commands_.push_back(wholeCommand(update.command));
    confirmedAt_.push_back(nowMs);
}

bool WatchFeed::heard(ConnectionId id, uint32_t nowMs) {
    Seat* s = find(id);
    if (s == nullptr) {
        return true;
    }
    if (nowMs - s->countSince >= 1000) {
        s->countSince = nowMs;
        s->messages = 0;
    }
    return ++s->messages <= messagesPerSecond;
}

bool WatchFeed::acknowledged(ConnectionId id, uint32_t received) {
    Seat* s = find(id);
    if (s == nullptr || int64_t(received) > s->sent || int64_t(received) < s->acked) {
        return false;
    }
    s->acked = received;
    while (!s->unacked.empty() && s->unacked.front().first <= s->acked) {
        s->unackedBytes -= s->unacked.front().second;
        s->unacked.pop_front();
    }
    return true;
}

// Behind by the time since the host had the first update the watcher does not hold, or since
// it joined if that is later.
bool WatchFeed::behind(const Seat& s, uint32_t nowMs) const {
    if (s.acked >= int64_t(commands_.size())) {
        return false;
    }
    const uint32_t had = confirmedAt_[std::size_t(s.acked)];
    return nowMs - (int32_t(had - s.since) > 0 ? had : s.since) >= behindMs;
}

std::vector<WatchFeed::LetGo> WatchFeed::feed(uint32_t nowMs, const Send& send) {
    std::vector<LetGo> letGo;
    for (Seat& s : seats_) {
        if (behind(s, nowMs)) {
            letGo.push_back({s.id, s.from, WatcherGone::Behind});
        } else if (ended_ && s.acked == int64_t(commands_.size())) {
            letGo.push_back({s.id, s.from, std::nullopt});
        } else {
            sendDue(s, nowMs, send);
        }
    }
    for (const LetGo& gone : letGo) {
        unseat(gone.id);
    }
    return letGo;
}

// As much as the bounds allow; a live watcher's few updates wait for the batch's time.
void WatchFeed::sendDue(Seat& s, uint32_t nowMs, const Send& send) {
    const int64_t count = int64_t(commands_.size());
    for (std::size_t budget = bytesPerPoll;
         budget > 0 && s.sent < count && s.unackedBytes < unacknowledgedBytes;) {
        const bool live = count - s.sent < int64_t(maxWatchedPerMessage);
        if (live && !ended_ && nowMs - s.lastSent < batchMs) {
            return;
        }
        const Message message = next(s);
        const auto* commands = std::get_if<Watched>(&message);
        const int64_t upTo =
            commands != nullptr ? s.sent + int64_t(commands->commands.size()) : s.sent;
        const std::size_t before = s.unackedBytes;
        sent(s, send, message, upTo, nowMs);
        budget -= std::min(budget, s.unackedBytes - before);
    }
}

// The settings that hold from the next update, else the updates up to the next change.
Message WatchFeed::next(const Seat& s) const {
    const int64_t from = s.sent + 1;
    int64_t upTo = std::min<int64_t>(int64_t(commands_.size()), s.sent + maxWatchedPerMessage);
    if (s.changesSent < changes_.size()) {
        const WatchSettings& change = changes_[s.changesSent];
        if (change.update == from) {
            return change;
        }
        upTo = std::min<int64_t>(upTo, change.update - 1);
    }
    Watched m{uint32_t(from), uint32_t(commands_.size()), {}};
    m.commands.assign(commands_.begin() + (from - 1), commands_.begin() + upTo);
    return m;
}

void WatchFeed::sent(Seat& s, const Send& send, const Message& message, int64_t upTo,
                     uint32_t nowMs) {
    const std::vector<uint8_t> bytes = encode(message, Role::Host);
    send(s.id, bytes);
    bytesSent_ += bytes.size();
    s.changesSent += std::holds_alternative<WatchSettings>(message) ? 1 : 0;
    s.sent = upTo;
    s.unacked.emplace_back(upTo, bytes.size());
    s.unackedBytes += bytes.size();
    s.lastSent = nowMs;
}

}  // namespace spinvale::net
