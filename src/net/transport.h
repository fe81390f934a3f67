// The wire under the network peer: it reports what happened as events and carries the
// peer's messages, and it keeps what strangers send from costing more than a counter. The
// game's is ENet (enet_transport.h); the tests drive the peer through one in memory.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace spinvale::net {

using ConnectionId = uint64_t;

// An IPv4 address and port, both in host byte order.
struct Address {
    uint32_t ip = 0;
    uint16_t port = 0;
};

// "127.0.0.1:27455".
std::string addressText(const Address& address);

// A connection came up: a visitor reached the host, or the guest's call was answered.
struct Connected {
    ConnectionId id = 0;
    Address from;
};
struct Received {
    ConnectionId id = 0;
    std::vector<uint8_t> bytes;
};
// A connection ended from the far side, or timed out; `reason` is the far side's Goodbye.
struct Disconnected {
    ConnectionId id = 0;
    uint32_t reason = 0;
};
using TransportEvent = std::variant<Connected, Received, Disconnected>;

// Why this side closes a connection, as the other side is told it. Behind: a watcher that fell
// too far behind the game.
enum class Goodbye : uint32_t { Silent = 0, Left = 1, Finished = 2, Behind = 3 };

// What the transport threw away before any message was read, and its bytes.
struct TransportCounts {
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    int64_t emptyDatagrams = 0;
    int64_t oversizeDatagrams = 0;  // longer than any the transport sends
    int64_t strayDatagrams = 0;     // for no connection of this side
    int64_t handshakesReset = 0;    // connections opened or closed halfway, cut
};

// Why a network game could not be opened.
enum class OpenFailure : uint8_t {
    BadCode,
    NoLibrary,
    PortTaken,
    NotAnAddress,
    NoSuchHost,
    OnlyIpv6,
    NoSocket
};

class Transport {
  public:
    virtual ~Transport() = default;
    // What arrived since the last call, in order. Reads while data waits, up to a bound a
    // call, whatever the data is; never blocks.
    virtual std::vector<TransportEvent> receive(uint32_t nowMs) = 0;
    virtual void send(ConnectionId to, const std::vector<uint8_t>& bytes, bool reliable) = 0;
    // Closes once what is queued has gone; the far side hears `why`.
    virtual void close(ConnectionId id, Goodbye why) = 0;
    // Drops a connection at once, telling the far side nothing.
    virtual void reset(ConnectionId id) = 0;
    // Waits a moment (at most a second) for the closing connections to be heard closing.
    virtual void linger() = 0;
    virtual uint32_t roundTripMs(ConnectionId id) const = 0;
    // The far side may be silent this long before the connection is given up (a watcher's
    // process stopped for a while is caught up, or let go with a word, not timed out).
    virtual void tolerateSilence(ConnectionId id, uint32_t ms) = 0;
    virtual void flush() = 0;
    virtual TransportCounts counts() const = 0;
};

}  // namespace spinvale::net
