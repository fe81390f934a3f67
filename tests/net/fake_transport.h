// A transport in memory for the network peer's tests and fuzzer: what one side sends reaches
// the side it is linked to at that side's next receive, until the link is cut; anything else
// (visitors, garbage, timeouts) is put straight into a side's inbox.
#pragma once

#include <deque>
#include <vector>

#include "transport.h"

namespace spinvale::net {

class FakeTransport final : public Transport {
  public:
    ~FakeTransport() override { unlink(); }

    // The guest's call reaches the host, from 127.0.0.1:5000, as connection `id` on both sides.
    static void link(FakeTransport& host, FakeTransport& guest, ConnectionId id = 1) {
        host.far_ = &guest;
        guest.far_ = &host;
        host.link_ = guest.link_ = id;
        host.inbox.push_back(Connected{id, {0x7f000001, 5000}});
        guest.inbox.push_back(Connected{id, {0x7f000001, 27455}});
    }
    // Nothing more passes either way, not even what is on its way.
    void cut() {
        if (far_ != nullptr) {
            far_->inbox.clear();
        }
        inbox.clear();
        unlink();
    }

    std::vector<TransportEvent> receive(uint32_t) override {
        std::vector<TransportEvent> events(inbox.begin(), inbox.end());
        inbox.clear();
        return events;
    }
    void send(ConnectionId to, const std::vector<uint8_t>& bytes, bool) override {
        if (far_ != nullptr && to == link_) {
            far_->inbox.push_back(Received{link_, bytes});
        }
    }
    void close(ConnectionId id, Goodbye why) override {
        closed.push_back(id);
        if (far_ != nullptr && id == link_) {
            far_->inbox.push_back(Disconnected{link_, uint32_t(why)});
            unlink();
        }
    }
    void reset(ConnectionId id) override {
        closed.push_back(id);
        if (id == link_) {
            cut();
        }
    }
    void linger() override {}
    uint32_t roundTripMs(ConnectionId) const override { return 20; }
    void flush() override {}
    TransportCounts counts() const override { return {}; }

    std::deque<TransportEvent> inbox;
    std::vector<ConnectionId> closed;  // closed or reset, in order

  private:
    void unlink() {
        if (far_ != nullptr) {
            far_->far_ = nullptr;
        }
        far_ = nullptr;
    }

    FakeTransport* far_ = nullptr;
    ConnectionId link_ = 0;
};

}  // namespace spinvale::net
