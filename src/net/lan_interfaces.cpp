#include "lan_interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <fstream>
#include <sstream>

namespace spinvale::net {

namespace {

uint32_t addressOf(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET) {
        return 0;
    }
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

}  // namespace

std::vector<NetInterface> listInterfaces() {
    std::vector<NetInterface> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        NetInterface i;
        i.name = a->ifa_name;
        i.address = addressOf(a->ifa_addr);
        i.netmask = addressOf(a->ifa_netmask);
        i.broadcast = (a->ifa_flags & IFF_BROADCAST) ? addressOf(a->ifa_broadaddr) : 0;
        i.up = (a->ifa_flags & IFF_UP) && (a->ifa_flags & IFF_RUNNING);
        i.loopback = a->ifa_flags & IFF_LOOPBACK;
        found.push_back(i);
    }
    freeifaddrs(list);
    return found;
}

std::optional<uint32_t> defaultGateway() {
    std::ifstream file("/proc/net/route");
    std::ostringstream text;
    text << file.rdbuf();
    return readDefaultGateway(text.str());
}

}  // namespace spinvale::net
