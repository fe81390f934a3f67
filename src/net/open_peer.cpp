// The network peers over ENet: the host's port opened, or a guest's or a watcher's call
// started.
#include "enet_transport.h"
#include "lan_answer.h"
#include "lan_interfaces.h"
#include "net_peer.h"
#include "net_text.h"
#include "watch_peer.h"

namespace spinvale::net {

namespace {

// The transport the setup asks for, the host's code drawn if it chose none and its port as
// opened; nothing, with the reason in error, when it cannot be had.
std::unique_ptr<EnetTransport> openTransport(NetSetup& setup, std::string& error) {
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
                : EnetTransport::call(setup.hostName, setup.port, setup.callFrom, failure);
    if (!transport) {
        const std::string& where = hosting                                ? setup.listenAddress
                                   : failure == OpenFailure::NotAnAddress ? setup.callFrom
                                                                          : setup.hostName;
        error = openFailureText(failure, where, setup.port);
        return nullptr;
    }
    if (hosting) {
        setup.port = transport->port();
    }
    return transport;
}

}  // namespace

std::unique_ptr<NetPeer> NetPeer::open(const NetSetup& given, uint32_t nowMs, std::string& error) {
    NetSetup setup = given;
    std::unique_ptr<EnetTransport> transport = openTransport(setup, error);
    if (!transport) {
        return nullptr;
    }
    std::vector<std::string> addresses;
    if (setup.role == Role::Host) {
        const std::vector<NetInterface> interfaces = listInterfaces();
        addresses = setup.listenAddress.empty() ? hostAddresses(interfaces, defaultGateway())
                                                : std::vector<std::string>{setup.listenAddress};
        const std::string name = setup.lanName.empty() ? userDisplayName() : setup.lanName;
        transport->answerLanQueries(LanResponder(name, setup.port, interfaces));
    }
    return std::make_unique<NetPeer>(setup, std::move(transport), addresses, nowMs);
}

std::unique_ptr<WatchPeer> WatchPeer::open(const NetSetup& given, uint32_t nowMs,
                                           std::string& error) {
    NetSetup setup = given;
    setup.role = Role::Guest;
    std::unique_ptr<EnetTransport> transport = openTransport(setup, error);
    if (!transport) {
        return nullptr;
    }
    return std::make_unique<WatchPeer>(setup, std::move(transport), nowMs);
}

}  // namespace spinvale::net
