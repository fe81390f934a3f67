// Who answers the game's input events, in order: the menu while it is open (an invite pasted
// on its join page fills the fields), then the shell's own keys (Tab opens the menu, Enter
// after the last point starts a new game; over a driver's page, a click or Ctrl+C copies its
// text), then the capture into the next update's command. A responder that answers an event keeps
// it from those after it, except that a key or the button let go always reaches the capture, so
// that nothing stays held. What the player asked of the shell comes back as intents.
#pragma once

#include <functional>
#include <vector>

#include "input_capture.h"
#include "input_events.h"
#include "intents.h"
#include "match_driver.h"
#include "menu.h"

namespace spinvale {

// What the responders read of the shell around them.
struct ShellState {
    MatchControl control;    // of the driver playing
    GameSettings playing;    // the settings of the match shown
    bool gameOver = false;   // the match shown has been won
    DisplayChoices display;  // the window and sound as they are
    int samplesInUse = 0;    // the window's multisampling
    std::string copyable;    // what a click or Ctrl+C copies from the page shown ("": none)
};

class Responders {
  public:
    // The page line at a row of the window (for the pointer over the menu), -1 for none.
    using LineAt = std::function<int(int y)>;

    Responders(Menu& menu, InputCapture& capture, LineAt lineAt)
        : menu_(menu), capture_(capture), lineAt_(std::move(lineAt)) {}

    // Answers one input event (window events are the window's own); the intents it asks
    // for are added to intents.
    void respond(const InputEvent& event, const ShellState& shell, std::vector<Intent>& intents);

  private:
    bool menuTakes(const InputEvent& event, const ShellState& shell, std::vector<Intent>& intents);
    bool hotKeyTakes(const KeyEvent& key, const ShellState& shell, std::vector<Intent>& intents);
    bool copyTakes(const InputEvent& event, const ShellState& shell, std::vector<Intent>& intents);
    void paste(const std::string& text);
    void pointAtMenu(int y, bool click, const ShellState& shell, std::vector<Intent>& intents);
    void actOnMenu(MenuAction action, const ShellState& shell, std::vector<Intent>& intents);

    Menu& menu_;
    InputCapture& capture_;
    LineAt lineAt_;
};

}  // namespace spinvale
