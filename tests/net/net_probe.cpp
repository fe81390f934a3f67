// What a stranger or a misbehaving guest sends a host, for the network tests:
//   net_probe PORT empty                 600 empty datagrams, then 300 a second for 6 s
//   net_probe PORT half-open N           N CONNECTs, each from its own address, never finished,
//                                        then 2 s
//   net_probe PORT wrong-code SECONDS    four connections from 127.0.0.2 guessing codes
//   net_probe PORT trickle CODE inputs|hashes   joins, then only an empty Inputs (or a hash
//                                        out of turn) every 2 s, until the host lets go
//   net_probe PORT big SECONDS           two visitors that never say hello, 4 x 30 MB each
// The host is on 127.0.0.1. "probing" is printed as the probe begins. With --watch PID, the
// resident memory of that process is sampled throughout and its start and most are printed
// at the end ("memory START MOST", in kB).
#include <arpa/inet.h>
#include <enet/enet.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "protocol.h"
#include "session.h"

namespace {

using namespace spinvale::net;
using Clock = std::chrono::steady_clock;

ENetAddress hostAddress;
pid_t watched = 0;
long memoryStart = 0, memoryMost = 0;

long residentKb() {
    std::ifstream status("/proc/" + std::to_string(watched) + "/status");
    for (std::string key; status >> key;) {
        long kb = 0;
        if (key == "VmRSS:" && status >> kb) {
            return kb;
        }
    }
    return 0;
}

void watch() {
    if (watched != 0) {
        memoryMost = std::max(memoryMost, residentKb());
    }
}

// Runs `tick` every millisecond or so for `seconds`, sampling the memory.
template <typename Tick>
void runFor(double seconds, Tick tick) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && tick()) {
        watch();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int udpSocket(const char* from) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, from, &a.sin_addr);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return s;
}

void sendTo(int s, const void* data, std::size_t size) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(hostAddress.port);
    to.sin_addr.s_addr = hostAddress.host;
    sendto(s, data, size, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void emptyDatagrams() {
    const int s = udpSocket("127.0.0.3");
    for (int i = 0; i < 600; ++i) {
        sendTo(s, nullptr, 0);
    }
    int sent = 0;
    const auto start = Clock::now();
    runFor(6, [&] {
        for (const double due = std::chrono::duration<double>(Clock::now() - start).count() * 300;
             sent < due; ++sent) {
            sendTo(s, nullptr, 0);
        }
        return true;
    });
    std::cout << "sent " << 600 + sent << " empty datagrams\n";
}

// ENet's CONNECT as a client's first datagram carries it: the header with its send time,
// then the command; nothing after it is ever answered.
void halfOpen(int count) {
    for (int i = 0; i < count; ++i) {
        uint8_t datagram[4 + sizeof(ENetProtocolConnect)] = {};
        const uint16_t peerId = htons(ENET_PROTOCOL_MAXIMUM_PEER_ID | ENET_PROTOCOL_HEADER_FLAG_SENT_TIME);
        std::memcpy(datagram, &peerId, 2);
        ENetProtocolConnect c{};
        c.header.command = ENET_PROTOCOL_COMMAND_CONNECT | ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE;
        c.header.channelID = 0xFF;
        c.header.reliableSequenceNumber = htons(1);
        c.mtu = htonl(1400);
        c.windowSize = htonl(ENET_PROTOCOL_MAXIMUM_WINDOW_SIZE);
        c.channelCount = htonl(2);
        c.connectID = htonl(0x5eed0000u + uint32_t(i));
        std::memcpy(datagram + 4, &c, sizeof c);
        const std::string from = "127.0.1." + std::to_string(1 + i);
        const int s = udpSocket(from.c_str());
        sendTo(s, datagram, sizeof datagram);
        close(s);
    }
    std::cout << "sent " << count << " half-open connections\n";
    runFor(2, [] { return true; });
}

Hello hello(const std::string& code) {
    Hello h;
    h.gameVersion = SPINVALE_VERSION;
    h.matchBuild = matchBuildHash();
    std::copy(code.begin(), code.end(), h.code.begin());
    return h;
}

void sendMessage(ENetPeer* to, const Message& m) {
    const std::vector<uint8_t> bytes = encode(m, Role::Guest);
    enet_peer_send(to, 1, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
}

ENetHost* client(const char* from, std::size_t peers) {
    ENetAddress a{};
    enet_address_set_host_ip(&a, from);
    return enet_host_create(&a, peers, 2, 0, 0);
}

void wrongCodes(double seconds) {
    ENetHost* host = client("127.0.0.2", 4);
    for (int i = 0; i < 4; ++i) {
        enet_host_connect(host, &hostAddress, 2, 0);
    }
    const Hello wrong = hello("WR0NG1");
    long tries = 0, refusals[8] = {};
    runFor(seconds, [&] {
        for (ENetEvent e; enet_host_service(host, &e, 0) > 0;) {
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                sendMessage(e.peer, wrong);
                ++tries;
            } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                ++refusals[e.packet->dataLength > 1 ? e.packet->data[1] & 7 : 0];
                enet_packet_destroy(e.packet);
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                enet_host_connect(host, &hostAddress, 2, 0);
            }
        }
        return true;
    });
    std::cout << "sent " << tries << " wrong codes; refused for each reason 1-5:";
    for (int r = 1; r <= 5; ++r) {
        std::cout << ' ' << refusals[r];
    }
    std::cout << '\n';
    enet_host_destroy(host);
}

