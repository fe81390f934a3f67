// The join page's search for games on this network: a query broadcast on the game's port to
// each of this computer's networks (twice, 250 ms apart, in case one is lost) and the answers
// that come back within a second. Polled from the frame loop; nothing in it blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lan_discovery.h"

namespace spinvale::net {

class LanLister {
  public:
    // Sends the first query; nothing, with the reason, when no socket can be had.
    static std::unique_ptr<LanLister> start(uint16_t port, uint32_t nowMs, std::string& error);
    ~LanLister();
    LanLister(const LanLister&) = delete;
    LanLister& operator=(const LanLister&) = delete;

    // Sends the second query when it is due and takes in the answers that arrived.
    void poll(uint32_t nowMs);
    // A second after the start: what was found is all there is.
    bool done() const { return done_; }
    // The games found so far, each host once, in the order they answered.
    const std::vector<LanGame>& games() const { return games_; }
    // The query bytes sent, UDP payload only.
    uint64_t bytesSent() const { return bytesSent_; }

  private:
    LanLister(int socket, uint16_t port, uint32_t nowMs);
    void sendQueries();
    void readAnswers();

    int socket_;
    uint16_t port_;
    uint32_t startedAt_;
    uint32_t nonce_;
    std::vector<uint32_t> targets_;
    int rounds_ = 0;
    bool done_ = false;
    uint64_t bytesSent_ = 0;
    std::vector<LanGame> games_;
};

}  // namespace spinvale::net
