// A transport in memory: what one side sends reaches its linked side's next receive until the
// link is cut; anything else (visitors, garbage, timeouts) goes straight into an inbox.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <vector>

#include "net_peer.h"
#include "transport.h"

namespace spinvale::net {

// The host at table.local, the code typed loosely; a desync written into `dumps` (or only told).
inline NetSetup testSetup(Role role = Role::Guest, const std::string& dumps = "/dev/null/none",
                          bool watchers = true) {
    NetSetup setup;
    setup.role = role;
    setup.hostName = "table.local";
    setup.code = "k7m-q2p";
    setup.settings = defaultGameSettings();
    setup.dumpFolder = dumps;
    setup.watchers = watchers;
    return setup;
}

class FakeTransport final : public Transport {
  public:
    ~FakeTransport() override { cut(); }

    // A call reaches the host, from 127.0.0.ID:5000, as connection `id` on both sides.
    static void link(FakeTransport& host, FakeTransport& caller, ConnectionId id = 1) {
        host.far_[id] = &caller;
        caller.far_[id] = &host;
        host.inbox.push_back(Connected{id, {0x7f000000 + uint32_t(id), 5000}});
        caller.inbox.push_back(Connected{id, {0x7f000001, 27455}});
    }
    // Nothing more passes either way on that link (on every link), not even what is on its way.
    void cut(ConnectionId id) {
        if (const auto far = far_.find(id); far != far_.end()) {
            far->second->drop(id);
        }
        drop(id);
    }
    void cut() {
        while (!far_.empty()) {
            cut(far_.begin()->first);
        }
        inbox.clear();
    }

    std::vector<TransportEvent> receive(uint32_t) override {
        std::vector<TransportEvent> events(inbox.begin(), inbox.end());
        inbox.clear();
        return events;
    }
    void send(ConnectionId to, const std::vector<uint8_t>& bytes, bool) override {
        if (const auto far = far_.find(to); far != far_.end()) {
            far->second->inbox.push_back(Received{to, bytes});
            bytesTo[to] += bytes.size();
        }
    }
    void close(ConnectionId id, Goodbye why) override {
        closed.push_back(id);
        if (const auto far = far_.find(id); far != far_.end()) {
            far->second->inbox.push_back(Disconnected{id, uint32_t(why)});
            far->second->far_.erase(id);
            far_.erase(far);
        }
    }
    void reset(ConnectionId id) override {
        closed.push_back(id);
        cut(id);
    }
    void linger() override {}
    uint32_t roundTripMs(ConnectionId) const override { return 20; }
    void tolerateSilence(ConnectionId, uint32_t) override {}
    void flush() override {}
    TransportCounts counts() const override { return {}; }

    std::deque<TransportEvent> inbox;
    std::vector<ConnectionId> closed;          // closed or reset, in order
    std::map<ConnectionId, uint64_t> bytesTo;  // sent, on each connection

  private:
    void drop(ConnectionId id) {  // this end of the link, and what is on its way to it
        far_.erase(id);
        const auto of = [id](const TransportEvent& e) {
            return std::visit([id](const auto& x) { return x.id == id; }, e);
        };
        inbox.erase(std::remove_if(inbox.begin(), inbox.end(), of), inbox.end());
    }
    std::map<ConnectionId, FakeTransport*> far_;
};

}  // namespace spinvale::net
