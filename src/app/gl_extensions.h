// Whether an OpenGL extension list names an extension.
#pragma once

namespace spinvale {

// A whole-word search of a space-separated list: "GL_ARB_multisample" is not found in
// "GL_ARB_multisample_extra" nor in "XGL_ARB_multisample". A null list holds nothing.
bool hasExtension(const char* list, const char* name);

}  // namespace spinvale
