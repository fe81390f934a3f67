// When the two games differ, both states go to a file for a bug report, once a game: a new
// file in the player's state folder ($XDG_STATE_HOME/spinvale, by default
// ~/.local/state/spinvale) named desync-playerN-K.txt, N this side's player and K the first
// number free. It is always a new file: an existing one is never written over, nor a link
// followed. This side's state goes in at once; the other side's, when it comes, at most as
// long as a message can carry.
#pragma once

#include <cstdint>
#include <string>

#include "protocol.h"

namespace spinvale::net {

class DesyncDump {
  public:
    DesyncDump() = default;
    ~DesyncDump();
    DesyncDump(const DesyncDump&) = delete;
    DesyncDump& operator=(const DesyncDump&) = delete;

    // Makes the file in folder ("": the player's state folder) with this side's match after
    // the update, as a trace line. False, with the reason, when it cannot.
    bool begin(const std::string& folder, Role role, int64_t update, const std::string& state,
               std::string& error);
    bool writing() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }
    // Adds the other side's state ("": it never came) and closes the file. False, with the
    // reason, when the write failed.
    bool end(const std::string& otherState, std::string& error);

  private:
    bool write(const std::string& text, std::string& error);

    int fd_ = -1;
    Role role_ = Role::Host;
    std::string path_;
};

}  // namespace spinvale::net
