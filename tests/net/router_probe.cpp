// The router lab's stand-in for the game: a host that maps its port on the router and answers
// the search for games on its ENet port until SIGTERM, a guest that connects, a computer that
// lists the games on its network, and a stranger that sends datagrams. One line per event.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "lan_answer.h"
#include "lan_interfaces.h"
#include "lan_lister.h"
#include "router_mapping.h"

using namespace spinvale::net;

namespace {

volatile std::sig_atomic_t quit = 0;
const auto started = std::chrono::steady_clock::now();
LanResponder* responder = nullptr;

uint32_t nowMs() {
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - started)
                        .count());
}

void say(const std::string& line) {
    std::printf("%s at=%ums\n", line.c_str(), nowMs());
    std::fflush(stdout);
}

std::string statusLine(const MappingStatus& s) {
    static const char* const states[] = {"asking", "mapped", "not-mapped", "stopped"};
    return std::string(states[int(s.state)]) + " way=" + std::string(routerWayName(s.way)) +
           " local=" + ipv4Text(s.localAddress) + ":" + std::to_string(s.localPort) +
           " external=" + ipv4Text(s.externalAddress) + ":" + std::to_string(s.externalPort) +
           " refusal=" + std::to_string(int(s.refusal)) + " code=" + std::to_string(s.code) +
           " name=" + std::string(routerCodeName(s.way, s.code));
}

// Reports what reaches the game's port other than a query, then lets ENet read it.
int intercept(ENetHost* host, ENetEvent*) {
    const int answered = answerLanQuery(host, *responder, nowMs());
    if (answered == 0) {
        say("received " + std::to_string(host->receivedDataLength) + " bytes from " +
            ipv4Text(ntohl(host->receivedAddress.host)));
    }
    return answered;
}

void reportMapping(const RouterMapping& mapping, std::string& last) {
    const std::string now = statusLine(mapping.status());
    if (now != last) {
        say(now);
        last = now;
    }
}

// host NAME PORT [LEASE]: a host as the game will be one: an ENet host that answers the
// search through its intercept (with the user's name when NAME is "") and maps its port on
// the router, until SIGTERM or SIGINT.
int host(const char* name, uint16_t port, uint32_t lease) {
    ENetAddress address{ENET_HOST_ANY, port};
    ENetHost* enetHost = enet_host_create(&address, 4, 2, 0, 0);
    if (enetHost == nullptr) {
        std::fprintf(stderr, "cannot open port %u\n", port);
        return 2;
    }
    LanResponder answering(*name ? name : userDisplayName(), port, listInterfaces());
    responder = &answering;
    enetHost->intercept = intercept;
    RouterMapping mapping({port, 3000, lease});
    std::string last;
    ENetEvent event;
    while (!quit) {
        reportMapping(mapping, last);
        if (enet_host_service(enetHost, &event, 10) > 0 && event.type == ENET_EVENT_TYPE_CONNECT) {
            say("connected from " + ipv4Text(ntohl(event.peer->address.host)));
        }
    }
    const uint32_t stopping = nowMs();
    const bool removed = mapping.stop();
    say("stopped removed=" + std::to_string(removed) +
        " took=" + std::to_string(nowMs() - stopping) + "ms");
    enet_host_destroy(enetHost);
    return 0;
}

// join ADDRESS PORT: whether an ENet connection to the host is made within 3 seconds.
int join(const char* name, uint16_t port) {
    ENetHost* client = enet_host_create(nullptr, 1, 2, 0, 0);
    ENetAddress address{0, port};
    enet_address_set_host(&address, name);
    enet_host_connect(client, &address, 2, 0);
    ENetEvent event;
    const bool connected =
        enet_host_service(client, &event, 3000) > 0 && event.type == ENET_EVENT_TYPE_CONNECT;
    enet_host_flush(client);  // the acknowledgement that completes the host's side
    say(connected ? "connected" : "no answer");
    enet_host_destroy(client);
    return 0;
}

// list PORT: the games found on this network.
int list(uint16_t port) {
    std::string error;
    auto lister = LanLister::start(port, nowMs(), error);
    if (!lister) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    while (!lister->done()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        lister->poll(nowMs());
    }
    for (const LanGame& g : lister->games()) {
        say("game " + ipv4Text(g.address) + ":" + std::to_string(g.port) + " '" + g.name + "'");
    }
    say("sent " + std::to_string(lister->bytesSent()) + " bytes");
    return 0;
}

// send ADDRESS PORT COUNT TEXT: sends TEXT COUNT times (a query when TEXT is "query") and
// counts what comes back within a second.
int send(const char* address, uint16_t port, int count, const std::string& text) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, address, &to.sin_addr);
    const std::vector<uint8_t> query = encodeLanQuery(7);
    const std::vector<uint8_t> bytes =
        text == "query" ? query : std::vector<uint8_t>(text.begin(), text.end());
    for (int i = 0; i < count; ++i) {
        sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    int replies = 0;
    char buffer[512];
    for (pollfd wait{s, POLLIN, 0};
         poll(&wait, 1, 1000) > 0 && recv(s, buffer, sizeof buffer, 0) > 0;) {
        ++replies;
    }
    say("replies " + std::to_string(replies));
    close(s);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGTERM, [](int) { quit = 1; });
    std::signal(SIGINT, [](int) { quit = 1; });
    const std::string mode = argc > 1 ? argv[1] : "";
    enet_initialize();
    if (mode == "host" && (argc == 4 || argc == 5)) {
        return host(argv[2], uint16_t(std::stoul(argv[3])),
                    argc == 5 ? uint32_t(std::stoul(argv[4])) : 3600);
    }
    if (mode == "join" && argc == 4) {
        return join(argv[2], uint16_t(std::stoul(argv[3])));
    }
    if (mode == "list" && argc == 3) {
        return list(uint16_t(std::stoul(argv[2])));
    }
    if (mode == "send" && argc == 6) {
        return send(argv[2], uint16_t(std::stoul(argv[3])), std::stoi(argv[4]), argv[5]);
    }
    std::fprintf(stderr,
                 "usage: router_probe host NAME PORT [LEASE] | join ADDRESS PORT | list PORT | "
                 "send ADDRESS PORT COUNT TEXT\n");
    return 2;
}
