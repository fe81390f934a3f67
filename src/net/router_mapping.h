// The host's port opened on the home router: a UDP port mapping asked for with UPnP-IGD,
// else NAT-PMP, on a thread of its own so that the frame loop never waits for a router. The
// status is plain data, read whenever the caller likes. Asking gives up within 3 seconds;
// the same external port is asked for, and the router's choice taken when it is held; the
// lease (an hour) is renewed while the mapping is held; stop (or the destructor) removes it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "router_protocols.h"

namespace spinvale::net {

struct MappingOptions {
    uint16_t port = 0;  // the game's UDP port on this computer
    uint32_t giveUpMs = 3000;
    uint32_t leaseSeconds = 3600;
    // The clock and the ways a router is found, in the order tried: a test's own in tests.
    std::function<Deadline()> now = std::chrono::steady_clock::now;
    std::vector<std::function<std::unique_ptr<Router>(Deadline, RouterReply&)>> finders = {
        findUpnpRouter, findNatPmpRouter};
};

class RouterMapping {
  public:
    // Starts asking at once and returns.
    explicit RouterMapping(const MappingOptions& options);
    ~RouterMapping();
    RouterMapping(const RouterMapping&) = delete;
    RouterMapping& operator=(const RouterMapping&) = delete;

    MappingStatus status() const;
    // Asks for the mapping to be removed and returns at once: the frame loop's way to let it
    // go while the game goes on. stop() then waits for what is left.
    void release();
    // Removes the mapping, waiting at most about a second for the router to confirm. True
    // when nothing is left mapped (removed, or never made); false when the router did not
    // confirm in time, in which case its lease ends the mapping within the hour.
    bool stop();

  private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    std::thread worker_;
    bool stopped_ = false;
    bool removed_ = true;
};

}  // namespace spinvale::net
