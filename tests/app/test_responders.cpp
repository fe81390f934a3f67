// The responders in order (menu, shell keys, capture) and the intents they hand the loop.
#include <gtest/gtest.h>

#include "responders.h"

namespace spinvale {
namespace {

// A shell whose menu page has one entry per 10 rows of the window, from line 1 (the title).
struct Shell {
    Menu menu;
    InputCapture capture;
    Responders responders{menu, capture, [](int y) { return y / 10; }};
    ShellState state{MatchControl::Local, defaultGameSettings(), false, DisplayChoices{}, 4, ""};

    std::vector<Intent> answer(std::initializer_list<InputEvent> events) {
        std::vector<Intent> intents;
        for (const InputEvent& event : events) {
            responders.respond(event, state, intents);
        }
        return intents;
    }
    std::vector<Intent> press(int code) { return answer({KeyEvent{code, true}}); }
    UpdateInput next() { return takeUpdateInput(capture, 16, 0, 0); }
};

template <typename I>
const I& only(const std::vector<Intent>& intents) {
    EXPECT_EQ(intents.size(), 1u);
    static const I none{};
    return intents.size() == 1 && std::holds_alternative<I>(intents[0]) ? std::get<I>(intents[0])
                                                                        : none;
}

TEST(Responders, TheMenuAnswersFirstThenTheShellsKeysThenTheCapture) {
    Shell shell;
    shell.answer({KeyEvent{KeyLeft, true}});
    EXPECT_TRUE(shell.press(tabKey).empty() && shell.menu.open && !shell.menu.networkGame);
    EXPECT_TRUE(shell
                    .answer({KeyEvent{KeyDown, true, KeySource::Gamepad}, KeyEvent{KeyLeft, false},
                             TextEvent{"x"}, KeyEvent{KeyEscape, true}})
                    .empty());
    EXPECT_FALSE(shell.menu.open) << "Esc closes the menu";
    EXPECT_EQ(shell.next().keys, KeySet().set(KeyLeft))
        << "the arrow pressed before the menu counts; Down and Esc went to the menu";
    EXPECT_TRUE(shell.next().keys.none()) << "the arrow let go under the menu reached the capture";
    EXPECT_TRUE(shell.press(KeyEnter).empty()) << "Enter plays while the game goes on";
    shell.state.gameOver = true;  // Enter, and no other key, starts the next game
    EXPECT_TRUE(shell.answer({KeyEvent{KeyDown, true}, KeyEvent{KeyDown, false}}).empty());
    EXPECT_EQ(only<NewGame>(shell.press(KeyEnter)).settings, defaultGameSettings());
    EXPECT_EQ(shell.next().keys, KeySet().set(KeyEnter).set(KeyDown));

    // A network game: no new game, a menu of its own, and a watcher's with fewer entries still.
    for (const MatchControl control : {MatchControl::Shared, MatchControl::Watched}) {
        shell.state.control = control;
        EXPECT_TRUE(shell.press(KeyEnter).empty() && shell.press(tabKey).empty());
        EXPECT_TRUE(shell.menu.open && shell.menu.networkGame &&
                    shell.menu.watching == (control == MatchControl::Watched));
        shell.press(tabKey);
    }
    shell.state.control = MatchControl::Replayed;  // no menu at all: the keys go to the capture
    EXPECT_TRUE(shell.press(tabKey).empty() && !shell.menu.open);
    EXPECT_EQ(shell.next().keys, KeySet().set(KeyEnter).set(tabKey));
}

TEST(Responders, TheMenusActionsComeBackAsIntents) {
    Shell shell;
    shell.press(tabKey);
    shell.answer({PointerEvent{35}});  // line 3: Player 1
    EXPECT_EQ(shell.menu.selected, 2u);
    shell.press(KeyDown);
    EXPECT_TRUE(only<KeepChoices>(shell.press(KeyRight)).choices.settings.player2Keyboard);
    const std::vector<Intent> fullscreen = shell.press(KeyF1);
    ASSERT_EQ(fullscreen.size(), 2u);
    EXPECT_FALSE(std::get<ApplyDisplay>(fullscreen[1]).display.fullscreen);
    EXPECT_TRUE(std::get<KeepChoices>(fullscreen[0]).choices.displaySet.any());
    EXPECT_TRUE(only<NewGame>(shell.press(KeyEscape)).settings.player2Keyboard)
        << "a changed match choice starts a new game as the menu closes";

    shell.press(tabKey);
    shell.menu.hostName = "Ana";
    shell.answer({ButtonEvent{true, 55}});  // line 5: the host page
    const StartNetGame host = only<StartNetGame>(shell.answer({ButtonEvent{true, 45}}));  // Host
    EXPECT_EQ(std::tuple(host.hosting, host.name, host.askRouter, host.watchersWelcome),
              std::tuple(true, "Ana", true, true));
    EXPECT_TRUE(shell.answer({ButtonEvent{false, 55}}).empty());
    EXPECT_EQ(shell.next().button, ButtonMessage::Released)
        << "the button let go reached the capture";
    shell.answer({KeyEvent{KeyEscape, true}, ButtonEvent{true, 65}, TextEvent{"10.0.0.7"},
                  KeyEvent{KeyEnter, true}, TextEvent{"K7MQ2P"}, KeyEvent{KeyEnter, true}});
    const StartNetGame join = only<StartNetGame>(shell.press(KeyEnter));
    EXPECT_EQ(std::tuple(join.hosting, join.address, join.code),
              std::tuple(false, "10.0.0.7", "K7MQ2P"));
    // Pasted on the join page: an invite fills both fields, a faulty one is said, text is typed.
    shell.answer({PasteEvent{"spinvale://192.0.2.7/K7MQ2P"}});
    EXPECT_EQ(shell.menu.netProblem,
              "Cannot read the invite: the invite 'spinvale://192.0.2.7/K7MQ2P' has no port after "
              "the address.");
    shell.answer({PasteEvent{" spinvale://192.0.2.7:4000/k7mq2p\n"}, KeyEvent{KeyUp, true},
                  PasteEvent{"-1"}});
    EXPECT_EQ(std::tuple(shell.menu.address, shell.menu.code, shell.menu.netProblem),
              std::tuple("192.0.2.7:4000", "K7MQ2P-1", ""));
    // On the watch page an invite fills the same fields, and Enter on Watch watches it.
    shell.answer({KeyEvent{KeyEscape, true}, ButtonEvent{true, 75},
                  PasteEvent{"spinvale://192.0.2.8:4000/K7MQ2P"}});
    const StartNetGame watch = only<StartNetGame>(shell.press(KeyEnter));
    EXPECT_EQ(std::tuple(watch.watching, watch.address, watch.code),
              std::tuple(true, "192.0.2.8:4000", "K7MQ2P"));
    only<Quit>(shell.answer({KeyEvent{KeyEscape, true}, ButtonEvent{true, 175}}));  // line 17
    shell.answer({ButtonEvent{true, 145}, KeyEvent{KeyUp, true}});  // Practice, then Start
    const StartPractice drill = only<StartPractice>(shell.press(KeyEnter));
    EXPECT_TRUE(drill.rules == shell.menu.practice && drill.settings.player2Keyboard &&
                !shell.menu.open);

    // Over a page with a text to copy, Ctrl+C or a click copies it, and the click is no swing.
    shell.state.copyable = "spinvale://192.0.2.7:27455/K7MQ2P";
    EXPECT_EQ(only<CopyText>(shell.answer({CopyEvent{}})).text, shell.state.copyable);
    EXPECT_EQ(only<CopyText>(shell.answer({ButtonEvent{true, 0}})).text, shell.state.copyable);
    EXPECT_EQ(shell.next().button, ButtonMessage::None);
}

}  // namespace
}  // namespace spinvale
