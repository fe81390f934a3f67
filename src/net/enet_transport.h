// The game's transport: ENet (reliable UDP, IPv4), held to what the game needs. Packets of a
// few kilobytes at most and little data waiting per connection; 32 connection slots, at
// most two from one address; handshakes and closes that do not finish are cut, after 10 s
// or, when at most 4 slots are free, after 1 s. Every datagram waiting is read each call
// (up to a bound), whatever it holds: ENet alone stops at an empty one or one too long for
// it. A host also answers the search for games on this network, on its own port.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "lan_discovery.h"
#include "transport.h"

struct _ENetEvent;
struct _ENetHost;
struct _ENetPeer;

namespace spinvale::net {

class EnetTransport final : public Transport {
  public:
    // The host's: listens at `address` ("": every interface) on `port` (0: one the system
    // picks). Nothing, with the reason, when it cannot.
    static std::unique_ptr<EnetTransport> listen(const std::string& address, uint16_t port,
                                                 OpenFailure& failure);
    // The guest's: calls the host; the answer comes as a Connected event.
    static std::unique_ptr<EnetTransport> call(const std::string& hostName, uint16_t port,
                                               OpenFailure& failure);
    ~EnetTransport() override;
    EnetTransport(const EnetTransport&) = delete;
    EnetTransport& operator=(const EnetTransport&) = delete;

    uint16_t port() const;
    // The host's: answers the queries of the search for games on this network, which reach
    // it before ENet reads them.
    void answerLanQueries(LanResponder responder) { responder_.emplace(std::move(responder)); }

    std::vector<TransportEvent> receive(uint32_t nowMs) override;
    void send(ConnectionId to, const std::vector<uint8_t>& bytes, bool reliable) override;
    void close(ConnectionId id, Goodbye why) override;
    void reset(ConnectionId id) override;
    void linger() override;
    uint32_t roundTripMs(ConnectionId id) const override;
    void flush() override;
    TransportCounts counts() const override;

  private:
    EnetTransport(_ENetHost* host, bool calling);
    static int intercept(_ENetHost* host, _ENetEvent* event);
    long peekSize() const;
    int64_t discardUnreadable();
    void take(const _ENetEvent& event, std::vector<TransportEvent>& events);
    void cutHalfwayConnections(uint32_t nowMs);
    _ENetPeer* find(ConnectionId id) const;
    ConnectionId adopt(_ENetPeer* peer);
    void forget(_ENetPeer* peer);

    _ENetHost* host_;
    bool calling_;
    ConnectionId nextId_ = 1;
    std::unordered_map<ConnectionId, _ENetPeer*> open_;
    std::vector<uint64_t> halfway_;  // per slot: the connection and whether it closes, and
    std::vector<uint32_t> since_;    // since when it has been halfway
    TransportCounts counts_;
    std::optional<LanResponder> responder_;
    uint32_t now_ = 0;  // the clock of the receive under way, for the answers' limits
};

}  // namespace spinvale::net
