#include "screen.h"

#include "statistics_page.h"

namespace spinvale {

bool openScreen(Screen& screen, bool dialogs, bool simpleGraphics) {
    AppWindow& w = screen.window;
    w.fullscreen = screen.display.fullscreen;
    if (!createAppWindow(w, screen.multisample, dialogs)) {
        return false;
    }
    setupView(w.width, w.height);
    screen.lists = SceneLists{};
    buildModelLists(screen.lists, screen.data);
    screen.lists.font = makeBitmapFont("Impact", 30);
    screen.lists.smallFont = makeBitmapFont("Impact", 19);
    initSound(screen.sound);
    if (simpleGraphics) {
        useSimpleGraphics(screen.lists);
    }
    return true;
}

void closeScreen(Screen& screen) {
    destroyAppWindow(screen.window);
}

std::vector<PlacedRow> menuLayout(const Screen& screen, const Menu& menu,
                                  const GameSettings& playing,
                                  const std::vector<std::string>& notes,
                                  const GameStatistics& statistics) {
    if (menu.page == MenuPage::Statistics) {
        return statisticsLayout(screen, statistics, 0);
    }
    const AppWindow& w = screen.window;
    return layoutPage(menuPage(menu, playing, notes), w.viewportWidth, w.viewportHeight,
                      screen.lists);
}

std::vector<PlacedRow> statisticsLayout(const Screen& screen, const GameStatistics& statistics,
                                        int winner, bool newGames) {
    const AppWindow& w = screen.window;
    const auto pages = statisticsPages(statistics, winner, newGames);
    return layoutSideBySide(pages[0], pages[1], w.viewportWidth, w.viewportHeight, screen.lists);
}

int lineAt(const std::vector<PlacedRow>& rows, int y) {
    for (const PlacedRow& row : rows) {
        if (y >= row.top && y < row.top + row.height) {
            return row.line;
        }
    }
    return -1;
}

void showFrame(Screen& screen, const Match& match, const FrameTexts& texts,
               const std::vector<PlacedRow>* page) {
    const AppWindow& w = screen.window;
    const int height = match.settings.screenHeight;
    drawFrame(screen.lists, match);
    if (!texts.notice.empty()) {
        drawNotice(screen.lists, height, texts.notice);
    }
    if (!texts.scoreNote.empty()) {
        drawScoreNote(screen.lists, height, texts.scoreNote);
    }
    if (!texts.cornerNote.empty()) {
        drawCornerNote(screen.lists, height, texts.cornerNote);
    }
    if (page != nullptr) {
        drawPage(*page, w.viewportWidth, w.viewportHeight, screen.lists);
    }
    SDL_ShowCursor(page != nullptr || !w.fullscreen ? SDL_ENABLE : SDL_DISABLE);
    SDL_GL_SwapWindow(w.window);
}

}  // namespace spinvale
