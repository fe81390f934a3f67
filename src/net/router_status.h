// What asking the router for a port mapping has come to, as plain data the waiting screen
// turns into words: still asking; mapped (where, and how); not mapped, with the router's
// answer when it refused; or stopped.
#pragma once

#include <cstdint>
#include <string_view>

namespace spinvale::net {

enum class MappingState { Asking, Mapped, NotMapped, Stopped };

enum class RouterWay : uint8_t { None, Upnp, NatPmp };

// What a router's refusal means to a player: the port is held by another computer's mapping,
// the router does not let this computer map ports, it has no room for another mapping, it is
// not connected to the internet itself, or something else.
enum class RouterRefusal { None, PortTaken, NotAllowed, NoRoom, NotConnected, Other };

struct MappingStatus {
    MappingState state = MappingState::Asking;
    // Mapped: how. NotMapped: who refused (None when no router answered in time).
    RouterWay way = RouterWay::None;
    uint32_t localAddress = 0;  // this computer on its network, host byte order; 0 unknown
    uint16_t localPort = 0;
    uint32_t externalAddress = 0;  // the router's internet address; 0 when it did not say
    uint16_t externalPort = 0;
    RouterRefusal refusal = RouterRefusal::None;
    int code = 0;  // the router's own code for the refusal (a UPnP error, a NAT-PMP result)
};

// "UPnP", "NAT-PMP".
std::string_view routerWayName(RouterWay way);

// The protocol's own name for a refusal code: "ConflictInMappingEntry" for UPnP's 718,
// "NotAuthorized" for NAT-PMP's 2; "" for a code it does not define.
std::string_view routerCodeName(RouterWay way, int code);

RouterRefusal classifyRefusal(RouterWay way, int code);

}  // namespace spinvale::net
