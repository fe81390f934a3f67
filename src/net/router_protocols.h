// The two ways of asking a home router for a port mapping, UPnP-IGD (miniupnpc) and NAT-PMP
// (libnatpmp), behind one face, for the mapping's own thread: every call may block, each
// for a bounded time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "router_status.h"

namespace spinvale::net {

using Deadline = std::chrono::steady_clock::time_point;

// What one request to a router gave.
struct RouterReply {
    enum Outcome { NoAnswer, Refused, Done } outcome = NoAnswer;
    RouterWay way = RouterWay::None;  // who answered
    RouterRefusal refusal = RouterRefusal::None;
    int code = 0;  // the router's code for a refusal
    uint32_t localAddress = 0;
    uint32_t externalAddress = 0;
    uint16_t externalPort = 0;
    uint32_t leaseSeconds = 0;  // as granted; 0 for a mapping that lasts until removed
};

class Router {
  public:
    virtual ~Router() = default;
    // Maps UDP externalPort on the router to port on this computer; the same request, with
    // the external port the first one got, renews the lease.
    virtual RouterReply map(uint16_t port, uint16_t externalPort, uint32_t leaseSeconds,
                            Deadline deadline) = 0;
    // Removes the mapping the last map made; true when the router confirmed it is gone.
    virtual bool unmap(Deadline deadline) = 0;
};

// The router that answers on this network, if one does before the deadline; otherwise
// nothing, and why in reply (NoAnswer, or a refusal such as a router not connected).
std::unique_ptr<Router> findUpnpRouter(Deadline deadline, RouterReply& reply);
std::unique_ptr<Router> findNatPmpRouter(Deadline deadline, RouterReply& reply);

}  // namespace spinvale::net
