// UPnP-IGD through miniupnpc. miniupnpc bounds each of its own requests (a second for the
// discovery, a few for an HTTP exchange), so the deadlines here only decide whether to begin.
#include <arpa/inet.h>
#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>

#include <string>

#include "router_protocols.h"

namespace spinvale::net {

namespace {

constexpr int discoveryMs = 1000;  // miniupnpc's least: it waits whole seconds
constexpr int upnpConflict = 718, upnpOtherMechanism = 729, upnpPermanentOnly = 725;
constexpr int upnpNoSuchEntry = 714;
constexpr char description[] = "Spinvale";

uint32_t readAddress(const char* text) {
    in_addr address{};
    return inet_pton(AF_INET, text, &address) == 1 ? ntohl(address.s_addr) : 0;
}

class UpnpRouter final : public Router {
  public:
    UpnpRouter(const UPNPUrls& urls, const IGDdatas& data, const char* localAddress)
        : urls_(urls), data_(data), localAddress_(localAddress) {}
    ~UpnpRouter() override { FreeUPNPUrls(&urls_); }
    UpnpRouter(const UpnpRouter&) = delete;
    UpnpRouter& operator=(const UpnpRouter&) = delete;

    RouterReply map(uint16_t port, uint16_t externalPort, uint32_t leaseSeconds,
                    Deadline) override {
        const std::string internal = std::to_string(port);
        std::string external = std::to_string(externalPort);
        std::string lease = std::to_string(leaseSeconds);
        int code = add(external, internal, lease);
        if (code == upnpPermanentOnly) {  // an older router: the mapping lasts until removed
            lease = "0";
            code = add(external, internal, lease);
        }
        if (code == upnpConflict || code == upnpOtherMechanism) {
            code = addAny(external, internal, lease, code);
        }
        RouterReply reply;
        reply.way = RouterWay::Upnp;
        reply.localAddress = readAddress(localAddress_.c_str());
        if (code != 0) {
            // miniupnpc's own failures (no HTTP answer, a reply it cannot read) are negative.
            reply.outcome = code > 0 ? RouterReply::Refused : RouterReply::NoAnswer;
            reply.refusal = code > 0 ? classifyRefusal(RouterWay::Upnp, code) : RouterRefusal::None;
            reply.code = code;
            return reply;
        }
        mappedPort_ = external;
        char ip[40] = "";
        if (UPNP_GetExternalIPAddress(urls_.controlURL, data_.first.servicetype, ip) == 0) {
            reply.externalAddress = readAddress(ip);
        }
        reply.outcome = RouterReply::Done;
        reply.externalPort = uint16_t(std::stoul(external));
        reply.leaseSeconds = uint32_t(std::stoul(lease));
        return reply;
    }

    bool unmap(Deadline) override {
        if (mappedPort_.empty()) {
            return true;
        }
        const int code = UPNP_DeletePortMapping(urls_.controlURL, data_.first.servicetype,
                                                mappedPort_.c_str(), "UDP", nullptr);
        mappedPort_.clear();
        return code == 0 || code == upnpNoSuchEntry;
    }

  private:
    int add(const std::string& external, const std::string& internal, const std::string& lease) {
        return UPNP_AddPortMapping(urls_.controlURL, data_.first.servicetype, external.c_str(),
                                   internal.c_str(), localAddress_.c_str(), description, "UDP",
                                   nullptr, lease.c_str());
    }

    // The port is held: a router of the second version chooses another one itself. Any
    // other answer (the first version knows no such action) leaves the conflict as told.
    int addAny(std::string& external, const std::string& internal, const std::string& lease,
               int conflict) {
        char reserved[6] = "";
        if (UPNP_AddAnyPortMapping(urls_.controlURL, data_.first.servicetype, external.c_str(),
                                   internal.c_str(), localAddress_.c_str(), description, "UDP",
                                   nullptr, lease.c_str(), reserved) != 0 ||
            reserved[0] == '\0') {
            return conflict;
        }
        external = reserved;
        return 0;
    }

    UPNPUrls urls_;
    IGDdatas data_;
    std::string localAddress_;
    std::string mappedPort_;
};

}  // namespace

std::unique_ptr<Router> findUpnpRouter(Deadline deadline, RouterReply& reply) {
    reply = {};
    if (std::chrono::steady_clock::now() + std::chrono::milliseconds(discoveryMs) > deadline) {
        return nullptr;
    }
    // Every kind of answer a gateway may give, asked at once: miniupnpc then waits once.
    static const char* const kinds[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                        "urn:schemas-upnp-org:service:WANIPConnection:1",
                                        "urn:schemas-upnp-org:service:WANPPPConnection:1",
                                        "upnp:rootdevice", nullptr};
    int error = 0;
    UPNPDev* devices = upnpDiscoverDevices(kinds, discoveryMs, nullptr, nullptr,
                                           UPNP_LOCAL_PORT_ANY, 0, 2, &error, 1);
    if (devices == nullptr) {
        return nullptr;
    }
    UPNPUrls urls{};
    IGDdatas data{};
    char localAddress[64] = "";
    const int found = UPNP_GetValidIGD(devices, &urls, &data, localAddress, sizeof localAddress);
    freeUPNPDevlist(devices);
    // 1: a gateway connected to the internet. 2: a gateway that says it is not connected or
    // has only a private internet address (a second router, or the provider's, beyond it):
    // a mapping on it may still serve, and the address it gives tells the player which.
    if (found == 1 || found == 2) {
        return std::make_unique<UpnpRouter>(urls, data, localAddress);
    }
    if (found != 0) {
        FreeUPNPUrls(&urls);
    }
    return nullptr;
}

}  // namespace spinvale::net
