// What the player sees and hears: the game's window, everything its OpenGL context holds
// (made again with every window), the sound device, and one frame drawn and shown.
#pragma once

#include <string>
#include <vector>

#include "app_window.h"
#include "data_paths.h"
#include "game_statistics.h"
#include "match.h"
#include "menu.h"
#include "overlay.h"
#include "render.h"
#include "settings_file.h"
#include "sound.h"

namespace spinvale {

struct Screen {
    AppWindow window;
    Multisample multisample;
    SceneLists lists;
    SoundChannel sound;
    DataPaths data;
    DisplayChoices display;  // the window and sound as the player chose them
};

// A window in the chosen mode with its context's drawing built, and the sound device (which
// may have come since the last window). False when no window could be made.
bool openScreen(Screen& screen, bool dialogs, bool simpleGraphics);

// The window closed with everything its context held.
void closeScreen(Screen& screen);

// The page of the open menu, laid out for the window.
std::vector<PlacedRow> menuLayout(const Screen& screen, const Menu& menu,
                                  const GameSettings& playing,
                                  const std::vector<std::string>& notes,
                                  const GameStatistics& statistics);

// The statistics pages, side by side: over a game won by player winner, or (0) in the menu;
// newGames: Enter starts a new game.
std::vector<PlacedRow> statisticsLayout(const Screen& screen, const GameStatistics& statistics,
                                        int winner, bool newGames = true);

// The page line at a row of the window, -1 for none.
int lineAt(const std::vector<PlacedRow>& rows, int y);

// The texts a driver puts over the match (each "" for none).
struct FrameTexts {
    std::string notice;      // beside the match
    std::string scoreNote;   // under the score
    std::string cornerNote;  // in the top left corner
};

// One frame: the match, the driver's texts over it, a page over all (the menu's, the
// statistics of a won game: when given); then shown. The cursor shows over a page, also in
// fullscreen, where the game hides it.
void showFrame(Screen& screen, const Match& match, const FrameTexts& texts,
               const std::vector<PlacedRow>* page);

}  // namespace spinvale
