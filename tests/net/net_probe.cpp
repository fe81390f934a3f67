// What a stranger or a misbehaving guest sends a host on 127.0.0.1:PORT, for the tests:
//   net_probe PORT empty | half-open N | wrong-code N SECONDS | trickle CODE inputs|hashes
//                  | big SECONDS [CODE]
// empty: 600 empty datagrams, then 300 a second for 6 s; half-open: N CONNECTs, each from its
// own address, never finished; wrong-code: N connections from 127.0.0.2 guessing codes; trickle:
// joins, then only an empty Inputs (or a hash out of turn) every 2 s until let go; big: two
// visitors that never say hello (with CODE: that join first), 4 x 30 MB each. It prints "probing",
// then what it did; with --watch PID, "memory START MOST": that process's resident kB.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <thread>

#include "session.h"

namespace {

using namespace spinvale::net;
using Clock = std::chrono::steady_clock;

ENetAddress target;
std::string watched;
long memoryStart = 0, memoryMost = 0;

long residentKb() {
    long size = 0, resident = 0;
    std::ifstream("/proc/" + watched + "/statm") >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Calls tick about every millisecond for `seconds`, or until it says stop.
template <typename Tick>
void runFor(double seconds, Tick tick) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end && tick()) {
        memoryMost = std::max(memoryMost, watched.empty() ? 0 : residentKb());
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// From 127.0.0.3, each millisecond's from a new port.
void emptyDatagrams() {
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    from.sin_addr.s_addr = inet_addr("127.0.0.3");
    to.sin_port = htons(target.port), to.sin_addr.s_addr = target.host;
    const auto start = Clock::now();
    int sent = 0;
    runFor(6, [&] {
        const int s = socket(AF_INET, SOCK_DGRAM, 0);
        bind(s, reinterpret_cast<sockaddr*>(&from), sizeof from);
        for (const double t = std::chrono::duration<double>(Clock::now() - start).count();
             sent < 600 + int(t * 300); ++sent) {
            sendto(s, nullptr, 0, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        }
        close(s);
        return true;
    });
    std::cout << "sent " << sent << " empty datagrams\n";
}

// Each CONNECT from an ENet host of its own, gone before the host's answer comes.
void halfOpen(int count) {
    for (int i = 0; i < count; ++i) {
        ENetAddress a{};
        enet_address_set_host_ip(&a, ("127.0.1." + std::to_string(1 + i)).c_str());
        ENetHost* host = enet_host_create(&a, 1, 2, 0, 0);
        enet_host_connect(host, &target, 2, 0);
        enet_host_flush(host);
        enet_host_destroy(host);
    }
    runFor(2, [] { return true; });
    std::cout << "sent " << count << " half-open connections\n";
}

void send(ENetPeer* to, const Message& m, uint32_t flags = ENET_PACKET_FLAG_RELIABLE) {
    const std::vector<uint8_t> bytes = encode(m, Role::Guest);
    enet_peer_send(to, 1, enet_packet_create(bytes.data(), bytes.size(), flags));
}

Hello hello(const std::string& code) {
    Hello h{protocolVersion, SPINVALE_VERSION, matchBuildHash(), {}};
    std::copy(code.begin(), code.end(), h.code.begin());
    return h;
}

// ENet connections from `from` for `seconds`; on(host, event) says whether to go on.
template <typename On>
void connections(const char* from, int count, double seconds, On on) {
    ENetAddress a{};
    enet_address_set_host_ip(&a, from);
    ENetHost* host = enet_host_create(&a, std::size_t(count), 2, 0, 0);
    host->maximumPacketSize = 64u << 20;
    for (int i = 0; i < count; ++i) {
        enet_host_connect(host, &target, 2, 0);
    }
    runFor(seconds, [&] {
        bool more = true;
        for (ENetEvent e; more && enet_host_service(host, &e, 0) > 0;) {
            more = on(host, e);
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                enet_packet_destroy(e.packet);
            }
        }
        return more && on(host, ENetEvent{});
    });
    enet_host_destroy(host);
}

void wrongCodes(int count, double seconds) {
    long tries = 0, backedOff = 0;
    connections("127.0.0.2", count, seconds, [&](ENetHost* host, const ENetEvent& e) {
        if (e.type == ENET_EVENT_TYPE_CONNECT) {
            send(e.peer, hello("WR0NG1"));
            ++tries;
        } else if (e.type == ENET_EVENT_TYPE_RECEIVE) {  // a Refused: its reason's byte
            backedOff +=
                e.packet->dataLength > 1 && e.packet->data[1] == uint8_t(Refusal::TooManyTries);
        } else if (e.type == ENET_EVENT_TYPE_DISCONNECT) {
            enet_host_connect(host, &target, 2, 0);
        }
        return true;
    });
    std::cout << "sent " << tries << " wrong codes, " << backedOff << " refused unread\n";
}

void trickle(const std::string& code, bool inputs) {
    const auto start = Clock::now();
    auto last = start;
    bool joined = false;
    connections("127.0.0.1", 1, 40, [&](ENetHost* host, const ENetEvent& e) {
        if (e.type == ENET_EVENT_TYPE_CONNECT) {
            send(e.peer, hello(code));
        }
        joined = joined || (e.type == ENET_EVENT_TYPE_RECEIVE && e.packet->data[0] == 2);
        if (joined && Clock::now() - last >= std::chrono::seconds(2)) {
            last = Clock::now();
            send(&host->peers[0], inputs ? Message(Inputs{}) : Message(HashCheck{9999, 1}));
        }
        return e.type != ENET_EVENT_TYPE_DISCONNECT;
    });
    std::cout << (joined ? "joined" : "never joined") << "; let go after "
              << std::chrono::duration<double>(Clock::now() - start).count() << " s\n";
}

void bigVisitors(double seconds, const std::string& code) {
    std::vector<uint8_t> payload(30u << 20, 0x55);  // sent from here, never copied
    connections("127.0.0.4", 2, seconds, [&](ENetHost*, const ENetEvent& e) {
        if (e.type == ENET_EVENT_TYPE_CONNECT && !code.empty()) {
            send(e.peer, hello(code));
        }
        for (int p = 0; e.type == ENET_EVENT_TYPE_CONNECT && p < 4; ++p) {
            const uint32_t flags = ENET_PACKET_FLAG_RELIABLE | ENET_PACKET_FLAG_NO_ALLOCATE;
            enet_peer_send(e.peer, 1, enet_packet_create(payload.data(), payload.size(), flags));
        }
        return true;
    });
    std::cout << "sent 30 MB packets\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 4 && args[args.size() - 2] == "--watch") {
        watched = args.back();
        args.resize(args.size() - 2);
        memoryStart = memoryMost = residentKb();
    }
    args.resize(std::max<std::size_t>(args.size(), 2));
    const std::string mode = args[1];
    const std::map<std::string, std::pair<std::size_t, std::function<void()>>> probes = {
        {"empty", {2, [] { emptyDatagrams(); }}},
        {"half-open", {3, [&] { halfOpen(std::stoi(args[2])); }}},
        {"wrong-code", {4, [&] { wrongCodes(std::stoi(args[2]), std::stod(args[3])); }}},
        {"trickle", {4, [&] { trickle(args[2], args[3] == "inputs"); }}},
        {"big", {4, [&] { bigVisitors(std::stod(args[2]), args.size() == 4 ? args[3] : ""); }}}};
    const auto probe = probes.find(mode);
    if (enet_initialize() != 0 || probe == probes.end() || args.size() > probe->second.first ||
        args.size() < probe->second.first - (mode == "big")) {
        std::cerr << "usage: net_probe PORT MODE [ARGS] [--watch PID]\n";
        return 2;
    }
    enet_address_set_host_ip(&target, "127.0.0.1");
    target.port = static_cast<uint16_t>(std::stoi(args[0]));
    std::cout << "probing" << std::endl;
    probe->second.second();
    if (!watched.empty()) {
        std::cout << "memory " << memoryStart << " " << memoryMost << "\n";
    }
}
