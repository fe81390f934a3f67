#include "responders.h"

#include <optional>

#include "invite.h"
#include "net_driver.h"

namespace spinvale {

namespace {

std::optional<MenuKey> menuKeyFor(int code) {
    switch (code) {
        case KeyUp:
            return MenuKey::Up;
        case KeyDown:
            return MenuKey::Down;
        case KeyLeft:
            return MenuKey::Left;
        case KeyRight:
            return MenuKey::Right;
        case KeyEnter:
            return MenuKey::Enter;
        case KeyEscape:
            return MenuKey::Escape;
        case backspaceKey:
            return MenuKey::Backspace;
        case tabKey:
            return MenuKey::Tab;
        case KeyF1:
            return MenuKey::ToggleFullscreen;
        default:
            return std::nullopt;
    }
}

}  // namespace

void Responders::respond(const InputEvent& event, const ShellState& shell,
                         std::vector<Intent>& intents) {
    if (menuTakes(event, shell, intents) || copyTakes(event, shell, intents)) {
        return;
    }
    if (const auto* key = std::get_if<KeyEvent>(&event)) {
        if (!hotKeyTakes(*key, shell, intents)) {
            captureKey(capture_, *key);
        }
    } else if (const auto* button = std::get_if<ButtonEvent>(&event)) {
        captureButton(capture_, button->down);
    }
}

// Every key, text and pointer event goes to the open menu but a key or the button let go.
bool Responders::menuTakes(const InputEvent& event, const ShellState& shell,
                           std::vector<Intent>& intents) {
    if (!menu_.open) {
        return false;
    }
    if (const auto* key = std::get_if<KeyEvent>(&event)) {
        if (const std::optional<MenuKey> menuKey = menuKeyFor(key->code); key->down && menuKey) {
            actOnMenu(pressMenuKey(menu_, *menuKey), shell, intents);
        }
        return key->down;
    }
    if (const auto* button = std::get_if<ButtonEvent>(&event)) {
        if (button->down) {
            pointAtMenu(button->y, true, shell, intents);
        }
        return button->down;
    }
    if (const auto* text = std::get_if<TextEvent>(&event)) {
        typeIntoMenu(menu_, text->text);
    } else if (const auto* pasted = std::get_if<PasteEvent>(&event)) {
        paste(pasted->text);
    } else if (const auto* pointer = std::get_if<PointerEvent>(&event)) {
        pointAtMenu(pointer->y, false, shell, intents);
    }
    return true;
}

// An invite pasted on the join page fills its fields (or the page says what is wrong with
// it); other text goes into the field selected, as if typed.
void Responders::paste(const std::string& text) {
    if (menu_.page != MenuPage::Join || !net::looksLikeInvite(text)) {
        typeIntoMenu(menu_, text);
        return;
    }
    std::string address, code;
    menu_.netProblem = readPastedInvite(text, address, code);
    if (menu_.netProblem.empty()) {
        fillJoinFields(menu_, address, code);
    }
}

// Over a page with a text to copy (the host's invite), a click or Ctrl+C copies it; the
// click is not a swing.
bool Responders::copyTakes(const InputEvent& event, const ShellState& shell,
                           std::vector<Intent>& intents) {
    const auto* button = std::get_if<ButtonEvent>(&event);
    if (shell.copyable.empty() ||
        !(std::holds_alternative<CopyEvent>(event) || (button && button->down))) {
        return false;
    }
    intents.emplace_back(CopyText{shell.copyable});
    return true;
}

// A replay has no menu, and only a match of the player's own starts a new game.
bool Responders::hotKeyTakes(const KeyEvent& key, const ShellState& shell,
                             std::vector<Intent>& intents) {
    if (!key.down || shell.control == MatchControl::Replayed) {
        return false;
    }
    if (key.code == tabKey) {
        menu_.networkGame = shell.control == MatchControl::Shared;
        openMenu(menu_, shell.playing, shell.display, shell.samplesInUse);
        return true;
    }
    if (key.code == KeyEnter && shell.control == MatchControl::Local && shell.gameOver) {
        intents.emplace_back(NewGame{shell.playing});
        return true;
    }
    return false;
}

// The pointer over an entry selects it, a click acts on it; on a page of text a click
// anywhere goes back.
void Responders::pointAtMenu(int y, bool click, const ShellState& shell,
                             std::vector<Intent>& intents) {
    std::size_t row = 0;
    const bool onEntry = entryOnLine(menu_, lineAt_(y), row);
    if (click && (onEntry || showsText(menu_))) {
        actOnMenu(clickMenuEntry(menu_, row), shell, intents);
    } else if (onEntry) {
        menu_.selected = row;
    }
}

// Back in the match, changed match choices (or "New game") start a new game first.
void Responders::actOnMenu(MenuAction action, const ShellState& shell,
                           std::vector<Intent>& intents) {
    const PlayerChoices& chosen = menu_.chosen;
    switch (action) {
        case MenuAction::None:
            break;
        case MenuAction::Close:
        case MenuAction::NewGame:
            menu_.open = false;
            if (action == MenuAction::NewGame || matchChoicesDiffer(menu_, shell.playing)) {
                intents.emplace_back(NewGame{chosen.settings});
            }
            break;
        case MenuAction::SettingsChanged:
            intents.emplace_back(KeepChoices{chosen});
            break;
        case MenuAction::DisplayChanged:
            intents.emplace_back(KeepChoices{chosen});
            intents.emplace_back(ApplyDisplay{chosen.display});
            break;
        case MenuAction::Host:
            intents.emplace_back(StartNetGame{true, "", "", menu_.hostName, menu_.askRouter});
            break;
        case MenuAction::Join:
            intents.emplace_back(StartNetGame{false, menu_.address, menu_.code, "", false});
            break;
        case MenuAction::Practice:
            menu_.open = false;
            intents.emplace_back(StartPractice{menu_.practice, chosen.settings});
            break;
        case MenuAction::Quit:
            intents.emplace_back(Quit{});
            break;
    }
}

}  // namespace spinvale
