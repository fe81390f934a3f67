// The join page's list of the games on this network: while the page is open, a search for
// them is polled each frame and begun again every few seconds, and what it finds is shown on
// the page as it comes. Nothing in it blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "lan_lister.h"
#include "menu.h"
#include "protocol.h"

namespace spinvale {

class LanSearch {
  public:
    // Once a frame, with the frame's tick.
    void follow(Menu& menu, uint32_t nowMs);

  private:
    std::unique_ptr<net::LanLister> lister_;
    uint32_t startedAt_ = 0;
    std::vector<FoundGame> listed_;  // what the last whole search found
};

}  // namespace spinvale
