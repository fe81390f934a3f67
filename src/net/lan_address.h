// This computer's IPv4 interfaces as plain data, and the choices made from them: the address
// the router knows this computer by, where a broadcast reaches the other computers, and
// whether a datagram came from the local network. Addresses are in host byte order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spinvale::net {

struct NetInterface {
    std::string name;
    uint32_t address = 0;
    uint32_t netmask = 0;
    uint32_t broadcast = 0;  // 0 when the interface has none (loopback, point to point)
    bool up = false;
    bool loopback = false;
};

// "192.168.1.20".
std::string ipv4Text(uint32_t address);

// The gateway of the default route in the text of /proc/net/route, if there is one.
std::optional<uint32_t> readDefaultGateway(std::string_view routeTable);

// The address the router sees this computer by: that of the interface whose network holds
// the gateway; without a gateway on any network, the first interface that is up and not
// loopback. Nothing when there is no such interface.
std::optional<uint32_t> chooseLocalAddress(const std::vector<NetInterface>& interfaces,
                                           std::optional<uint32_t> gateway);

// The addresses other computers may reach this one at, as a host tells its player: the one
// the router knows first, then the others up; loopback only when there is nothing else.
std::vector<std::string> hostAddresses(const std::vector<NetInterface>& interfaces,
                                       std::optional<uint32_t> gateway);

// Where a query for the games on this network goes: the limited broadcast address, which
// leaves by the default route only, and each interface's own broadcast address.
std::vector<uint32_t> broadcastAddresses(const std::vector<NetInterface>& interfaces);

// Whether an address lies on one of these interfaces' networks (loopback included): only
// such a neighbour is told about a game.
bool onLocalNetwork(uint32_t address, const std::vector<NetInterface>& interfaces);

}  // namespace spinvale::net
