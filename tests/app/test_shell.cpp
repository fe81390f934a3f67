// The shell's input and clock: SDL's keys, button and gamepads, the frame clock, GL names.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>
#include <vector>

#include "frame_timing.h"
#include "gl_extensions.h"
#include "input_capture.h"
#include "options.h"
#include "sdl_input.h"

namespace spinvale {
namespace {

SDL_Event keyEvent(SDL_Keycode key, bool down, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.sym = key, event.key.keysym.mod = mod, event.key.repeat = repeat;
    return event;
}

Gamepads noPads;

// SDL's events as the game's, their keys fed to the capture as the responders do.
void capture(InputCapture& capture, const SDL_Event& event, Gamepads& pads = noPads) {
    std::vector<InputEvent> events;
    translateEvent(event, pads, events);
    for (const InputEvent& e : events) {
        captureKey(capture, std::get<KeyEvent>(e));
    }
}

TEST(SdlInput, TheKeysTheGameReadsHaveTheirCodesAndNoOtherKeyCounts) {
    const std::pair<SDL_Keycode, int> read[] = {
        {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_ESCAPE, 27}, {SDLK_LEFT, 37},
        {SDLK_UP, 38},     {SDLK_RIGHT, 39},    {SDLK_DOWN, 40},   {SDLK_F1, 112},
        {SDLK_TAB, 9},     {SDLK_BACKSPACE, 8}};
    for (const auto& [key, code] : read) {
        EXPECT_EQ(virtualKeyFor(key), code) << key;
    }
    for (const SDL_Keycode other : {SDLK_LALT, SDLK_SPACE, SDLK_a, SDLK_F2, SDLK_KP_8}) {
        InputCapture c;
        capture(c, keyEvent(other, true));
        EXPECT_TRUE(keysOf(c).none()) << other;
    }
    std::vector<InputEvent> events;
    for (const SDL_Event& e : {keyEvent(SDLK_c, true, KMOD_LCTRL),
                               keyEvent(SDLK_v, true, KMOD_RCTRL), keyEvent(SDLK_c, true)}) {
        translateEvent(e, noPads, events);
    }
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(std::holds_alternative<CopyEvent>(events[0]) &&
                std::holds_alternative<PasteEvent>(events[1]));
}

TEST(GameCommandLine, AnInviteJoinsAfterJoinOrAlone) {
    const std::string invite = "spinvale://192.0.2.7:4000/k7mq2p";
    const std::string alone = "an invite joins: it takes no --host or --join";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--join", invite}, ""},
        {{invite}, ""},
        {{"--host", "--no-router", "--name", "Ana", invite}, alone},
        {{"--join", "192.0.2.8", invite}, alone},
        {{"table.example"},
         "'table.example' is not an option or an invite (spinvale://HOST:PORT/CODE)"}};
    for (const auto& [args, problem] : cases) {
        Options o;
        std::string error;
        ASSERT_EQ(gameCommandLine(o).parse(args), std::nullopt) << args.size();
        EXPECT_EQ(takeLink(o, error) ? "" : error, problem);
        EXPECT_TRUE(!problem.empty() ||
                    o.joinHost + ":" + std::to_string(o.joinPort) + "/" + o.code ==
                        "192.0.2.7:4000/K7MQ2P");
        EXPECT_TRUE(args.size() < 5 || (o.hosting && o.noRouter && o.lanName == "Ana"));
    }
}

// A tap or click counts for one update, a key held until let go; Alt+Enter is F1.
TEST(InputCapture, KeysAndClicksAsTheUpdatesSeeThem) {
    InputCapture c;
    const auto next = [&c] { return takeUpdateInput(c, 16, 0, 0).keys; };
    capture(c, keyEvent(SDLK_RETURN, true));
    capture(c, keyEvent(SDLK_RETURN, false));
    const UpdateInput input = takeUpdateInput(c, 16, 3, 4);
    EXPECT_EQ(std::tuple(input.keys, input.elapsedMs, input.pointerX, input.pointerY),
              std::tuple(KeySet().set(KeyEnter), 16u, 3, 4));
    EXPECT_TRUE(next().none());
    capture(c, keyEvent(SDLK_LEFT, true));
    capture(c, keyEvent(SDLK_LEFT, true, KMOD_NONE, 1));  // a repeat
    EXPECT_EQ((std::vector{next(), next()}), std::vector(2, KeySet().set(KeyLeft)));
    capture(c, keyEvent(SDLK_LEFT, false));
    capture(c, keyEvent(SDLK_RETURN, true, KMOD_LALT));
    EXPECT_EQ(next(), KeySet().set(KeyF1));
    capture(c, keyEvent(SDLK_RETURN, false, KMOD_LALT));
    EXPECT_TRUE(next().none());
    captureKey(c, {KeyRight, true});
    captureButton(c, true);
    releaseAll(c);
    const UpdateInput fresh = takeUpdateInput(c, 16, 0, 0);
    EXPECT_TRUE(fresh.keys.none() && fresh.button == ButtonMessage::None);
    const auto click = [&c] { return takeUpdateInput(c, 16, 0, 0).button; };
    using B = ButtonMessage;
    EXPECT_EQ(click(), B::None);
    captureButton(c, true);
    captureButton(c, false);
    EXPECT_EQ((std::vector{click(), click(), click()}),
              (std::vector{B::Pressed, B::Released, B::None}));
    captureButton(c, true);
    EXPECT_EQ((std::vector{click(), click()}), (std::vector{B::Pressed, B::None}));
    captureButton(c, false);
    EXPECT_EQ(click(), B::Released);
}

using std::chrono::microseconds;
const auto at = [](int64_t us) { return SteadyTime(microseconds(us)); };

// The clock paces unless the swap waits for a fast enough display.
TEST(FrameClock, PacesFramesAPeriodApartAndUpdatesGetWholeMillisecondsUpTo100) {
    // Limit, vsync, refresh rate (0: unknown), period: 1000000 / 60 rounded up; a display
    // reported at 59 Hz runs at 59.94, one faster than the limit lets the clock pace.
    const std::tuple<int, bool, int, int64_t> cases[] = {
        {60, false, 0, 16667}, {1, false, 0, 1000000}, {0, false, 0, 0},      {60, true, 59, 0},
        {60, true, 61, 0},     {1000, true, 144, 0},   {60, true, 58, 16667}, {60, true, 62, 16667},
        {60, true, 0, 16667},  {20, true, 60, 50000}};
    for (const auto& [maxFps, vsync, refreshHz, period] : cases) {
        EXPECT_EQ(framePeriod(maxFps, vsync, refreshHz).count(), period)
            << maxFps << (vsync ? " vsync " : " ") << refreshHz;
    }
    const std::vector<std::array<int64_t, 3>> runs[] = {
        // On time, then woken 80 us late: the frame stands for its due time, the next no later.
        {{1000, 1000, 16667}, {17667, 17667, 16667}, {34414, 34334, 51001 - 34414}},
        // 10 ms late, exactly a period late, over a period late (no burst of frames after).
        {{0, 0, 16667},
         {26667, 16667, 6667},
         {50001, 33334, 0},
         {90000, 90000, 16667},
         {106667, 106667, 16667}}};
    for (const auto& run : runs) {
        FrameSchedule schedule{framePeriod(60, false, 0)};
        EXPECT_EQ(timeUntilDue(schedule, at(run[0][0])).count(), 0) << "the first never waits";
        for (const auto& [now, frame, wait] : run) {
            EXPECT_EQ(startFrame(schedule, at(now)), at(frame)) << now;
            EXPECT_EQ(timeUntilDue(schedule, at(now)), microseconds(wait)) << now;
        }
    }
    EXPECT_EQ(std::tuple(millisecondTick(at(5999)), millisecondTick(at(0x100000005 * 1000)),
                         ticksBetween(0xfffffff0u, 0x10u), ticksBetween(5, 5)),
              std::tuple(5u, 5u, 32u, 0u));
    EXPECT_EQ(std::tuple(clampUpdateMs(17), clampUpdateMs(100), clampUpdateMs(101)),
              std::tuple(17u, 100u, 100u));
    EXPECT_EQ(clampUpdateMs(ticksBetween(1000, 61000)), 100u) << "a minute minimised";
}

TEST(GlNames, ExtensionsAreWholeNamesAndMesasProcessorRenderersAreKnown) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"GL_ARB_multisample GL_EXT_bgra", "GL_ARB_multisample", true},
        {"GL_EXT_bgra GL_ARB_texture_env_add", "GL_ARB_texture_env_add", true},
        {"XGL_EXT_bgra GL_EXT_bgra8 GL_EXT_bgra x", "GL_EXT_bgra", true},
        {"GL_ARB_multisample_coverage XGL_EXT_bgra GL_EXT_bgra8", "GL_EXT_bgra", false},
        {"GL_ARB_multisample_coverage", "GL_ARB_multisample", false},
        {"aaa aa", "aa", true},
        {"aaa", "aa", false},
        {nullptr, "aa", false},
        {" ", "", false}};
    for (const auto& [list, name, found] : cases) {
        EXPECT_EQ(hasExtension(list, name), found) << (list ? list : "(none)") << ": " << name;
    }
    for (const char* name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa DRI swrast"}) {
        EXPECT_TRUE(isSoftwareRenderer(name)) << name;
    }
    EXPECT_FALSE(isSoftwareRenderer("AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)") ||
                 isSoftwareRenderer(nullptr));
}

