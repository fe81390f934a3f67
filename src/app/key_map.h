// The match indexes its key flags by the classic virtual-key codes (Enter 13, Esc 27,
// arrows 37 to 40, F1 112); SDL reports its own key codes, which are mapped here.
#pragma once

#include <SDL_keycode.h>

namespace spinvale {

constexpr int noVirtualKey = -1;

// Tab: the shell's own key, which opens and closes the menu; the match never reads it.
constexpr int tabKey = 9;
// Backspace: deletes the last letter typed in a menu field; the match never reads it either.
constexpr int backspaceKey = 8;

// The virtual-key code of a key, below 256, or noVirtualKey for keys the game never reads
// and that have no plain code (Alt, like the other system keys, is not recorded).
int virtualKeyFor(SDL_Keycode key);

}  // namespace spinvale
