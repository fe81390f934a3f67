// Who the host lets in. A connection is a visitor until its Hello, and is then let in or
// refused. It has 10 s to say it (a Hello that arrives before the host has counted the
// connection open is dropped by ENet, and sent again after 0.5 s, 1 s, 2 s, 4 s ...), or a
// second while 8 visitors wait. The refusal
// tells a stranger nothing before the code is right: another protocol (whose code cannot be read),
// an address that guessed too often, the code, and only then the match build and whether a game is
// on (for a watcher: whether watching is allowed and a seat free). An address gets a few wrong
// codes free; after those it waits, longer after each further one, whatever address a real guest
// calls from. Refusals reach the log as a count, at most once every 10 s.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "join_code.h"
#include "transport.h"

namespace spinvale::net {

constexpr std::size_t refusalKinds = std::size(refusals);

inline std::size_t indexOf(Refusal reason) {
    return static_cast<std::size_t>(reason) - 1;
}

// What a host has room for: a player while no game is on, a watcher while watching is
// allowed and a seat is free.
struct Room {
    bool player = true;
    bool watching = false;
    bool watcherSeat = false;
};

// Refusals since the last summary, by reason, and where the last came from.
struct RefusalSummary {
    std::array<int64_t, refusalKinds> counts{};
    Address lastFrom;
};

class Admission {
  public:
    static constexpr uint32_t helloMs = 10000;
    static constexpr uint32_t crowdedHelloMs = 1000;
    static constexpr std::size_t crowd = 8;
    static constexpr uint32_t summaryMs = 10000;
    static constexpr int freeTries = 3;
    static constexpr uint32_t longestWaitMs = 64000;

    Admission(const CodeField& code, uint64_t build) : code_(code), build_(build) {}

    void arrived(ConnectionId id, const Address& from, uint32_t nowMs);
    // Where a visitor calls from; nothing when the connection is not a visitor.
    const Address* visitor(ConnectionId id) const;
    void left(ConnectionId id);
    // A visitor's Hello: nothing when it is let in, else why not. Either way it is a
    // visitor no more.
    std::optional<Refusal> greet(ConnectionId id, const Hello& hello, const Room& room,
                                 uint32_t nowMs);
    // The visitors whose time to say hello has run out; they are visitors no more.
    std::vector<ConnectionId> overdue(uint32_t nowMs);
    // The refusals not yet told, when there are some and the last summary is 10 s old (or
    // at once with `now`).
    std::optional<RefusalSummary> summary(uint32_t nowMs, bool now = false);
    // Every refusal, by reason, and the visitors that never said hello.
    const std::array<int64_t, refusalKinds>& refused() const { return refused_; }
    int64_t silentVisitors() const { return silentVisitors_; }

  private:
    struct Visitor {
        ConnectionId id;
        Address from;
        uint32_t since;
    };
    struct Strikes {
        uint32_t ip;
        int wrong;
        uint32_t last;       // the last wrong code
        uint32_t waitUntil;  // no code is looked at before then
    };
    std::optional<Refusal> judge(const Hello& hello, const Address& from, const Room& room,
                                 uint32_t nowMs);
    Strikes* strikesOf(uint32_t ip, uint32_t nowMs);
    void wrongCode(uint32_t ip, uint32_t nowMs);

    CodeField code_;
    uint64_t build_;
    std::vector<Visitor> visitors_;
    std::vector<Strikes> strikes_;
    RefusalSummary pending_;
    std::optional<uint32_t> lastSummary_;
    std::array<int64_t, refusalKinds> refused_{};
    int64_t silentVisitors_ = 0;
};

}  // namespace spinvale::net
