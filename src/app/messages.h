// Problems the player must see: always on stderr, and in a message box with the caption
// "Error" unless dialogs are turned off (automated runs have nobody to press OK).
#pragma once

namespace spinvale {

void showError(const char* text, bool dialog);

}  // namespace spinvale
