#include "lan_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <iterator>
#include <sstream>

namespace spinvale::net {

namespace {

constexpr uint32_t limitedBroadcast = 0xFFFFFFFFu;

bool sameNetwork(const NetInterface& i, uint32_t address) {
    return i.up && i.netmask != 0 && (i.address & i.netmask) == (address & i.netmask);
}

// A field of /proc/net/route: the kernel prints an address as the number its bytes make in
// memory, that is in network byte order.
std::optional<uint32_t> readRouteField(const std::string& hex) {
    if (hex.empty() || hex.size() > 8 ||
        hex.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
        return std::nullopt;
    }
    return uint32_t(std::stoul(hex, nullptr, 16));
}

}  // namespace

std::string ipv4Text(uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<uint32_t> readDefaultGateway(std::string_view routeTable) {
    constexpr uint32_t routeUp = 0x1, routeViaGateway = 0x2;
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    std::getline(lines, line);  // the column names
    while (std::getline(lines, line)) {
        // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
        std::istringstream words(line);
        std::vector<std::string> f{std::istream_iterator<std::string>(words), {}};
        if (f.size() < 8) {
            continue;
        }
        const auto destination = readRouteField(f[1]), gateway = readRouteField(f[2]);
        const auto flags = readRouteField(f[3]), mask = readRouteField(f[7]);
        if (destination == 0u && mask == 0u && flags && (*flags & routeUp) &&
            (*flags & routeViaGateway) && gateway && *gateway != 0) {
            return ntohl(*gateway);
        }
    }
    return std::nullopt;
}

std::optional<uint32_t> chooseLocalAddress(const std::vector<NetInterface>& interfaces,
                                           std::optional<uint32_t> gateway) {
    for (const NetInterface& i : interfaces) {
        if (gateway && !i.loopback && sameNetwork(i, *gateway)) {
            return i.address;
        }
    }
    for (const NetInterface& i : interfaces) {
        if (i.up && !i.loopback) {
            return i.address;
        }
    }
    return std::nullopt;
}

std::vector<std::string> hostAddresses(const std::vector<NetInterface>& interfaces,
                                       std::optional<uint32_t> gateway) {
    std::vector<std::string> found;
    if (const auto chosen = chooseLocalAddress(interfaces, gateway)) {
        found.push_back(ipv4Text(*chosen));
    }
    for (const NetInterface& i : interfaces) {
        const std::string text = ipv4Text(i.address);
        if (i.up && !i.loopback && std::find(found.begin(), found.end(), text) == found.end()) {
            found.push_back(text);
        }
    }
    if (found.empty()) {
        found.push_back(ipv4Text(0x7F000001));
    }
    return found;
}

std::vector<uint32_t> broadcastAddresses(const std::vector<NetInterface>& interfaces) {
    std::vector<uint32_t> found{limitedBroadcast};
    for (const NetInterface& i : interfaces) {
        if (i.up && !i.loopback && i.broadcast != 0 &&
            std::find(found.begin(), found.end(), i.broadcast) == found.end()) {
            found.push_back(i.broadcast);
        }
    }
    return found;
}

bool onLocalNetwork(uint32_t address, const std::vector<NetInterface>& interfaces) {
    for (const NetInterface& i : interfaces) {
        if (sameNetwork(i, address)) {
            return true;
        }
    }
    return false;
}

}  // namespace spinvale::net
