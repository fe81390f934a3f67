// Lighting is never on: what shows is the current colour, modulated by the bound texture
// where texturing is on. The material calls keep OpenGL's material state in step with it.
#include "display_lists.h"

#include <GL/gl.h>

#include <algorithm>
#include <iterator>

#include "model_tables.h"
#include "render.h"
#include "texture.h"

namespace spinvale {

namespace {

void setMaterial(GLenum parameter, const float rgb[3], float alpha) {
    const GLfloat rgba[4] = {rgb[0], rgb[1], rgb[2], alpha};
    glMaterialfv(GL_FRONT_AND_BACK, parameter, rgba);
    glColor4f(rgb[0], rgb[1], rgb[2], alpha);
}

// Blending and texture changes are not allowed inside a triangle batch, so the batch is
// closed around them and a new one left open.
void switchMaterial(const ModelMaterial& material, const uint32_t* textures) {
    glEnd();
    setMaterial(GL_AMBIENT, material.ambient, material.alpha);
    setMaterial(GL_DIFFUSE, material.diffuse, material.alpha);
    if (material.alpha < 1) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(1, 1, 1, material.alpha);
    } else {
        glDisable(GL_BLEND);
    }
    if (material.textureSlot < 0) {
        glDisable(GL_TEXTURE_2D);
    } else {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[material.textureSlot]);
    }
    glBegin(GL_TRIANGLES);
}

void vertex(const Vec3f& v) {
    glVertex3f(v.x, v.y, v.z);
}

// Walks a model's runs over its faces: the first face of each run is where its material
// takes over.
class RunWalk {
  public:
    explicit RunWalk(const MaterialRun* runs) : runs_(runs) {}

    // The index of the run that starts at this face, or -1 inside a run.
    int startsRun() {
        int started = -1;
        if (facesLeft_ == 0) {
            started = nextRun_++;
            facesLeft_ = runs_[started].faceCount;
        }
        --facesLeft_;
        return started;
    }

  private:
    const MaterialRun* runs_;
    int facesLeft_ = 0;
    int nextRun_ = 0;
};

// Paddles show their runs' diffuse colours, always opaque.
void paddleColour(const ModelMaterial& material) {
    glColor4f(material.diffuse[0], material.diffuse[1], material.diffuse[2], 1);
}

void createSceneTextures(const DataPaths& data, uint32_t* textures) {
    for (std::size_t slot = 0; slot < sceneTextureCount; ++slot) {
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        loadTexture(data.find(sceneTextureFiles[slot]));
        textures[slot] = id;
    }
}

// Faces 0 and 1 are the table top's lower surface, drawn raised to the playing surface;
// faces 2 to 4 (the upper surface and a repeat) send no vertex, so they are not drawn.
// From face 11 on, v is shifted by 0.15, which only the floor patch shows. Returns the
// number of vertices sent.
int sendSceneCorner(std::size_t face, int corner) {
    const SceneFace& f = sceneFaces[face];
    const Vec3f& n = sceneNormals[f.normalIndex[corner]];
    const Vec2f& t = sceneTexCoords[f.texCoordIndex[corner]];
    const Vec3f& v = sceneVertices[f.vertexIndex[corner]];
    glNormal3f(n.x, n.y, n.z);
    glTexCoord2f(t.u, face >= 11 ? float(double(t.v) + 0.15) : t.v);
    if (face >= 5) {
        vertex(v);
        return 1;
    }
    if (face <= 1) {
        glVertex3f(v.x, float(double(v.y) + 1.7), v.z);
        return 1;
    }
    return 0;
}

// Each run shows its material's diffuse colour, opaque; positions only. Player 2's paddle
// has red rubber on both sides: its third run takes the second run's colour.
template <typename Face, std::size_t faceCount>
uint32_t compilePaddle(const Face (&faces)[faceCount], const Vec3f* vertices,
                       const MaterialRun* runs, const ModelMaterial* materials,
                       bool thirdRunAsSecond) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    RunWalk walk(runs);
    for (const Face& face : faces) {
        const int run = walk.startsRun();
        if (run >= 0) {
            paddleColour(materials[runs[run].material]);
        }
        if (run == 2 && thirdRunAsSecond) {
            paddleColour(materials[runs[1].material]);
        }
        for (uint8_t index : face.vertexIndex) {
            vertex(vertices[index]);
        }
    }
    glEnd();
    glEndList();
    return list;
}

}  // namespace

