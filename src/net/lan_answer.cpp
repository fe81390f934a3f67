#include "lan_answer.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace spinvale::net {

int answerLanQuery(_ENetHost* host, LanResponder& responder, uint32_t nowMs) {
    const auto nonce = decodeLanQuery(host->receivedData, host->receivedDataLength);
    if (!nonce) {
        return 0;
    }
    const uint32_t source = ntohl(host->receivedAddress.host);
    if (auto answer = responder.answer(*nonce, source, nowMs)) {
        ENetBuffer buffer{answer->data(), answer->size()};
        enet_socket_send(host->socket, &host->receivedAddress, &buffer, 1);
    }
    return 1;
}

std::string userDisplayName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return "";
    }
    // The account's comment field holds the full name first, then office and telephone.
    const std::string gecos = found->pw_gecos ? found->pw_gecos : "";
    const std::string fullName = gecos.substr(0, gecos.find(','));
    return fullName.empty() ? found->pw_name : fullName;
}

}  // namespace spinvale::net
