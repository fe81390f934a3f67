#include <gtest/gtest.h>

#include "gl_extensions.h"

namespace spinvale {
namespace {

TEST(HasExtension, FindsWholeNamesOnly) {
    const char* list = "GL_ARB_multisample GL_EXT_bgra GL_ARB_texture_env_add";
    EXPECT_TRUE(hasExtension(list, "GL_ARB_multisample"));
    EXPECT_TRUE(hasExtension(list, "GL_ARB_texture_env_add"));
    EXPECT_TRUE(hasExtension("GL_EXT_bgra ", "GL_EXT_bgra")) << "a trailing space ends a word";
    const char* longer = "GL_ARB_multisample_coverage XGL_EXT_bgra GL_EXT_bgra8";
    EXPECT_FALSE(hasExtension(longer, "GL_ARB_multisample")) << "a prefix of a longer name";
    EXPECT_FALSE(hasExtension(longer, "GL_EXT_bgra")) << "a suffix, then a prefix";
    EXPECT_FALSE(hasExtension("GL_EXT_bgra", "GL_EXT_bgra8"));
    // A later whole occurrence counts; the search restarts one character after each hit.
    EXPECT_TRUE(hasExtension("XGL_EXT_bgra GL_EXT_bgra", "GL_EXT_bgra"));
    EXPECT_TRUE(hasExtension("aaa aa", "aa"));
    EXPECT_FALSE(hasExtension("aaa", "aa"));
    EXPECT_FALSE(hasExtension(nullptr, "GL_EXT_bgra"));
    EXPECT_FALSE(hasExtension("", "GL_EXT_bgra"));
    EXPECT_FALSE(hasExtension(" ", ""));
}

TEST(SoftwareRenderer, MesasProcessorRenderersAreKnownByName) {
    EXPECT_TRUE(isSoftwareRenderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(isSoftwareRenderer("Gallium 0.4 on softpipe"));
    EXPECT_TRUE(isSoftwareRenderer("Mesa DRI swrast"));
    EXPECT_FALSE(isSoftwareRenderer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"));
    EXPECT_FALSE(isSoftwareRenderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(isSoftwareRenderer(nullptr));
}

}  // namespace
}  // namespace spinvale
