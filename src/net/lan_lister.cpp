#include "lan_lister.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "lan_interfaces.h"

namespace spinvale::net {

namespace {

constexpr uint32_t secondRoundMs = 250;
constexpr uint32_t listingMs = 1000;
// Enough for every host on a home network in one frame; a flood waits for the next frames.
constexpr int maxReadsPerPoll = 64;
// More than a home network holds: answers forged by a neighbour cannot fill the page.
constexpr std::size_t maxGames = 32;

}  // namespace

std::unique_ptr<LanLister> LanLister::start(uint16_t port, uint32_t nowMs, std::string& error) {
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int yes = 1;
    if (s < 0 || setsockopt(s, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) != 0) {
        error = std::string("cannot look for games on this network: ") + std::strerror(errno);
        if (s >= 0) {
            close(s);
        }
        return nullptr;
    }
    std::unique_ptr<LanLister> lister(new LanLister(s, port, nowMs));
    lister->sendQueries();
    return lister;
}

LanLister::LanLister(int socket, uint16_t port, uint32_t nowMs)
    : socket_(socket),
      port_(port),
      startedAt_(nowMs),
      nonce_(std::random_device{}()),
      targets_(broadcastAddresses(listInterfaces())) {}

LanLister::~LanLister() {
    close(socket_);
}

void LanLister::poll(uint32_t nowMs) {
    if (done_) {
        return;
    }
    readAnswers();
    if (rounds_ < 2 && nowMs - startedAt_ >= secondRoundMs) {
        sendQueries();
    }
    done_ = nowMs - startedAt_ >= listingMs;
}

// A target that cannot be reached (a network without a route) is passed over: the others
// may still find games.
void LanLister::sendQueries() {
    const std::vector<uint8_t> query = encodeLanQuery(nonce_);
    for (const uint32_t target : targets_) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port_);
        to.sin_addr.s_addr = htonl(target);
        if (sendto(socket_, query.data(), query.size(), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to) == ssize_t(query.size())) {
            bytesSent_ += query.size();
        }
    }
    ++rounds_;
}

void LanLister::readAnswers() {
    for (int i = 0; i < maxReadsPerPoll; ++i) {
        uint8_t buffer[lanQuerySize + 1];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size = recvfrom(socket_, buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0) {
            return;
        }
        auto game = decodeLanAnswer(buffer, std::size_t(size), nonce_);
        if (!game) {
            continue;
        }
        game->address = ntohl(from.sin_addr.s_addr);
        const bool known = std::any_of(games_.begin(), games_.end(), [&](const LanGame& g) {
            return g.address == game->address && g.port == game->port;
        });
        if (!known && games_.size() < maxGames) {
            games_.push_back(*game);
        }
    }
}

}  // namespace spinvale::net