void trickle(const std::string& code, bool inputs) {
    ENetHost* host = client("127.0.0.1", 1);
    enet_host_connect(host, &hostAddress, 2, 0);
    const auto start = Clock::now();
    auto last = start;
    bool joined = false, gone = false;
    runFor(40, [&] {
        for (ENetEvent e; enet_host_service(host, &e, 0) > 0;) {
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                sendMessage(e.peer, hello(code));
            } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                joined = joined || e.packet->data[0] == 2;
                enet_packet_destroy(e.packet);
            } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
                gone = true;
            }
        }
        if (joined && !gone && Clock::now() - last >= std::chrono::seconds(2)) {
            last = Clock::now();
            sendMessage(&host->peers[0], inputs ? Message(Inputs{}) : Message(HashCheck{9999, 1}));
        }
        return !gone;
    });
    std::cout << (joined ? "joined" : "never joined") << "; let go after "
              << std::chrono::duration<double>(Clock::now() - start).count() << " s\n";
    enet_host_destroy(host);
}

void bigVisitors(double seconds) {
    ENetHost* host = client("127.0.0.4", 2);
    host->maximumPacketSize = 64u << 20;
    std::vector<uint8_t> payload(30u << 20, 0x55);
    for (int i = 0; i < 2; ++i) {
        enet_host_connect(host, &hostAddress, 2, 0);
    }
    long sent = 0;
    runFor(seconds, [&] {
        for (ENetEvent e; enet_host_service(host, &e, 0) > 0;) {
            if (e.type == ENET_EVENT_TYPE_CONNECT) {
                for (int p = 0; p < 4; ++p, ++sent) {
                    enet_peer_send(e.peer, 1,
                                   enet_packet_create(payload.data(), payload.size(),
                                                      ENET_PACKET_FLAG_RELIABLE | ENET_PACKET_FLAG_NO_ALLOCATE));
                }
            } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(e.packet);
            }
        }
        return true;
    });
    std::cout << "sent " << sent << " packets of 30 MB\n";
    enet_host_destroy(host);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[args.size() - 2] == "--watch") {
        watched = std::stoi(args.back());
        args.resize(args.size() - 2);
        memoryStart = memoryMost = residentKb();
    }
    if (args.size() < 2 || enet_initialize() != 0) {
        std::cerr << "usage: net_probe PORT MODE [ARGS] [--watch PID]\n";
        return 2;
    }
    enet_address_set_host_ip(&hostAddress, "127.0.0.1");
    std::cout << "probing" << std::endl;
    hostAddress.port = static_cast<uint16_t>(std::stoi(args[0]));
    const std::string& mode = args[1];
    if (mode == "empty") {
        emptyDatagrams();
    } else if (mode == "half-open" && args.size() == 3) {
        halfOpen(std::stoi(args[2]));
    } else if (mode == "wrong-code" && args.size() == 3) {
        wrongCodes(std::stod(args[2]));
    } else if (mode == "trickle" && args.size() == 4) {
        trickle(args[2], args[3] == "inputs");
    } else if (mode == "big" && args.size() == 3) {
        bigVisitors(std::stod(args[2]));
    } else {
        std::cerr << "net_probe: unknown mode\n";
        return 2;
    }
    if (watched != 0) {
        std::cout << "memory " << memoryStart << " " << memoryMost << "\n";
    }
    enet_deinitialize();
    return 0;
}
