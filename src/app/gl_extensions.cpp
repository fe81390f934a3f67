#include "gl_extensions.h"

#include <cstring>
#include <initializer_list>

namespace spinvale {

// Every occurrence is tried, one character after the previous one: an early hit inside a
// longer name must not hide the name standing on its own later in the list.
bool hasExtension(const char* list, const char* name) {
    if (list == nullptr || name == nullptr || *name == '\0') {
        return false;
    }
    const std::size_t length = std::strlen(name);
    for (const char* hit = std::strstr(list, name); hit != nullptr;
         hit = std::strstr(hit + 1, name)) {
        const bool startsWord = hit == list || hit[-1] == ' ';
        const bool endsWord = hit[length] == '\0' || hit[length] == ' ';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

bool isSoftwareRenderer(const char* renderer) {
    if (renderer == nullptr) {
        return false;
    }
    for (const char* name : {"llvmpipe", "softpipe", "swrast"}) {
        if (std::strstr(renderer, name) != nullptr) {
            return true;
        }
    }
    return false;
}

}  // namespace spinvale
