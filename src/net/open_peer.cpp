// The network peer over ENet: the host's port opened, or the guest's call started.
#include "enet_transport.h"
#include "lan_answer.h"
#include "lan_interfaces.h"
#include "net_peer.h"
#include "net_text.h"

namespace spinvale::net {

std::unique_ptr<NetPeer> NetPeer::open(const NetSetup& given, uint32_t nowMs, std::string& error) {
    NetSetup setup = given;
    const bool hosting = setup.role == Role::Host;
    if (hosting && setup.code.empty()) {
        setup.code = newJoinCode();
    }
    if (!readJoinCode(setup.code)) {
        error = openFailureText(OpenFailure::BadCode, setup.code, 0);
        return nullptr;
    }
    OpenFailure failure = OpenFailure::NoLibrary;
    std::unique_ptr<EnetTransport> transport =
        hosting ? EnetTransport::listen(setup.listenAddress, setup.port, failure)
                : EnetTransport::call(setup.hostName, setup.port, failure);
    if (!transport) {
        error =
            openFailureText(failure, hosting ? setup.listenAddress : setup.hostName, setup.port);
        return nullptr;
    }
    std::vector<std::string> addresses;
    if (hosting) {
        setup.port = transport->port();
        const std::vector<NetInterface> interfaces = listInterfaces();
        addresses = setup.listenAddress.empty() ? hostAddresses(interfaces, defaultGateway())
                                                : std::vector<std::string>{setup.listenAddress};
        const std::string name = setup.lanName.empty() ? userDisplayName() : setup.lanName;
        transport->answerLanQueries(LanResponder(name, setup.port, interfaces));
    }
    return std::make_unique<NetPeer>(setup, std::move(transport), addresses, nowMs);
}

}  // namespace spinvale::net
