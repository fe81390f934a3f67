// What the network peer has to tell, as data: its events, in order, and its numbers. The
// words for them are all in net_text.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "admission.h"
#include "session.h"
#include "transport.h"

namespace spinvale::net {

// Why the other player is gone.
enum class Gone : uint8_t { Left, Silent, Stalled, Finished };

// The host listens; the guest calls.
struct Hosting {
    uint16_t port = 0;
    std::vector<std::string> addresses;
    std::string code;
};
struct Calling {
    std::string host;
    uint16_t port = 0;
};
// The host: a guest was let in, left before playing, or never started within 15 s.
struct Joined {
    Address from;
};
struct LeftEarly {};
struct NeverStarted {};
// The guest's call ended before the game: unanswered, closed, refused, not let in within
// 15 s, or answered with something it could not read.
struct NoAnswer {
    std::string host;
    uint16_t port = 0;
};
struct HostClosed {};
struct NoWelcome {};
struct RefusedBy {
    Refusal reason = Refusal::WrongCode;
    std::string hostVersion;
    bool watching = false;  // this side asked to watch
};
struct UnreadableAnswer {
    std::string why;
};
struct Started {
    Role other = Role::Guest;
    uint32_t roundTripMs = 0;
    int inputDelay = 0;
};
struct OtherGone {
    Role other = Role::Guest;
    Gone why = Gone::Left;
};
// The two games differ: where both states were written, or why they could not be.
struct Desynced {
    int64_t update = 0;
    std::string path;
    std::string error;
};
struct DumpFailed {
    std::string path;
    std::string error;
};
// The host: a watcher let in, and a watcher gone (it left, or was let go).
enum class WatcherGone : uint8_t { Left, Behind, Flooding };
struct WatcherJoined {
    Address from;
    std::size_t watching = 0;  // watchers now
};
struct WatcherLeft {
    Address from;
    WatcherGone why = WatcherGone::Left;
};
// The watcher: let in, and why the host sends no more.
enum class WatchEnd : uint8_t { Finished, HostLeft, TooFarBehind, Lost };
struct Watching {
    std::string host;
    uint16_t port = 0;
};
struct WatchOver {
    WatchEnd why = WatchEnd::Lost;
};
// The first dropped message of its kind.
struct Malformed {
    Address from;
    std::string why;
};

using NetEvent =
    std::variant<Hosting, Calling, Joined, RefusalSummary, LeftEarly, NeverStarted, NoAnswer,
                 HostClosed, NoWelcome, RefusedBy, UnreadableAnswer, Started, OtherGone, Desynced,
                 DumpFailed, Malformed, WatcherJoined, WatcherLeft, Watching, WatchOver>;

struct NetStats {
    int inputDelay = 0;
    uint32_t roundTripMs = 0;
    RollbackStats rollbacks;
    int64_t hashesCompared = 0;
    TransportCounts transport;
    std::array<int64_t, refusalKinds> refused{};
    int64_t silentVisitors = 0;                // connections that never said hello
    std::map<std::string, int64_t> malformed;  // messages dropped, by what was wrong
};

}  // namespace spinvale::net
