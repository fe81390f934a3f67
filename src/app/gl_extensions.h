// What the OpenGL strings say of the driver: its extensions, and whether it draws on the CPU.
#pragma once

namespace spinvale {

// A whole-word search of a space-separated list: "GL_ARB_multisample" is not found in
// "GL_ARB_multisample_extra" nor in "XGL_ARB_multisample". A null list holds nothing.
bool hasExtension(const char* list, const char* name);

// Mesa's renderers that draw every pixel on the processor (llvmpipe, softpipe, swrast), by
// the GL_RENDERER string. Multisampling there costs about as many times the frame as it
// takes samples. A null string names no renderer.
bool isSoftwareRenderer(const char* renderer);

}  // namespace spinvale
