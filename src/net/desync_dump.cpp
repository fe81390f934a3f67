#include "desync_dump.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data_paths.h"

namespace spinvale::net {

namespace {

constexpr int mostDumps = 999;

std::string playerName(Role role) {
    return "player " + std::to_string(int(role));
}

}  // namespace

DesyncDump::~DesyncDump() {
    std::string ignored;
    end("", ignored);
}

bool DesyncDump::begin(const std::string& folder, Role role, int64_t update,
                       const std::string& state, std::string& error) {
    const std::string in = folder.empty() ? userStateDirectory() : folder;
    if (in.empty()) {
        error = "there is no state folder (neither XDG_STATE_HOME nor HOME is set)";
        return false;
    }
    if (!makeDirectories(in, error)) {
        return false;
    }
    role_ = role;
    for (int k = 1; fd_ < 0 && k <= mostDumps; ++k) {
        path_ =
            in + "/desync-player" + std::to_string(int(role)) + "-" + std::to_string(k) + ".txt";
        fd_ = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno != EEXIST) {
            error = "cannot make " + path_ + ": " + std::strerror(errno);
            return false;
        }
    }
    if (fd_ < 0) {
        error = "there are already " + std::to_string(mostDumps) + " such files in " + in;
        return false;
    }
    return write("# The two games differ after update " + std::to_string(update) + ".\n# " +
                     playerName(role) + " (this game):\n" + state + "\n",
                 error);
}

bool DesyncDump::end(const std::string& otherState, std::string& error) {
    if (fd_ < 0) {
        return true;
    }
    const std::string there =
        otherState.empty() ? "# not received" : otherState.substr(0, maxStateText);
    const bool written =
        write("# " + playerName(otherRole(role_)) + " (the other game):\n" + there + "\n", error);
    if (fd_ >= 0 && ::close(fd_) != 0 && written) {
        error = "cannot write " + path_ + ": " + std::strerror(errno);
        fd_ = -1;
        return false;
    }
    fd_ = -1;
    return written;
}

bool DesyncDump::write(const std::string& text, std::string& error) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = "cannot write " + path_ + ": " + std::strerror(n < 0 ? errno : ENOSPC);
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace spinvale::net
