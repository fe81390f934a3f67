#include "enet_transport.h"

#include <enet/enet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>

#include "lan_answer.h"

namespace spinvale::net {

namespace {

constexpr std::size_t hostSlots = 32;
constexpr std::size_t slotsPerAddress = 2;
constexpr std::size_t largestPacket = 8 * 1024;  // the largest message is about 4.1 KB
constexpr std::size_t mostWaiting = 64 * 1024;
constexpr int64_t datagramsPerCall = 4096;
// A connection halfway open or closed may wait for ENet's resends (a lost handshake
// datagram goes again after 0.5 s, 1 s, 2 s ...) while slots are plenty; when few are left
// it gets a second.
constexpr uint32_t patientMs = 10000;
constexpr uint32_t hurriedMs = 1000;
constexpr std::size_t fewSlots = 4;
constexpr uint32_t timeoutMs = 5000;
constexpr uint8_t inputChannel = 0;    // unreliable: every message repeats what is not acked
constexpr uint8_t controlChannel = 1;  // reliable and in order: handshake, hashes, desync

// The transport whose host is being serviced: ENet's intercept hook carries no context.
thread_local EnetTransport* serving = nullptr;

bool opening(ENetPeerState state) {
    return state == ENET_PEER_STATE_ACKNOWLEDGING_CONNECT ||
           state == ENET_PEER_STATE_CONNECTION_PENDING ||
           state == ENET_PEER_STATE_CONNECTION_SUCCEEDED;
}

bool closing(ENetPeerState state) {
    return state == ENET_PEER_STATE_DISCONNECT_LATER || state == ENET_PEER_STATE_DISCONNECTING ||
           state == ENET_PEER_STATE_ACKNOWLEDGING_DISCONNECT;
}

ConnectionId idOf(const ENetPeer* peer) {
    return static_cast<ConnectionId>(reinterpret_cast<uintptr_t>(peer->data));
}

// A datagram ENet would drop unread: too short for its header, or for a slot that holds no
// connection from its sender. A new connection's first datagram is ENet's to judge.
bool stray(const ENetHost& host) {
    if (host.receivedDataLength < 2) {
        return true;
    }
    uint16_t field = 0;
    std::memcpy(&field, host.receivedData, 2);
    const unsigned slot = ENET_NET_TO_HOST_16(field) & ~unsigned(ENET_PROTOCOL_HEADER_FLAG_MASK |
                                                                 ENET_PROTOCOL_HEADER_SESSION_MASK);
    if (slot == ENET_PROTOCOL_MAXIMUM_PEER_ID) {
        return false;
    }
    if (slot >= host.peerCount) {
        return true;
    }
    const ENetPeer& peer = host.peers[slot];
    return peer.state == ENET_PEER_STATE_DISCONNECTED || peer.state == ENET_PEER_STATE_ZOMBIE ||
           peer.address.host != host.receivedAddress.host ||
           peer.address.port != host.receivedAddress.port;
}

ENetHost* limited(ENetHost* host) {
    if (host != nullptr) {
        host->duplicatePeers = slotsPerAddress;
        host->maximumPacketSize = largestPacket;
        host->maximumWaitingData = mostWaiting;
    }
    return host;
}

// ENet started for a transport (and stopped with it, or at once when opening fails).
bool started(OpenFailure& failure) {
    failure = OpenFailure::NoLibrary;
    return enet_initialize() == 0;
}

// ENet finds IPv4 addresses only; a name with IPv6 addresses alone deserves to be told so.
OpenFailure whyNoAddress(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        return OpenFailure::NoSuchHost;
    }
    freeaddrinfo(found);
    return OpenFailure::OnlyIpv6;
}

}  // namespace

EnetTransport::EnetTransport(ENetHost* host, bool calling)
    : host_(host), calling_(calling), halfway_(host->peerCount), since_(host->peerCount) {
    host_->intercept = &EnetTransport::intercept;
}

EnetTransport::~EnetTransport() {
    enet_host_destroy(host_);
    enet_deinitialize();
}