// SDL's own virtual controller; pulled out, it lets go of its keys, not of the keyboard's.
TEST(VirtualPad, HoldsTheKeysOfItsStickAndButtonsUntilPulledOut) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    InputCapture input;
    Gamepads pads;
    SDL_Joystick* joystick = nullptr;
    const auto step = [&] {  // the game's event pump, then an update's keys
        for (SDL_Event event; SDL_PollEvent(&event) != 0;) {
            capture(input, event, pads);
        }
        return takeUpdateInput(input, 16, 0, 0).keys;
    };
    const auto plugIn = [&] {
        const int device =
            SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                      SDL_CONTROLLER_BUTTON_MAX, 0);
        step();
        EXPECT_EQ(pads.open.size(), 1u) << "the game opened the pad it was told of";
        joystick = SDL_GameControllerGetJoystick(pads.open.begin()->second);
        return device;
    };
    int device = plugIn();
    const auto x = SDL_CONTROLLER_AXIS_LEFTX, y = SDL_CONTROLLER_AXIS_LEFTY;
    const std::tuple<SDL_GameControllerAxis, int16_t, int> sticks[] = {
        {x, -8001, KeyLeft}, {x, 8001, KeyRight}, {y, -32768, KeyUp},
        {y, 8001, KeyDown},  {x, -8000, -1},      {y, 8000, -1}};  // -1: no key
    for (const auto& [axis, value, key] : sticks) {
        SDL_JoystickSetVirtualAxis(joystick, axis, value);
        EXPECT_EQ(step(), key < 0 ? KeySet() : KeySet().set(key)) << value;
        SDL_JoystickSetVirtualAxis(joystick, axis, 0);
    }
    const std::pair<SDL_GameControllerButton, int> buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, KeyLeft}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, KeyRight},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, KeyUp},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, KeyDown},
        {SDL_CONTROLLER_BUTTON_A, KeyEnter},        {SDL_CONTROLLER_BUTTON_START, KeyEscape},
        {SDL_CONTROLLER_BUTTON_BACK, tabKey}};
    for (const auto& [button, key] : buttons) {
        SDL_JoystickSetVirtualButton(joystick, button, 1);
        EXPECT_EQ(step(), KeySet().set(key)) << key;
        SDL_JoystickSetVirtualButton(joystick, button, 0);
        EXPECT_TRUE(step().none()) << key;
    }
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, -32768);
    captureKey(input, {KeyUp, true});
    EXPECT_EQ(step(), KeySet().set(KeyEnter).set(KeyUp));
    SDL_JoystickDetachVirtual(device);
    EXPECT_EQ(step(), KeySet().set(KeyUp));
    EXPECT_TRUE(pads.open.empty());
    device = plugIn();
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, 1);
    EXPECT_EQ(step(), KeySet().set(KeyUp).set(KeyEscape));
    closeGamepads(pads);
    SDL_JoystickDetachVirtual(device);
    SDL_Quit();
}

}  // namespace
}  // namespace spinvale