uint32_t buildPaddle1List() {
    return compilePaddle(paddle1Faces, paddle1Vertices, paddle1Runs, paddle1Materials, false);
}

uint32_t buildPaddle2List() {
    return compilePaddle(paddle2Faces, paddle2Vertices, paddle2Runs, paddle2Materials, true);
}

uint32_t buildBallList() {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const BallFace& face : ballFaces) {
        for (int j = 0; j < 3; ++j) {
            const Vec3f& n = ballNormals[face.normalIndex[j]];
            glNormal3f(n.x, n.y, n.z);
            vertex(ballVertices[face.vertexIndex[j]]);
        }
    }
    glEnd();
    glEndList();
    return list;
}

// Each run's vertices carry its diffuse colour and alpha: the second diffuse call overrides
// the white that a blended material's switch leaves current. The last run is opaque and
// untextured, so the list ends with blending and texturing off.
SceneListBuild buildSceneList(const DataPaths& data) {
    SceneListBuild build;
    createSceneTextures(data, build.textures);
    build.list = glGenLists(1);
    glNewList(build.list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    RunWalk runs(sceneRuns);
    int verticesSent = 0;
    for (std::size_t face = 0; face < sceneFaceCount; ++face) {
        const int run = runs.startsRun();
        if (run >= 0) {
            const ModelMaterial& material = sceneMaterials[sceneRuns[run].material];
            switchMaterial(material, build.textures);
            setMaterial(GL_DIFFUSE, material.diffuse, material.alpha);
        }
        for (int corner = 0; corner < 3; ++corner) {
            verticesSent += sendSceneCorner(face, corner);
        }
    }
    glEnd();
    glEndList();
    build.trianglesSent = verticesSent / 3;
    return build;
}

// The outline lies at 76.2, a little under the full table top's surface.
uint32_t buildOutlineSceneList() {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glLineWidth(3);
    glBegin(GL_LINES);
    glColor3f(1, 1, 1);
    const float edge[][2] = {{76.25f, -137}, {76.25f, 137},   {76.25f, 137},   {-76.25f, 137},
                             {-76.25f, 137}, {-76.25f, -137}, {-76.25f, -137}, {76.25f, -137}};
    for (const auto& xz : edge) {
        glVertex3f(xz[0], 76.2f, xz[1]);
    }
    glEnd();
    glLineWidth(1);
    glBegin(GL_LINES);
    glColor3f(1, 1, 1);
    glVertex3f(0, 76.2f, -137);
    glVertex3f(0, 76.2f, 137);
    glEnd();
    glBegin(GL_LINES);
    glColor3f(0, 0, 1);
    const float net[][2] = {{-91.25f, 77.2f}, {91.25f, 77.2f}, {-91.25f, 92.2f}, {91.25f, 92.2f},
                            {91.25f, 77.2f},  {91.25f, 92.2f}, {-91.25f, 77.2f}, {-91.25f, 92.2f}};
    for (const auto& xy : net) {
        glVertex3f(xy[0], xy[1], 0);
    }
    glEnd();
    glEndList();
    return list;
}

// Paddle 1's first 60 faces: its outline at y = 0 and its side wall.
uint32_t buildFlatPaddleList() {
    constexpr int flatFaceCount = 60;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glColor3f(1, 0.6f, 0.6f);
    glBegin(GL_TRIANGLES);
    for (int face = 0; face < flatFaceCount; ++face) {
        for (uint8_t index : paddle1Faces[face].vertexIndex) {
            vertex(paddle1Vertices[index]);
        }
    }
    glEnd();
    glEndList();
    return list;
}

void buildModelLists(SceneLists& lists, const DataPaths& data) {
    lists.ballList = buildBallList();
    lists.paddle1List = buildPaddle1List();
    lists.paddle2List = buildPaddle2List();
    const SceneListBuild scene = buildSceneList(data);
    lists.sceneList = scene.list;
    std::copy(std::begin(scene.textures), std::end(scene.textures),
              std::begin(lists.sceneTextures));
}

// The full lists stay allocated but are no longer called.
void useSimpleGraphics(SceneLists& lists) {
    lists.sceneList = buildOutlineSceneList();
    lists.paddle1List = lists.paddle2List = buildFlatPaddleList();
}

}  // namespace spinvale
