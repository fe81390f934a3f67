// The projection of a context: a 50-degree perspective from 5 cm to the far plane.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render.h"

namespace spinvale {

namespace {

// The aspect ratio of the perspective now in force: its first diagonal entry is the
// second's divided by the aspect. A fresh context's identity matrix gives 1.
double currentAspect() {
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    return projection[0] != 0 ? projection[5] / projection[0] : 1.0;
}

// A window shrunk to no height keeps the shape it had rather than dividing by zero.
void setPerspective(int width, int height, double farPlane) {
    const double aspect = height > 0 ? double(width) / height : currentAspect();
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(50, aspect, 5, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

// The far plane of a new context is 900; the first resize widens it to 2000.
void setupView(int width, int height) {
    setPerspective(width, height, 900);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0.5f);
}

void reshapeViewport(int width, int height) {
    setPerspective(width, height, 2000);
}

}  // namespace spinvale
