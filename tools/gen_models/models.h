// The four models as the generator builds them, before they are written out as tables.
#pragma once

#include <string>
#include <vector>

#include "mesh.h"

namespace spinvale::gen {

struct Model {
    Mesh mesh;
    std::vector<MaterialRun> runs;
    std::vector<ModelMaterial> materials;
    std::vector<std::string> textureFiles;

    // Ends the current run: the faces added since the previous run get `material`.
    void closeRun(int material);
};

// The ball keeps one normal per face corner, so it is built as plain tables.
struct BallModel {
    std::vector<Vec3f> vertices;
    std::vector<BallFace> faces;
    std::vector<Vec3f> normals;
};

Model buildScene();
Model buildPaddle1();
Model buildPaddle2();
BallModel buildBall();

struct Rgb {
    float r, g, b;
};

// A material with the values the game draws with; specular, emission and shininess zero.
ModelMaterial material(Rgb ambient, Rgb diffuse, float alpha, int textureSlot);

}  // namespace spinvale::gen
