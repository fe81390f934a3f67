// The menu's entries, one row each: its text, its choices and what choosing it does; and how
// each kind of choice is shown and stepped.
#include "menu.h"

#include <algorithm>
#include <iterator>

#include "practice.h"

namespace spinvale {

const Preset strengthPresets[3] = {{"Easy", 0.4f, 35}, {"Normal", 0.7f, 40}, {"Hard", 0.8f, 46}};
const Preset ballSpeedPresets[3] = {{"slow", 12, 12}, {"normal", 14, 12}, {"fast", 18, 12}};
namespace {

MenuRow act(const char* name, Offer offer, MenuAction action, MenuPage opens = MenuPage::Entries) {
    MenuRow row{name, offer, action};
    row.opens = opens;
    return row;
}

MenuRow choice(const char* name, Offer offer, ChoiceKind kind) {
    const bool match = kind == ChoiceKind::SettingsFlag || kind == ChoiceKind::Points ||
                       kind == ChoiceKind::Preset || kind == ChoiceKind::Strength;
    // Choices that only make up a page's request: a drill's, the host page's router.
    const bool drill =
        kind == ChoiceKind::Drill || kind == ChoiceKind::Target || kind == ChoiceKind::Router;
    MenuRow row{name, offer,
                match   ? MenuAction::SettingsChanged
                : drill ? MenuAction::None
                        : MenuAction::DisplayChanged};
    row.choice = kind;
    return row;
}

MenuRow settingsFlag(const char* name, const SettingsField& f, const char* on, const char* off) {
    MenuRow row = choice(name, Offer::Local, ChoiceKind::SettingsFlag);
    row.fields[0] = f;
    row.on = on;
    row.off = off;
    return row;
}

MenuRow preset(const char* name, const Preset* presets, const SettingsField& first,
               const SettingsField& second) {
    MenuRow row = choice(name, Offer::Local, ChoiceKind::Preset);
    row.fields[0] = first;
    row.fields[1] = second;
    row.presets = presets;
    return row;
}

MenuRow strength(const char* name) {
    MenuRow row = preset(name, strengthPresets, field::aiSkill, field::aiSpeed);
    row.choice = ChoiceKind::Strength;
    row.fields[2] = field::adaptiveStrength;
    return row;
}

MenuRow points(const char* name) {
    MenuRow row = choice(name, Offer::Local, ChoiceKind::Points);
    row.fields[0] = field::pointsPerGame;
    return row;
}

MenuRow displayChoice(const char* name, DisplayField f, ChoiceKind kind) {
    MenuRow row = choice(name, Offer::Always, kind);
    row.display = f;
    return row;
}

MenuRow textField(const char* name, Offer page, std::string Menu::*text, std::size_t longest) {
    MenuRow row{name, page, MenuAction::None};
    row.choice = ChoiceKind::Text;
    row.text = text;
    row.longest = longest;
    return row;
}

}  // namespace

const std::vector<MenuRow> menuRows = {
    act("Resume", Offer::Always, MenuAction::Close),
    act("New game", Offer::Local, MenuAction::NewGame),
    settingsFlag("Player 1", field::player1Mouse, "mouse", "computer"),
    settingsFlag("Player 2", field::player2Keyboard, "keyboard/gamepad", "computer"),
    act("Host a network game", Offer::Local, MenuAction::None, MenuPage::Host),
    act("Join a network game", Offer::Local, MenuAction::None, MenuPage::Join),
    points("Game"),
    strength("Computer"),
    preset("Ball speed", ballSpeedPresets, field::gameSpeed, field::gravityScale),
    displayChoice("Sound", DisplayField::Sound, ChoiceKind::DisplayFlag),
    displayChoice("Fullscreen", DisplayField::Fullscreen, ChoiceKind::DisplayFlag),
    displayChoice("Anti-aliasing", DisplayField::Samples, ChoiceKind::Samples),
    act("Practice", Offer::Local, MenuAction::None, MenuPage::Practice),
    act("Statistics", Offer::Always, MenuAction::None, MenuPage::Statistics),
    act("How to play", Offer::Always, MenuAction::None, MenuPage::HowToPlay),
    act("Quit", Offer::Always, MenuAction::Quit),
    textField("Name", Offer::HostPage, &Menu::hostName, 31),  // as the search shows it
    choice("Router", Offer::HostPage, ChoiceKind::Router),
    act("Host", Offer::HostPage, MenuAction::Host),
    textField("Address", Offer::JoinPage, &Menu::address, 40),  // HOST or HOST:PORT
    textField("Code", Offer::JoinPage, &Menu::code, 12),
    act("Join", Offer::JoinPage, MenuAction::Join),
    choice("Drill", Offer::PracticePage, ChoiceKind::Drill),
    choice("Target", Offer::PracticePage, ChoiceKind::Target),
    act("Start", Offer::PracticePage, MenuAction::Practice),
};

namespace {

bool displayFlag(const PlayerChoices& c, DisplayField f) {
    return f == DisplayField::Fullscreen ? c.display.fullscreen : c.display.sound;
}

// The preset the two values make, or -1 when they make none.
int presetOf(const Preset* presets, float first, float second) {
    for (int i = 0; i < 3; ++i) {
        if (presets[i].first == first && presets[i].second == second) {
            return i;
        }
    }
    return -1;
}

std::string samplesText(const Menu& menu) {
    const int chosen = menu.chosen.display.samples, inUse = menu.samplesInUse;
    const std::string text = chosen < 0    ? "automatic"
                             : chosen == 0 ? "off"
                                           : std::to_string(chosen) + " samples";
    if (inUse == chosen) {
        return text;
    }
    return text + " (" + (inUse == 0 ? std::string("none") : std::to_string(inUse)) + " in use)";
}

// The choice an entry shows after its name.
std::string choiceText(const Menu& menu, std::size_t i) {
    const MenuRow& row = menuRows[i];
    const GameSettings& g = menu.chosen.settings;
    switch (row.choice) {
        case ChoiceKind::SettingsFlag:
            return g.*row.fields[0].flag ? row.on : row.off;
        case ChoiceKind::Points:
            return std::to_string(g.pointsPerGame) + " points";
        case ChoiceKind::Strength:
            if (g.adaptiveStrength) {
                return "Adaptive";
            }
            [[fallthrough]];
        case ChoiceKind::Preset: {
            const int p = presetOf(row.presets, g.*row.fields[0].real, g.*row.fields[1].real);
            return p < 0 ? "custom" : row.presets[p].name;
        }
        case ChoiceKind::DisplayFlag:
            return displayFlag(menu.chosen, row.display) ? "on" : "off";
        case ChoiceKind::Samples:
            return samplesText(menu);
        case ChoiceKind::Text:
            return menu.*row.text + (menu.selected == i ? "_" : "");
        case ChoiceKind::Drill:
            return practiceModeName(menu.practice.mode);
        case ChoiceKind::Router:
            return menu.askRouter ? "ask it to open the port" : "leave it as it is";
        case ChoiceKind::Target:
            return menu.practice.target == PracticeTarget::Any
                       ? "anywhere"
                       : std::string("the ") + practiceTargetName(menu.practice.target) + " half";
        case ChoiceKind::None:
            break;
    }
    return "";
}

// The next preset that way; from values that make none, the first or the last.
void stepPreset(const Preset* presets, float& first, float& second, int step) {
    const int now = presetOf(presets, first, second);
    const int next = now < 0 ? (step > 0 ? 0 : 2) : (now + step + 3) % 3;
    first = presets[next].first;
    second = presets[next].second;
}

// Easy, Normal, Hard, then Adaptive, which starts from the strength shown before it.
void stepStrength(const MenuRow& row, GameSettings& g, int step) {
    constexpr int adaptive = 3;
    const int now = g.adaptiveStrength ? adaptive : presetOf(row.presets, g.aiSkill, g.aiSpeed);
    const int next = now < 0 ? (step > 0 ? 0 : adaptive) : (now + step + 4) % 4;
    g.adaptiveStrength = next == adaptive;
    if (next != adaptive) {
        g.aiSkill = row.presets[next].first;
        g.aiSpeed = row.presets[next].second;
    }
}

void stepSamples(int32_t& samples, int step) {
    const auto* found = std::find(std::begin(sampleChoices), std::end(sampleChoices), samples);
    const int count = int(std::size(sampleChoices));
    const int now = found == std::end(sampleChoices) ? 0 : int(found - std::begin(sampleChoices));
    samples = sampleChoices[(now + step + count) % count];
}

}  // namespace

std::string entryText(const Menu& menu, std::size_t i) {
    if (i >= menuRows.size()) {
        const FoundGame& game = menu.found[i - menuRows.size()];
        return game.name + ": " + game.address;
    }
    const MenuRow& row = menuRows[i];
    return row.choice == ChoiceKind::None ? row.name : row.name + (": " + choiceText(menu, i));
}

MenuAction stepChoice(Menu& menu, const MenuRow& row, int step) {
    PlayerChoices& c = menu.chosen;
    GameSettings& g = c.settings;
    switch (row.choice) {
        case ChoiceKind::SettingsFlag:
            g.*row.fields[0].flag = !(g.*row.fields[0].flag);
            break;
        case ChoiceKind::Points:
            g.pointsPerGame = g.pointsPerGame == 11 ? 21 : 11;
            break;
        case ChoiceKind::Preset:
            stepPreset(row.presets, g.*row.fields[0].real, g.*row.fields[1].real, step);
            break;
        case ChoiceKind::Strength:
            stepStrength(row, g, step);
            break;
        case ChoiceKind::Drill:
            menu.practice.mode = menu.practice.mode == PracticeMode::Returns
                                     ? PracticeMode::Rally
                                     : PracticeMode::Returns;
            return MenuAction::None;
        case ChoiceKind::Target:
            menu.practice.target = PracticeTarget((int(menu.practice.target) + step + 3) % 3);
            return MenuAction::None;
        case ChoiceKind::Router:
            menu.askRouter = !menu.askRouter;
            return MenuAction::None;
        case ChoiceKind::DisplayFlag:
            (row.display == DisplayField::Sound ? c.display.sound : c.display.fullscreen) ^= true;
            break;
        case ChoiceKind::Samples:
            stepSamples(c.display.samples, step);
            break;
        default:
            return MenuAction::None;
    }
    for (const SettingsField& f : row.fields) {
        if (f.name != nullptr) {
            markSet(c, f);
        }
    }
    if (row.action == MenuAction::DisplayChanged) {
        markSet(c, row.display);
    }
    return row.action;
}

}  // namespace spinvale
