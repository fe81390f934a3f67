// What the shell asks of the drawing: prepare a new OpenGL context (projection, display
// lists, textures, font), follow window resizes, and draw one frame of the match.
// Everything here needs the game's context to be current.
#pragma once

#include <cstdint>
#include <string>

#include "data_paths.h"
#include "match.h"
#include "text.h"

namespace spinvale {

// The display lists of one context. A new context (every window creation) builds new ones.
struct SceneLists {
    uint32_t ballList = 0;
    uint32_t paddle1List = 0;
    uint32_t paddle2List = 0;
    uint32_t sceneList = 0;
    uint32_t sceneTextures[2] = {};  // the table top's and the floor's
    BitmapFont font;                 // the game's texts
    BitmapFont smallFont;            // the same face for the longer texts of the menu
};

// Viewport and perspective for a new context (far plane 900), depth test, smooth shading.
void setupView(int width, int height);

// The ball, paddle 1 and paddle 2 lists, then the scene list with its two textures, found
// through data (the working directory first).
void buildModelLists(SceneLists& lists, const DataPaths& data);

// 256 display lists of bitmap glyphs, cell height in pixels, and their advances.
BitmapFont makeBitmapFont(const char* faceName, int cellHeight);

// The outline table and the flat paddle in place of the full scene and paddle lists.
void useSimpleGraphics(SceneLists& lists);

// A window resize: viewport and perspective for the new client size (far plane 2000).
void reshapeViewport(int width, int height);

// One frame: scene, paddles, ball and shadow, scores, the result of a won game.
void drawFrame(const SceneLists& lists, const Match& match);

// Lines of news over a frame, under the scores (waiting for a player, a player gone).
void drawNotice(const SceneLists& lists, int screenHeight, const std::string& text);

// Lines right under the scores, in the smaller font (practice's word on a stroke).
void drawScoreNote(const SceneLists& lists, int screenHeight, const std::string& text);

// A line in the top left corner, in the smaller font (how far a watcher is behind).
void drawCornerNote(const SceneLists& lists, int screenHeight, const std::string& text);

}  // namespace spinvale
