// The game program: the window loop, the game's start on every new window, the event pump
// and the frame loop.
#pragma once

#include "options.h"

namespace spinvale {

// Plays until the player quits. The exit status: 0 after a quit, 1 when no window could
// be made or an output file not written, 255 when the video system cannot start.
int runGame(const Options& options);

}  // namespace spinvale
