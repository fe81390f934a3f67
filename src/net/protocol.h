// The messages the two players' games send each other, and their bytes. Whatever arrives is
// decoded here and checked whole (length, type, ranges) before anything else sees it; a
// message that fails is dropped, with the reason for the drop counter's report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "match.h"

namespace spinvale::net {

// Raised whenever a message's layout or meaning changes: games of different protocols refuse
// each other at the handshake.
constexpr uint16_t protocolVersion = 3;
constexpr uint16_t defaultPort = 27455;
// No message carries more update parts than this, nor a longer text than these.
constexpr std::size_t maxPartsPerMessage = 64;
constexpr std::size_t maxWatchedPerMessage = 128;
// A host lets at most this many watchers follow its game.
constexpr std::size_t watcherSeats = 8;
constexpr std::size_t maxVersionText = 32;
constexpr std::size_t maxStateText = 4096;
constexpr std::size_t joinCodeField = 8;
constexpr std::size_t joinCodeLength = 6;

// The two ends of a network game, numbered as the players they are.
enum class Role : uint8_t { Host = 1, Guest = 2 };

inline Role otherRole(Role role) {
    return role == Role::Host ? Role::Guest : Role::Host;
}

// One player's share of an update's command. The host's is the elapsed time, the pointer and
// the button's news; the guest's is its keys (guestKeyBits).
struct Part {
    uint32_t elapsedMs = 0;
    int32_t pointerX = 0;
    int32_t pointerY = 0;
    ButtonMessage button = ButtonMessage::None;
    uint8_t keys = 0;

    bool operator==(const Part& o) const {
        return elapsedMs == o.elapsedMs && pointerX == o.pointerX && pointerY == o.pointerY &&
               button == o.button && keys == o.keys;
    }
    bool operator!=(const Part& o) const { return !(*this == o); }
};

// The guest's keys that enter the match, one bit each, in this order: the arrows and Enter.
constexpr int guestKeyCodes[] = {KeyLeft, KeyUp, KeyRight, KeyDown, KeyEnter};
uint8_t guestKeyBits(const std::bitset<256>& keys);

// The host's part and the guest's part of one update, as the match takes them.
UpdateInput mergeParts(const Part& host, const Part& guest);
// A whole command as one part: the host's values and the guest's keys. mergeParts(p, p)
// gives the command back.
Part wholeCommand(const UpdateInput& command);

// Why a host turns a guest or a watcher away.
enum class Refusal : uint8_t {
    WrongCode = 1,
    GameTaken,
    OtherProtocol,
    OtherBuild,
    TooManyTries,
    NoWatchers,
    WatchersFull
};
constexpr Refusal refusals[] = {Refusal::WrongCode,   Refusal::GameTaken,    Refusal::OtherProtocol,
                                Refusal::OtherBuild,  Refusal::TooManyTries, Refusal::NoWatchers,
                                Refusal::WatchersFull};

// Guest or watcher to host, first: who is asking, with which code, and whether to play or
// to watch. Only the protocol number is read from a Hello of another protocol.
struct Hello {
    uint16_t protocol = protocolVersion;
    std::string gameVersion;
    uint64_t matchBuild = 0;
    std::array<char, joinCodeField> code{};  // six of A-Z and 0-9, then zeros
    bool watching = false;
};

// Host to guest or watcher: let in, and the settings the match starts with.
struct Welcome {
    GameSettings settings;
};

struct Refused {
    Refusal reason = Refusal::WrongCode;
    std::string hostVersion;
};

// Either way, many times a second: the sender's parts from update `first` on (all those the
// receiver has not confirmed holding), how many of the receiver's parts the sender holds
// (`ack`), the update the sender is at and its lead over the receiver in quarter updates.
struct Inputs {
    uint32_t frame = 0;
    uint32_t ack = 0;
    uint32_t first = 0;
    int8_t advantage = 0;
    std::vector<Part> parts;
};

// The hash of the match after a confirmed update, every 30 of them.
struct HashCheck {
    uint32_t update = 0;
    uint64_t hash = 0;
};

// The sender found the two matches differ: its match after that update, as a trace line.
struct Desync {
    uint32_t update = 0;
    std::string state;
};

// Host to watcher, in order on the reliable channel: confirmed updates from `first` on, each
// command whole (wholeCommand), and how many the host has confirmed.
struct Watched {
    uint32_t first = 1;
    uint32_t hostAt = 0;
    std::vector<Part> commands;
};

// Host to watcher: the match is played on these settings from update `update` on (the
// computer took over the guest's paddle).
struct WatchSettings {
    uint32_t update = 1;
    GameSettings settings;
};

// Watcher to host, now and then: how many updates it holds. The only thing a watcher says.
struct WatchAck {
    uint32_t received = 0;
};

using Message = std::variant<Hello, Welcome, Refused, Inputs, HashCheck, Desync, Watched,
                             WatchSettings, WatchAck>;

// The bytes of a message from `from`. Texts longer than the limits are cut.
std::vector<uint8_t> encode(const Message& message, Role from);

// The message these bytes hold, when they hold exactly one well-formed message that `from`
// may send; else nothing, and why says what was wrong.
std::optional<Message> decode(const uint8_t* data, std::size_t size, Role from, std::string& why);

}  // namespace spinvale::net
