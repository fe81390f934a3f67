// One frame: the scene, player 1's paddle, the ball and its shadow, player 2's paddle, then
// the texts. Every object is placed from the fixed camera; all geometry comes from lists.
#include "frame.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>

#include "render.h"
#include "text.h"

namespace spinvale {

namespace {

constexpr GLenum multisampleArb = 0x809D;  // GL_MULTISAMPLE_ARB

// The camera looks from the settings' eye point at the centre of the net, y up. Every
// object starts from it afresh, so no matrix is pushed or popped.
void setCameraView(const GameSettings& settings) {
    glLoadIdentity();
    gluLookAt(double(settings.cameraX), double(settings.cameraY), double(settings.cameraZ), 0, 0, 0,
              0, 1, 0);
}

// The paddle model lies flat with its handle toward +z; the quarter turn about x stands it
// up with the handle down. Paddle 2 (mirror -1) is paddle 1 reflected in x: the fixed
// 45-degree turn and the offsets change sign, the swing keeps its sign rule. The last
// translation acts first on the model.
void placePaddle(const Paddle& paddle, float mirror) {
    if (paddle.side == PaddleSide::Forehand) {
        glTranslatef(paddle.x, paddle.y, paddle.z);
        glRotatef(paddle.swingAngle, 0, 1, 0);
        glRotatef(90, 1, 0, 0);
        glRotatef(-45 * mirror, 0, 1, 0);
        glDisable(GL_TEXTURE_2D);
        glTranslatef(10 * mirror, 0, 0);
    } else {
        glTranslatef(float(double(paddle.x) + 13 * mirror), paddle.y, paddle.z);
        glRotatef(-paddle.swingAngle, 0, 1, 0);
        glRotatef(90, 1, 0, 0);
        glRotatef(45 * mirror, 0, 1, 0);
        glDisable(GL_TEXTURE_2D);
        glTranslatef(-10 * mirror, 0, 0);
    }
}

void drawPaddle(const Match& match, const Paddle& paddle, float mirror, uint32_t list) {
    setCameraView(match.settings);
    placePaddle(paddle, mirror);
    glCallList(list);
}

// The sphere is closed, wound counter-clockwise seen from outside, and of one colour: its
// far half is always hidden behind its near half, so the far half's triangles are left out
// with no pixel changed. On a software renderer that saves half the ball's triangle setup.
void drawSphere(const GameSettings& settings, float x, float y, float z, uint32_t ballList) {
    setCameraView(settings);
    glTranslatef(x, y, z);
    glScalef(ballSize, ballSize, ballSize);
    glEnable(GL_CULL_FACE);
    glCallList(ballList);
    glDisable(GL_CULL_FACE);
}

// The shadow is the same sphere in black, centred on the playing height over the table and
// on the floor elsewhere. The scene leaves blending off, so it shows solid.
void drawBall(const Match& match, uint32_t ballList) {
    const MatchState& s = match.state;
    glColor4f(1, 1, 1, 1);
    drawSphere(match.settings, s.ballX, s.ballY, s.ballZ, ballList);
    const float shadowHeight = ballOverTable(s) ? tableHeight : 0;
    glColor4f(0, 0, 0, 0.31f);
    drawSphere(match.settings, s.ballX, shadowHeight, s.ballZ, ballList);
}

void drawScores(const Match& match, uint32_t fontListBase, const TextRows& rows) {
    const int screenHeight = match.settings.screenHeight;
    printText(fontListBase, screenHeight, textColumn, rows.score1, "Player 1 : %d",
              match.state.score1);
    printText(fontListBase, screenHeight, textColumn, rows.score2, "Player 2: %d",
              match.state.score2);
}

void drawResult(const Match& match, uint32_t fontListBase, const TextRows& rows) {
    const int screenHeight = match.settings.screenHeight;
    const char* result = match.state.rallyState == P1WinsGame   ? "Player 1 wins the game!"
                         : match.state.rallyState == P2WinsGame ? "Player 2 wins the game!"
                                                                : nullptr;
    if (result != nullptr) {
        printText(fontListBase, screenHeight, textColumn, rows.result, "%s", result);
        printText(fontListBase, screenHeight, textColumn, rows.exitHint, "Press Esc to exit");
        printText(fontListBase, screenHeight, textColumn, rows.newGameHint, "Enter: new game");
    }
}

}  // namespace

TextRows frameTextRows(int screenHeight) {
    const int half = screenHeight / 2;
    return {half - 65, half - 45, half - 5, half + 15, half + 35};
}

// Multisampling is switched on for the frame's drawing only, every frame.
void drawFrame(const SceneLists& lists, const Match& match) {
    glEnable(multisampleArb);
    glClearColor(0.8f, 0.8f, 1, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setCameraView(match.settings);
    glCallList(lists.sceneList);
    drawPaddle(match, match.state.paddle1, 1, lists.paddle1List);
    drawBall(match, lists.ballList);
    drawPaddle(match, match.state.paddle2, -1, lists.paddle2List);
    glColor3f(0, 0, 1);  // all texts are blue
    const TextRows rows = frameTextRows(match.settings.screenHeight);
    drawScores(match, lists.font.listBase, rows);
    drawResult(match, lists.font.listBase, rows);
    glDisable(GL_TEXTURE_2D);
    glFlush();
    glDisable(multisampleArb);
}

namespace {

// The text's lines one under the other, 20 pixels apart, from that row down.
void printLines(uint32_t fontListBase, int screenHeight, int row, const std::string& text) {
    for (std::size_t start = 0; start <= text.size(); row += 20) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        printText(fontListBase, screenHeight, textColumn, row, "%s",
                  text.substr(start, end - start).c_str());
        start = end + 1;
    }
}

}  // namespace

void drawNotice(const SceneLists& lists, int screenHeight, const std::string& text) {
    glColor3f(0.7f, 0, 0);
    printLines(lists.font.listBase, screenHeight, frameTextRows(screenHeight).exitHint + 40, text);
}

void drawScoreNote(const SceneLists& lists, int screenHeight, const std::string& text) {
    glColor3f(0, 0, 1);
    printLines(lists.smallFont.listBase, screenHeight, frameTextRows(screenHeight).score2 + 20,
               text);
}

void drawCornerNote(const SceneLists& lists, int screenHeight, const std::string& text) {
    glColor3f(0, 0, 1);
    printLines(lists.smallFont.listBase, screenHeight, 25, text);
}

}  // namespace spinvale
