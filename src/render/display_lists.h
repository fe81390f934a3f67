// The models compiled into display lists: the ball, the two paddles, the scene with its two
// textures, and the outline scene and flat paddle of the simple graphics.
#pragma once

#include <cstdint>

#include "data_paths.h"

namespace spinvale {

// Sphere of diameter 1 with normals and no colour: it takes the colour current when called.
uint32_t buildBallList();

// Each paddle in the colours of its runs, positions only.
uint32_t buildPaddle1List();
uint32_t buildPaddle2List();

struct SceneListBuild {
    uint32_t list = 0;
    uint32_t textures[2] = {};  // by texture slot
    int trianglesSent = 0;  // counted while compiling: the three hidden table-top faces send none
};

// Creates and loads the two scene textures, then compiles the scene.
// The list leaves blending and texturing off.
SceneListBuild buildSceneList(const DataPaths& data);

// The table edge, centre line and net as lines.
uint32_t buildOutlineSceneList();

// Paddle 1's flat outline and side wall in one colour.
uint32_t buildFlatPaddleList();

}  // namespace spinvale
