// Until the scene drawing lands: the view is set up and each frame is cleared to the sky
// colour, with the match's two drawing writes made as the real frame will make them.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render.h"

namespace spinvale {

namespace {

void perspective(int width, int height, double farPlane) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, height > 0 ? double(width) / height : 4.0 / 3.0, 5, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

void setupView(int width, int height) {
    perspective(width, height, 900);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0.5f);
}

void buildModelLists(SceneLists&, const DataPaths&) {}

uint32_t makeBitmapFont(const char*, int) { return 0; }

void useSimpleGraphics(SceneLists&) {}

void reshapeViewport(int width, int height) { perspective(width, height, 2000); }

void drawFrame(const SceneLists&, Match& match) {
    glClearColor(0.8f, 0.8f, 1, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    liftPaddleToBall(match, match.state.paddle1);
    liftPaddleToBall(match, match.state.paddle2);
    requestWinSound(match);
    glFlush();
}

}  // namespace spinvale
