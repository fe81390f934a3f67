#include <gtest/gtest.h>

#include "key_map.h"

namespace spinvale {
namespace {

TEST(KeyMap, TheKeysTheMatchReadsHaveTheirClassicCodes) {
    EXPECT_EQ(virtualKeyFor(SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFor(SDLK_KP_ENTER), 13);
    EXPECT_EQ(virtualKeyFor(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFor(SDLK_LEFT), 37);
    EXPECT_EQ(virtualKeyFor(SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFor(SDLK_RIGHT), 39);
    EXPECT_EQ(virtualKeyFor(SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFor(SDLK_F1), 112);
}

TEST(KeyMap, LettersAreTheirCapitalsAndDigitsTheirCharacters) {
    EXPECT_EQ(virtualKeyFor(SDLK_a), 65);
    EXPECT_EQ(virtualKeyFor(SDLK_m), 77);
    EXPECT_EQ(virtualKeyFor(SDLK_z), 90);
    EXPECT_EQ(virtualKeyFor(SDLK_0), 48);
    EXPECT_EQ(virtualKeyFor(SDLK_9), 57);
}

TEST(KeyMap, FunctionAndKeypadKeysRunInOrder) {
    EXPECT_EQ(virtualKeyFor(SDLK_F2), 113);
    EXPECT_EQ(virtualKeyFor(SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFor(SDLK_KP_0), 96);
    EXPECT_EQ(virtualKeyFor(SDLK_KP_1), 97);
    EXPECT_EQ(virtualKeyFor(SDLK_KP_9), 105);
    EXPECT_EQ(virtualKeyFor(SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFor(SDLK_LSHIFT), 16);
    EXPECT_EQ(virtualKeyFor(SDLK_RCTRL), 17);
}

TEST(KeyMap, KeysWithoutACodeAreLeftOut) {
    EXPECT_EQ(virtualKeyFor(SDLK_LALT), noVirtualKey);
    EXPECT_EQ(virtualKeyFor(SDLK_RALT), noVirtualKey);
    EXPECT_EQ(virtualKeyFor(SDLK_LGUI), noVirtualKey);
    EXPECT_EQ(virtualKeyFor(SDLK_F13), noVirtualKey);
    EXPECT_EQ(virtualKeyFor(SDLK_UNKNOWN), noVirtualKey);
    EXPECT_EQ(virtualKeyFor(0x40000000 | 0x1ff), noVirtualKey);
}

TEST(KeyMap, EveryCodeFitsTheKeyTable) {
    for (SDL_Keycode key = 0; key < 0x200; ++key) {
        const int code = virtualKeyFor(key);
        EXPECT_TRUE(code == noVirtualKey || (code >= 0 && code < 256)) << key;
        const int scancodeKey = virtualKeyFor(SDL_SCANCODE_TO_KEYCODE(key));
        EXPECT_TRUE(scancodeKey == noVirtualKey || (scancodeKey >= 0 && scancodeKey < 256));
    }
}

}  // namespace
}  // namespace spinvale
