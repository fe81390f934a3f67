#include "admission.h"

#include <algorithm>

namespace spinvale::net {

namespace {

constexpr std::size_t mostAddresses = 256;  // remembered for their wrong codes
constexpr uint32_t forgetMs = 10 * 60 * 1000;

}  // namespace

void Admission::arrived(ConnectionId id, const Address& from, uint32_t nowMs) {
    visitors_.push_back({id, from, nowMs});
}

const Address* Admission::visitor(ConnectionId id) const {
    for (const Visitor& v : visitors_) {
        if (v.id == id) {
            return &v.from;
        }
    }
    return nullptr;
}

void Admission::left(ConnectionId id) {
    visitors_.erase(std::remove_if(visitors_.begin(), visitors_.end(),
                                   [id](const Visitor& v) { return v.id == id; }),
                    visitors_.end());
}

std::optional<Refusal> Admission::greet(ConnectionId id, const Hello& hello, const Room& room,
                                        uint32_t nowMs) {
    const Address from = visitor(id) != nullptr ? *visitor(id) : Address{};
    left(id);
    const std::optional<Refusal> refusal = judge(hello, from, room, nowMs);
    if (refusal) {
        ++refused_[indexOf(*refusal)];
        ++pending_.counts[indexOf(*refusal)];
        pending_.lastFrom = from;
    }
    return refusal;
}

std::optional<Refusal> Admission::judge(const Hello& hello, const Address& from, const Room& room,
                                        uint32_t nowMs) {
    if (hello.protocol != protocolVersion) {
        return Refusal::OtherProtocol;
    }
    Strikes* strikes = strikesOf(from.ip, nowMs);
    if (strikes != nullptr && int32_t(strikes->waitUntil - nowMs) > 0) {
        return Refusal::TooManyTries;
    }
    if (!sameJoinCode(hello.code, code_)) {
        wrongCode(from.ip, nowMs);
        return Refusal::WrongCode;
    }
    if (strikes != nullptr) {
        strikes_.erase(strikes_.begin() + (strikes - strikes_.data()));
    }
    if (hello.matchBuild != build_) {
        return Refusal::OtherBuild;
    }
    if (hello.watching) {
        return !room.watching      ? std::optional(Refusal::NoWatchers)
               : !room.watcherSeat ? std::optional(Refusal::WatchersFull)
                                   : std::nullopt;
    }
    if (!room.player) {
        return Refusal::GameTaken;
    }
    return std::nullopt;
}

Admission::Strikes* Admission::strikesOf(uint32_t ip, uint32_t nowMs) {
    strikes_.erase(std::remove_if(strikes_.begin(), strikes_.end(),
                                  [nowMs](const Strikes& s) { return nowMs - s.last >= forgetMs; }),
                   strikes_.end());
    const auto found = std::find_if(strikes_.begin(), strikes_.end(),
                                    [ip](const Strikes& s) { return s.ip == ip; });
    return found != strikes_.end() ? &*found : nullptr;
}

// After the free tries, each wrong code doubles the wait: 1 s, 2 s, 4 s ... up to 64 s.
void Admission::wrongCode(uint32_t ip, uint32_t nowMs) {
    Strikes* strikes = strikesOf(ip, nowMs);
    if (strikes == nullptr) {
        if (strikes_.size() >= mostAddresses) {
            strikes_.erase(std::min_element(strikes_.begin(), strikes_.end(),
                                            [nowMs](const Strikes& a, const Strikes& b) {
                                                return nowMs - a.last > nowMs - b.last;
                                            }));
        }
        strikes = &strikes_.emplace_back(Strikes{ip, 0, nowMs, nowMs});
    }
    ++strikes->wrong;
    strikes->last = nowMs;
    if (strikes->wrong > freeTries) {
        const int doublings = std::min(strikes->wrong - freeTries - 1, 6);
        strikes->waitUntil = nowMs + std::min(longestWaitMs, 1000u << doublings);
    }
}

std::vector<ConnectionId> Admission::overdue(uint32_t nowMs) {
    const uint32_t limit = visitors_.size() >= crowd ? crowdedHelloMs : helloMs;
    std::vector<ConnectionId> late;
    for (const Visitor& v : visitors_) {
        if (nowMs - v.since >= limit) {
            late.push_back(v.id);
        }
    }
    for (ConnectionId id : late) {
        left(id);
    }
    silentVisitors_ += static_cast<int64_t>(late.size());
    return late;
}

std::optional<RefusalSummary> Admission::summary(uint32_t nowMs, bool now) {
    int64_t total = 0;
    for (int64_t count : pending_.counts) {
        total += count;
    }
    if (total == 0 || (!now && lastSummary_ && nowMs - *lastSummary_ < summaryMs)) {
        return std::nullopt;
    }
    lastSummary_ = nowMs;
    const RefusalSummary told = pending_;
    pending_ = {};
    return told;
}

}  // namespace spinvale::net
