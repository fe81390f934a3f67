// The four built-in models: the scene (table, net, frame, legs and a patch of floor), the two
// paddles and the ball, as constant tables compiled into the game. No model file is read at
// run time.
//
// model_tables.cpp is written at build time by tools/gen_models, like the images, sounds and
// icon: the geometry lives in the generator.
//
// Every model is a list of triangles. A face stores, per corner j, an index into the model's
// positions, normals and texture coordinates (entry j of each triple). Runs give materials to
// consecutive faces: run 0 covers the first faceCount faces, run 1 the next ones, and so on.
// Faces are wound counter-clockwise seen from the side their normals point to (the outside
// of a solid); the game never culls, so the winding only matters to tools.
//
// Units are centimetres. Scene: x across the table, y up from the floor, z along the table,
// net at z = 0, player 1's end at +z. Paddles: blade in the x-z plane, thickness along y,
// handle toward +z. Ball: diameter 1 about the origin, scaled to the ball size when drawn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace spinvale {

struct Vec3f {
    float x, y, z;
};

// A texture coordinate: 0 to 1 spans the image once in u and in v.
struct Vec2f {
    float u, v;
};

struct ModelMaterial {
    float ambient[3];     // RGB
    float diffuse[3];     // RGB: the colour the model is drawn in
    float specular[3];    // RGB, not used by the drawing code
    float emission[3];    // RGB, not used by the drawing code
    float alpha;          // 1 = opaque
    float shininess;      // not used by the drawing code
    int32_t textureSlot;  // index into the model's texture slots; negative = untextured
};

struct MaterialRun {
    int32_t material;   // index into the model's materials
    int32_t faceCount;  // at least 1
};

struct SceneFace {
    int16_t vertexIndex[3];
    int16_t normalIndex[3];
    int16_t texCoordIndex[3];
};

// Player 1's paddle. The normals and texture coordinates are kept with the model but are
// not drawn.
struct PaddleFace {
    uint8_t vertexIndex[3];
    uint8_t normalIndex[3];
    uint8_t texCoordIndex[3];
};

// Player 2's paddle: positions only.
struct PaddleTriangle {
    uint8_t vertexIndex[3];
};

struct BallFace {
    int32_t vertexIndex[3];
    int32_t normalIndex[3];
};

// Element counts. The drawing code may equally take them from the tables with std::size.
constexpr std::size_t sceneFaceCount = 569;
constexpr std::size_t sceneVertexCount = 338;
constexpr std::size_t sceneNormalCount = 198;
constexpr std::size_t sceneTexCoordCount = 158;
constexpr std::size_t sceneRunCount = 8;
constexpr std::size_t sceneMaterialCount = 8;
constexpr std::size_t sceneTextureCount = 2;

constexpr std::size_t paddle1FaceCount = 276;
constexpr std::size_t paddle1VertexCount = 146;
constexpr std::size_t paddle1NormalCount = 86;
constexpr std::size_t paddle1TexCoordCount = 45;
constexpr std::size_t paddle1RunCount = 3;
constexpr std::size_t paddle1MaterialCount = 3;

constexpr std::size_t paddle2FaceCount = 218;
constexpr std::size_t paddle2VertexCount = 122;
constexpr std::size_t paddle2RunCount = 3;
constexpr std::size_t paddle2MaterialCount = 3;

constexpr std::size_t ballFaceCount = 960;
constexpr std::size_t ballVertexCount = 482;
constexpr std::size_t ballNormalCount = 2880;  // one per face corner: corner j of face f is 3f + j

// Scene runs, in order: 0 table top (faces 0-4: the top's lower surface, its upper surface
// and a copy of face 0; only faces 0 and 1 are drawn, raised by 1.7 to the playing surface,
// so the drawn top faces down), 1 net, 2 net bands, 3 frame, 4 corner pieces, 5 net posts and
// clamps, 6 floor patch, 7 legs. Only runs 0 and 6 are textured.
extern const ModelMaterial sceneMaterials[sceneMaterialCount];
extern const char* const sceneTextureFiles[sceneTextureCount];  // BMP images, by texture slot
extern const SceneFace sceneFaces[sceneFaceCount];
extern const Vec3f sceneVertices[sceneVertexCount];
extern const Vec3f sceneNormals[sceneNormalCount];
extern const Vec2f sceneTexCoords[sceneTexCoordCount];
extern const MaterialRun sceneRuns[sceneRunCount];

// Paddle runs: 0 wood, 1 rubber on the +y face, 2 rubber on the -y face. Paddle 1's first 60
// faces are its flat outline (20 faces at y = 0, 40 side faces up to y = 1).
extern const PaddleFace paddle1Faces[paddle1FaceCount];
extern const Vec3f paddle1Vertices[paddle1VertexCount];
extern const Vec3f paddle1Normals[paddle1NormalCount];
extern const Vec2f paddle1TexCoords[paddle1TexCoordCount];
extern const MaterialRun paddle1Runs[paddle1RunCount];
extern const ModelMaterial paddle1Materials[paddle1MaterialCount];

extern const PaddleTriangle paddle2Faces[paddle2FaceCount];
extern const Vec3f paddle2Vertices[paddle2VertexCount];
extern const MaterialRun paddle2Runs[paddle2RunCount];
extern const ModelMaterial paddle2Materials[paddle2MaterialCount];

extern const BallFace ballFaces[ballFaceCount];
extern const Vec3f ballVertices[ballVertexCount];
extern const Vec3f ballNormals[ballNormalCount];

}  // namespace spinvale
