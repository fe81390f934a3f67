#include "router_mapping.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "lan_interfaces.h"
#include "router_protocols.h"

namespace spinvale::net {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr auto removeWithin = milliseconds(1000);
// The caller waits a little longer than the removal may take, for the thread to wake.
constexpr auto stopWait = removeWithin + milliseconds(200);
constexpr auto renewWithin = seconds(3);

MappingStatus statusOf(const RouterReply& reply, MappingStatus status) {
    status.state =
        reply.outcome == RouterReply::Done ? MappingState::Mapped : MappingState::NotMapped;
    status.way = reply.way;
    if (reply.localAddress != 0) {
        status.localAddress = reply.localAddress;
    }
    status.externalAddress = reply.externalAddress;
    status.externalPort = reply.externalPort;
    status.refusal = reply.refusal;
    status.code = reply.code;
    return status;
}

// Half the lease granted, so that one renewal may fail and the next still come in time; a
// mapping that lasts until removed is asked again each half hour all the same.
Clock::duration renewalPeriod(uint32_t leaseSeconds) {
    return seconds(leaseSeconds == 0 ? 1800 : std::max<uint32_t>(1, leaseSeconds / 2));
}

}  // namespace

// What the caller and the thread share. The thread holds it too, so that a thread left
// behind by a stop that could not wait for it still has all it uses.
struct RouterMapping::Shared {
    MappingOptions options;
    Clock::time_point giveUpAt;
    std::mutex mutex;
    std::condition_variable wake;
    MappingStatus status;
    bool stopping = false;
    bool finished = false;
    bool removed = true;  // nothing left mapped on the router

    // The thread's whole life: ask, then hold what was mapped until the caller stops.
    void run() {
        MappingStatus base;
        base.localPort = options.port;
        base.localAddress = chooseLocalAddress(listInterfaces(), defaultGateway()).value_or(0);
        {
            std::lock_guard lock(mutex);
            status.localAddress = base.localAddress;
        }
        RouterReply reply;
        std::unique_ptr<Router> router = ask(reply);
        const MappingStatus first = statusOf(reply, base);
        if (!settle(first)) {
            finish(!router || router->unmap(options.now() + removeWithin));
        } else if (router) {
            finish(hold(*router, reply, first));
        } else {
            finish(true);
        }
    }

    // UPnP first, then NAT-PMP; the first refusal is kept, as it says the most.
    std::unique_ptr<Router> ask(RouterReply& reply) {
        RouterReply refused;
        for (const auto& find : options.finders) {
            if (stopRequested()) {
                break;
            }
            std::unique_ptr<Router> router = find(giveUpAt, reply);
            if (router) {
                reply = router->map(options.port, options.port, options.leaseSeconds, giveUpAt);
                if (reply.outcome == RouterReply::Done) {
                    return router;
                }
            }
            if (reply.outcome == RouterReply::Refused && refused.outcome != RouterReply::Refused) {
                refused = reply;
                noteRefusal(reply);
            }
        }
        reply = refused;
        return nullptr;
    }

    // Renews the lease until the caller stops, each renewal's answer published; then
    // removes the mapping. True when the router confirmed the removal.
    bool hold(Router& router, RouterReply reply, const MappingStatus& base) {
        uint16_t external = reply.externalPort;
        Clock::duration period = renewalPeriod(reply.leaseSeconds);
        while (waitForRenewal(period)) {
            reply = router.map(options.port, external, options.leaseSeconds,
                               options.now() + renewWithin);
            publish(statusOf(reply, base));
            if (reply.outcome == RouterReply::Done) {
                external = reply.externalPort;
                period = renewalPeriod(reply.leaseSeconds);
            }
        }
        return router.unmap(options.now() + removeWithin);
    }

    // With the mutex held: asking ends as not mapped when the time is up.
    void giveUpWhenLate() {
        if (status.state == MappingState::Asking && options.now() >= giveUpAt) {
            status.state = MappingState::NotMapped;
        }
    }

    // A refusal kept in the status while the next way is asked, so that giving up on that
    // one still tells the player what the first router said.
    void noteRefusal(const RouterReply& reply) {
        std::lock_guard lock(mutex);
        if (status.state == MappingState::Asking) {
            status.way = reply.way;
            status.refusal = reply.refusal;
            status.code = reply.code;
        }
    }

    bool stopRequested() {
        std::lock_guard lock(mutex);
        return stopping;
    }

    void publish(const MappingStatus& next) {
        std::lock_guard lock(mutex);
        if (!stopping) {
            status = next;
        }
    }

    // The first answer, unless it came too late or the caller no longer wants it.
    bool settle(const MappingStatus& first) {
        std::lock_guard lock(mutex);
        giveUpWhenLate();
        if (status.state != MappingState::Asking || stopping) {
            return false;
        }
        status = first;
        return true;
    }

    // Until the renewal is due (true) or the caller stops (false).
    bool waitForRenewal(Clock::duration period) {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, period, [this] { return stopping; });
    }

    void finish(bool nothingLeft) {
        std::lock_guard lock(mutex);
        finished = true;
        removed = nothingLeft;
        wake.notify_all();
    }
};

RouterMapping::RouterMapping(const MappingOptions& options) : shared_(std::make_shared<Shared>()) {
    shared_->options = options;
    shared_->giveUpAt = options.now() + milliseconds(options.giveUpMs);
    shared_->status.localPort = options.port;
    worker_ = std::thread([shared = shared_] { shared->run(); });
}

RouterMapping::~RouterMapping() {
    stop();
}

MappingStatus RouterMapping::status() const {
    std::lock_guard lock(shared_->mutex);
    shared_->giveUpWhenLate();
    return shared_->status;
}

void RouterMapping::release() {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->wake.notify_all();
}

bool RouterMapping::stop() {
    if (stopped_) {
        return removed_;
    }
    stopped_ = true;
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->wake.notify_all();
    const bool finished =
        shared_->wake.wait_for(lock, stopWait, [this] { return shared_->finished; });
    removed_ = finished && shared_->removed;
    shared_->status.state = MappingState::Stopped;
    lock.unlock();
    if (finished) {
        worker_.join();
    } else {
        worker_.detach();  // it ends by itself once the router's call returns
    }
    return removed_;
}

}  // namespace spinvale::net
