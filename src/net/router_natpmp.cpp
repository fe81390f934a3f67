// NAT-PMP through libnatpmp: requests to the default gateway, resent by libnatpmp at growing
// intervals, and waited for here until the deadline.
#include <arpa/inet.h>
#include <natpmp.h>
#include <poll.h>

#include <algorithm>

#include "lan_interfaces.h"
#include "router_protocols.h"

namespace spinvale::net {

namespace {

using std::chrono::steady_clock;

// The router's result code behind libnatpmp's error for it; 0 when the error is not a
// router's answer (no answer, a socket fault).
int resultCode(int error) {
    switch (error) {
        case NATPMP_ERR_UNSUPPORTEDVERSION:
            return 1;
        case NATPMP_ERR_NOTAUTHORIZED:
            return 2;
        case NATPMP_ERR_NETWORKFAILURE:
            return 3;
        case NATPMP_ERR_OUTOFRESOURCES:
            return 4;
        case NATPMP_ERR_UNSUPPORTEDOPCODE:
            return 5;
        default:
            return 0;
    }
}

// The answer to the request just sent: 0 with the response, or libnatpmp's error;
// NATPMP_TRYAGAIN when the deadline came first. The deadline bounds the loop; the count of
// rounds only guards against a clock that stands still.
int awaitResponse(natpmp_t& natpmp, natpmpresp_t& response, Deadline deadline) {
    for (int round = 0; round < 100; ++round) {
        const int result = readnatpmpresponseorretry(&natpmp, &response);
        const long long leftMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now())
                .count();
        if (result != NATPMP_TRYAGAIN || leftMs <= 0) {
            return result;
        }
        timeval retry{};  // when libnatpmp sends the request again
        getnatpmprequesttimeout(&natpmp, &retry);
        const long long retryMs = retry.tv_sec * 1000LL + retry.tv_usec / 1000 + 1;
        pollfd answer{natpmp.s, POLLIN, 0};
        poll(&answer, 1, int(std::min(leftMs, retryMs)));
    }
    return NATPMP_TRYAGAIN;
}

RouterReply replyTo(int result) {
    RouterReply reply;
    reply.way = RouterWay::NatPmp;
    if (resultCode(result) != 0) {
        reply.outcome = RouterReply::Refused;
        reply.code = resultCode(result);
        reply.refusal = classifyRefusal(RouterWay::NatPmp, reply.code);
    }
    return reply;
}

class NatPmpRouter final : public Router {
  public:
    NatPmpRouter(const natpmp_t& natpmp, uint32_t externalAddress)
        : natpmp_(natpmp), externalAddress_(externalAddress) {}
    ~NatPmpRouter() override { closenatpmp(&natpmp_); }
    NatPmpRouter(const NatPmpRouter&) = delete;
    NatPmpRouter& operator=(const NatPmpRouter&) = delete;

    // The router maps the port asked for when it is free and another one of its choice when
    // it is not; the reply says which.
    RouterReply map(uint16_t port, uint16_t externalPort, uint32_t leaseSeconds,
                    Deadline deadline) override {
        natpmpresp_t response{};
        sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_UDP, port, externalPort, leaseSeconds);
        const int result = awaitResponse(natpmp_, response, deadline);
        RouterReply reply = replyTo(result);
        reply.localAddress =
            chooseLocalAddress(listInterfaces(), ntohl(natpmp_.gateway)).value_or(0);
        if (result == 0 && response.type == NATPMP_RESPTYPE_UDPPORTMAPPING) {
            reply.outcome = RouterReply::Done;
            reply.externalAddress = externalAddress_;
            reply.externalPort = response.pnu.newportmapping.mappedpublicport;
            reply.leaseSeconds = response.pnu.newportmapping.lifetime;
            mappedPort_ = port;
        }
        return reply;
    }

    // A request for the same private port with no lifetime removes the mapping.
    bool unmap(Deadline deadline) override {
        if (mappedPort_ == 0) {
            return true;
        }
        natpmpresp_t response{};
        sendnewportmappingrequest(&natpmp_, NATPMP_PROTOCOL_UDP, mappedPort_, 0, 0);
        mappedPort_ = 0;
        return awaitResponse(natpmp_, response, deadline) == 0;
    }

  private:
    natpmp_t natpmp_;
    uint32_t externalAddress_;
    uint16_t mappedPort_ = 0;
};

}  // namespace

std::unique_ptr<Router> findNatPmpRouter(Deadline deadline, RouterReply& reply) {
    reply = {};
    natpmp_t natpmp{};
    if (initnatpmp(&natpmp, 0, 0) != 0) {  // no default gateway, or no socket
        return nullptr;
    }
    natpmpresp_t response{};
    sendpublicaddressrequest(&natpmp);
    const int result = awaitResponse(natpmp, response, deadline);
    if (result == 0 && response.type == NATPMP_RESPTYPE_PUBLICADDRESS) {
        return std::make_unique<NatPmpRouter>(natpmp,
                                              ntohl(response.pnu.publicaddress.addr.s_addr));
    }
    reply = replyTo(result);
    closenatpmp(&natpmp);
    return nullptr;
}

}  // namespace spinvale::net
