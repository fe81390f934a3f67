// The game program's loop: windows made one after another (a switch of mode makes the next
// one), the events of each answered, and the frames run through one pipeline: the driver's
// updates, then the outputs, then the drawing. What the player asks of the shell is carried
// out here, and only here.
#pragma once

#include "options.h"

namespace spinvale {

// Plays until the player quits. The exit status: 0 after a quit, 1 when no window could
// be made, a file not read or written, or a replay stopped at a malformed line; 255 when
// the video system cannot start.
int runGame(const Options& options);

}  // namespace spinvale