std::unique_ptr<EnetTransport> EnetTransport::listen(const std::string& address, uint16_t port,
                                                     OpenFailure& failure) {
    if (!started(failure)) {
        return nullptr;
    }
    ENetAddress at{};
    at.host = ENET_HOST_ANY;
    at.port = port;
    ENetHost* host = nullptr;
    failure = OpenFailure::NotAnAddress;
    if (address.empty() || enet_address_set_host_ip(&at, address.c_str()) == 0) {
        failure = OpenFailure::PortTaken;
        host = limited(enet_host_create(&at, hostSlots, 2, 0, 0));
    }
    if (host == nullptr) {
        enet_deinitialize();
        return nullptr;
    }
    return std::unique_ptr<EnetTransport>(new EnetTransport(host, false));
}

std::unique_ptr<EnetTransport> EnetTransport::call(const std::string& hostName, uint16_t port,
                                                   OpenFailure& failure) {
    if (!started(failure)) {
        return nullptr;
    }
    ENetAddress address{};
    address.port = port;
    ENetHost* host = nullptr;
    if (enet_address_set_host(&address, hostName.c_str()) != 0) {
        failure = whyNoAddress(hostName);
    } else if ((host = limited(enet_host_create(nullptr, 1, 2, 0, 0))) == nullptr) {
        failure = OpenFailure::NoSocket;
    }
    if (host == nullptr) {
        enet_deinitialize();
        return nullptr;
    }
    std::unique_ptr<EnetTransport> transport(new EnetTransport(host, true));
    ENetPeer* peer = enet_host_connect(host, &address, 2, 0);
    if (peer == nullptr) {
        failure = OpenFailure::NoSocket;
        return nullptr;
    }
    transport->adopt(peer);
    return transport;
}

uint16_t EnetTransport::port() const {
    return host_->address.port;
}

// Every datagram the socket brings passes here before ENet reads it: a query for the games
// on this network is answered (or not, past its limits) and never reaches ENet.
int EnetTransport::intercept(ENetHost* host, ENetEvent*) {
    if (serving == nullptr) {
        return 0;
    }
    if (serving->responder_ && answerLanQuery(host, *serving->responder_, serving->now_) != 0) {
        return 1;
    }
    if (!stray(*host)) {
        return 0;
    }
    ++serving->counts_.strayDatagrams;
    return 1;
}

long EnetTransport::peekSize() const {
    uint8_t byte = 0;
    return recv(host_->socket, &byte, 1, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
}

// Empty datagrams and those longer than ENet reads at the head of the socket's queue: ENet
// would take the first for "nothing to read" and stop at the second as an error.
int64_t EnetTransport::discardUnreadable() {
    int64_t discarded = 0;
    for (long size = peekSize();
         discarded < datagramsPerCall && (size == 0 || size > long(ENET_PROTOCOL_MAXIMUM_MTU));
         size = peekSize()) {
        uint8_t byte = 0;
        recv(host_->socket, &byte, 1, MSG_DONTWAIT);
        ++(size == 0 ? counts_.emptyDatagrams : counts_.oversizeDatagrams);
        ++discarded;
    }
    return discarded;
}

std::vector<TransportEvent> EnetTransport::receive(uint32_t nowMs) {
    std::vector<TransportEvent> events;
    serving = this;
    now_ = nowMs;
    const uint32_t readBefore = host_->totalReceivedPackets;
    int64_t discarded = 0;
    for (int64_t round = 0; round < 2 * datagramsPerCall; ++round) {
        discarded += discardUnreadable();
        ENetEvent event;
        const int got = enet_host_service(host_, &event, 0);
        if (got > 0) {
            take(event, events);
        } else if (got < 0) {  // ENet read a datagram too long for it
            ++counts_.oversizeDatagrams;
            ++discarded;
        }
        const int64_t read = int64_t(host_->totalReceivedPackets - readBefore) + discarded;
        if (read >= datagramsPerCall || (got == 0 && peekSize() < 0)) {
            break;
        }
    }
    serving = nullptr;
    cutHalfwayConnections(nowMs);
    return events;
}

void EnetTransport::take(const ENetEvent& event, std::vector<TransportEvent>& events) {
    switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT: {
            const ConnectionId id =
                event.peer->data != nullptr ? idOf(event.peer) : adopt(event.peer);
            enet_peer_timeout(event.peer, 0, timeoutMs, 2 * timeoutMs);
            events.push_back(Connected{
                id, {ENET_NET_TO_HOST_32(event.peer->address.host), event.peer->address.port}});
            break;
        }
        case ENET_EVENT_TYPE_RECEIVE:
            if (open_.count(idOf(event.peer)) != 0) {
                const uint8_t* data = event.packet->data;
                events.push_back(
                    Received{idOf(event.peer), {data, data + event.packet->dataLength}});
            }
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (open_.count(idOf(event.peer)) != 0) {
                events.push_back(Disconnected{idOf(event.peer), event.data});
            }
            forget(event.peer);
            break;
        case ENET_EVENT_TYPE_NONE:
            break;
    }
}

