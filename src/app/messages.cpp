#include "messages.h"

#include <SDL.h>

#include <iostream>

namespace spinvale {

void showError(const char* text, bool dialog) {
    std::cerr << "spinvale: " << text << "\n";
    if (dialog) {
        // Without a display the box cannot open and the call returns at once: stderr has it.
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, "Error", text, nullptr);
    }
}

}  // namespace spinvale