// A connection that neither finishes opening nor closing holds a slot for nothing (ENet
// would keep it for up to 30 s): its slot is freed.
void EnetTransport::cutHalfwayConnections(uint32_t nowMs) {
    std::size_t free = 0;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        free += host_->peers[i].state == ENET_PEER_STATE_DISCONNECTED ? 1 : 0;
    }
    const uint32_t limit = free <= fewSlots ? hurriedMs : patientMs;
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        ENetPeer& peer = host_->peers[i];
        const bool ending = closing(peer.state);
        if (!ending && (calling_ || !opening(peer.state))) {
            halfway_[i] = 0;
            continue;
        }
        const uint64_t key = (uint64_t(peer.connectID) << 2) | (ending ? 2 : 0) | 1;
        if (halfway_[i] != key) {
            halfway_[i] = key;
            since_[i] = nowMs;
        } else if (nowMs - since_[i] >= limit) {
            forget(&peer);
            enet_peer_reset(&peer);
            halfway_[i] = 0;
            ++counts_.handshakesReset;
        }
    }
}

ConnectionId EnetTransport::adopt(ENetPeer* peer) {
    const ConnectionId id = nextId_++;
    peer->data = reinterpret_cast<void*>(static_cast<uintptr_t>(id));
    open_[id] = peer;
    return id;
}

void EnetTransport::forget(ENetPeer* peer) {
    open_.erase(idOf(peer));
    peer->data = nullptr;
}

ENetPeer* EnetTransport::find(ConnectionId id) const {
    const auto found = open_.find(id);
    return found == open_.end() ? nullptr : found->second;
}

void EnetTransport::send(ConnectionId to, const std::vector<uint8_t>& bytes, bool reliable) {
    ENetPeer* peer = find(to);
    ENetPacket* packet = peer == nullptr
                             ? nullptr
                             : enet_packet_create(bytes.data(), bytes.size(),
                                                  reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (packet != nullptr &&
        enet_peer_send(peer, reliable ? controlChannel : inputChannel, packet) != 0) {
        enet_packet_destroy(packet);
    }
}

void EnetTransport::close(ConnectionId id, Goodbye why) {
    if (ENetPeer* peer = find(id)) {
        enet_peer_disconnect_later(peer, static_cast<uint32_t>(why));
    }
}

void EnetTransport::reset(ConnectionId id) {
    if (ENetPeer* peer = find(id)) {
        forget(peer);
        enet_peer_reset(peer);
    }
}

void EnetTransport::linger() {
    const auto anyClosing = [this] {
        for (std::size_t i = 0; i < host_->peerCount; ++i) {
            if (closing(host_->peers[i].state)) {
                return true;
            }
        }
        return false;
    };
    for (const uint32_t end = enet_time_get() + 1000; anyClosing() && enet_time_get() < end;) {
        ENetEvent event;
        if (enet_host_service(host_, &event, 10) > 0) {
            if (event.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(event.packet);
            } else if (event.type == ENET_EVENT_TYPE_DISCONNECT) {
                forget(event.peer);
            }
        }
    }
    for (std::size_t i = 0; i < host_->peerCount; ++i) {
        if (closing(host_->peers[i].state)) {
            forget(&host_->peers[i]);
            enet_peer_reset(&host_->peers[i]);
        }
    }
}

uint32_t EnetTransport::roundTripMs(ConnectionId id) const {
    const ENetPeer* peer = find(id);
    return peer != nullptr ? peer->roundTripTime : 0;
}

void EnetTransport::flush() {
    enet_host_flush(host_);
}

TransportCounts EnetTransport::counts() const {
    TransportCounts counts = counts_;
    counts.bytesSent = host_->totalSentData;
    counts.bytesReceived = host_->totalReceivedData;
    return counts;
}

}  // namespace spinvale::net
