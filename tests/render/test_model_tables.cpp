// The built-in model tables, as the game links them: sizes, layout, runs, materials, extents
// and the arrangements the drawing code relies on. Expected values are the model's published
// figures (extents in cm to one or two decimals), not read back from the generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "model_tables.h"

namespace spinvale {
namespace {

constexpr double pi = 3.14159265358979323846;

struct P {
    double x, y, z;
};
P operator-(P a, P b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
P operator+(P a, P b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
double dot(P a, P b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
P cross(P a, P b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(P a) {
    return std::sqrt(dot(a, a));
}
P toP(Vec3f v) {
    return {v.x, v.y, v.z};
}

// One face of any model: index triples, -1 where the model has no such table.
struct Tri {
    std::array<int, 3> v, n, t;
};

struct Model {
    std::vector<Tri> faces;
    std::vector<P> positions, normals;
    std::vector<Vec2f> texCoords;
    std::vector<MaterialRun> runs;

    P corner(int face, int j) const { return positions[faces[face].v[j]]; }
};

template <typename Face>
Tri triOf(const Face& f) {
    Tri t;
    for (int j = 0; j < 3; ++j) {
        t.v[j] = f.vertexIndex[j];
        t.n[j] = f.normalIndex[j];
        t.t[j] = f.texCoordIndex[j];
    }
    return t;
}

template <typename T, std::size_t N>
std::vector<T> all(const T (&table)[N]) {
    return std::vector<T>(table, table + N);
}

std::vector<P> points(const std::vector<Vec3f>& v) {
    std::vector<P> p;
    for (const Vec3f& x : v) {
        p.push_back(toP(x));
    }
    return p;
}

Model scene() {
    Model m;
    for (const SceneFace& f : sceneFaces) {
        m.faces.push_back(triOf(f));
    }
    m.positions = points(all(sceneVertices));
    m.normals = points(all(sceneNormals));
    m.texCoords = all(sceneTexCoords);
    m.runs = all(sceneRuns);
    return m;
}

Model paddle1() {
    Model m;
    for (const PaddleFace& f : paddle1Faces) {
        m.faces.push_back(triOf(f));
    }
    m.positions = points(all(paddle1Vertices));
    m.normals = points(all(paddle1Normals));
    m.texCoords = all(paddle1TexCoords);
    m.runs = all(paddle1Runs);
    return m;
}

Model paddle2() {
    Model m;
    for (const PaddleTriangle& f : paddle2Faces) {
        m.faces.push_back(
            {{f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]}, {-1, -1, -1}, {-1, -1, -1}});
    }
    m.positions = points(all(paddle2Vertices));
    m.runs = all(paddle2Runs);
    return m;
}

Model ball() {
    Model m;
    for (const BallFace& f : ballFaces) {
        m.faces.push_back({{f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]},
                           {f.normalIndex[0], f.normalIndex[1], f.normalIndex[2]},
                           {-1, -1, -1}});
    }
    m.positions = points(all(ballVertices));
    m.normals = points(all(ballNormals));
    return m;
}

// Rounded as the published figures are.
double decimals(double v, int places) {
    const double scale = std::pow(10.0, places);
    return std::round(v * scale) / scale;
}

struct Extent {
    P lo{1e30, 1e30, 1e30}, hi{-1e30, -1e30, -1e30};
    void add(P p) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
};

// Extent of the corners of faces [first, last] that pass `keep`.
template <typename Keep>
Extent extentOf(const Model& m, int first, int last, Keep keep) {
    Extent e;
    for (int f = first; f <= last; ++f) {
        for (int j = 0; j < 3; ++j) {
            if (keep(m.corner(f, j))) {
                e.add(m.corner(f, j));
            }
        }
    }
    return e;
}

Extent extentOf(const Model& m, int first, int last) {
    return extentOf(m, first, last, [](P) { return true; });
}

// Checks lo..hi along one axis, rounded to `places`.
void expectSpan(const Extent& e, char axis, double lo, double hi, int places,
                const std::string& what) {
    const auto pick = [axis](P p) { return axis == 'x' ? p.x : axis == 'y' ? p.y : p.z; };
    EXPECT_NEAR(decimals(pick(e.lo), places), lo, 1e-9) << what << " " << axis << " min";
    EXPECT_NEAR(decimals(pick(e.hi), places), hi, 1e-9) << what << " " << axis << " max";
}

// Runs as (first face, last face).
std::vector<std::pair<int, int>> runRanges(const Model& m) {
    std::vector<std::pair<int, int>> ranges;
    int first = 0;
    for (const MaterialRun& r : m.runs) {
        ranges.push_back({first, first + r.faceCount - 1});
        first += r.faceCount;
    }
    return ranges;
}

std::vector<std::pair<int, int>> runPairs(const Model& m) {
    std::vector<std::pair<int, int>> pairs;
    for (const MaterialRun& r : m.runs) {
        pairs.push_back({r.material, r.faceCount});
    }
    return pairs;
}

P faceNormal(const Model& m, int f) {
    return cross(m.corner(f, 1) - m.corner(f, 0), m.corner(f, 2) - m.corner(f, 0));
}

// ---------------------------------------------------------------------------------------
// Layout

TEST(ModelLayout, RecordsHaveTheStoredWidths) {
    static_assert(sizeof(Vec3f) == 12 && sizeof(Vec2f) == 8);
    static_assert(std::is_same_v<decltype(SceneFace::vertexIndex), int16_t[3]>);
    static_assert(std::is_same_v<decltype(SceneFace::texCoordIndex), int16_t[3]>);
    static_assert(sizeof(SceneFace) == 18);
    static_assert(std::is_same_v<decltype(PaddleFace::normalIndex), uint8_t[3]>);
    static_assert(sizeof(PaddleFace) == 9);
    static_assert(std::is_same_v<decltype(PaddleTriangle::vertexIndex), uint8_t[3]>);
    static_assert(sizeof(PaddleTriangle) == 3);
    static_assert(std::is_same_v<decltype(BallFace::normalIndex), int32_t[3]>);
    static_assert(sizeof(BallFace) == 24);
    static_assert(std::is_same_v<decltype(MaterialRun::faceCount), int32_t>);
    static_assert(sizeof(ModelMaterial) == 15 * 4);
    static_assert(offsetof(ModelMaterial, alpha) == 12 * 4);
    static_assert(std::is_same_v<decltype(ModelMaterial::textureSlot), int32_t>);
    static_assert(std::is_same_v<decltype(TextureSlot::textureId), uint32_t>);
    // Only the texture slots are written at run time.
    static_assert(!std::is_const_v<std::remove_reference_t<decltype(sceneTextures[0])>>);
    static_assert(std::is_const_v<std::remove_reference_t<decltype(sceneFaces[0])>>);
    static_assert(std::is_const_v<std::remove_reference_t<decltype(ballNormals[0])>>);
    SUCCEED();
}

TEST(ModelLayout, TablesHaveTheModelsSizes) {
    EXPECT_EQ(std::size(sceneFaces), 569u);
    EXPECT_EQ(std::size(sceneVertices), 338u);
    EXPECT_EQ(std::size(sceneNormals), 198u);
    EXPECT_EQ(std::size(sceneTexCoords), 158u);
    EXPECT_EQ(std::size(sceneRuns), 8u);
    EXPECT_EQ(std::size(sceneMaterials), 8u);
    EXPECT_EQ(std::size(sceneTextures), 2u);
    EXPECT_EQ(std::size(paddle1Faces), 276u);
    EXPECT_EQ(std::size(paddle1Vertices), 146u);
    EXPECT_EQ(std::size(paddle1Normals), 86u);
    EXPECT_EQ(std::size(paddle1TexCoords), 45u);
    EXPECT_EQ(std::size(paddle1Runs), 3u);
    EXPECT_EQ(std::size(paddle1Materials), 3u);
    EXPECT_EQ(std::size(paddle2Faces), 218u);
    EXPECT_EQ(std::size(paddle2Vertices), 122u);
    EXPECT_EQ(std::size(paddle2Runs), 3u);
    EXPECT_EQ(std::size(paddle2Materials), 3u);
    EXPECT_EQ(std::size(ballFaces), 960u);
    EXPECT_EQ(std::size(ballVertices), 482u);
    EXPECT_EQ(std::size(ballNormals), 2880u);
}

// Every index lies inside its table; every entry is used by a face and stored once.
void expectTablesTight(const Model& m, const std::string& name) {
    std::vector<int> usedV(m.positions.size()), usedN(m.normals.size()), usedT(m.texCoords.size());
    for (const Tri& f : m.faces) {
        for (int j = 0; j < 3; ++j) {
            ASSERT_GE(f.v[j], 0);
            ASSERT_LT(f.v[j], static_cast<int>(m.positions.size())) << name;
            ++usedV[f.v[j]];
            if (!m.normals.empty()) {
                ASSERT_GE(f.n[j], 0);
                ASSERT_LT(f.n[j], static_cast<int>(m.normals.size())) << name;
                ++usedN[f.n[j]];
            }
            if (!m.texCoords.empty()) {
                ASSERT_GE(f.t[j], 0);
                ASSERT_LT(f.t[j], static_cast<int>(m.texCoords.size())) << name;
                ++usedT[f.t[j]];
            }
        }
    }
    EXPECT_EQ(std::count(usedV.begin(), usedV.end(), 0), 0) << name << " unused positions";
    EXPECT_EQ(std::count(usedN.begin(), usedN.end(), 0), 0) << name << " unused normals";
    EXPECT_EQ(std::count(usedT.begin(), usedT.end(), 0), 0) << name << " unused texcoords";
    std::set<std::array<double, 3>> distinctV, distinctN;
    for (const P& p : m.positions) {
        distinctV.insert({p.x, p.y, p.z});
    }
    for (const P& p : m.normals) {
        distinctN.insert({p.x, p.y, p.z});
    }
    std::set<std::pair<float, float>> distinctT;
    for (const Vec2f& t : m.texCoords) {
        distinctT.insert({t.u, t.v});
    }
    EXPECT_EQ(distinctV.size(), m.positions.size()) << name << " repeated positions";
    EXPECT_EQ(distinctN.size(), m.normals.size()) << name << " repeated normals";
    EXPECT_EQ(distinctT.size(), m.texCoords.size()) << name << " repeated texcoords";
}

TEST(ModelLayout, EveryIndexIsInsideAndEveryEntryUsedOnce) {
    expectTablesTight(scene(), "scene");
    expectTablesTight(paddle1(), "paddle 1");
    expectTablesTight(paddle2(), "paddle 2");
    const Model b = ball();
    std::vector<int> used(b.positions.size());
    for (std::size_t f = 0; f < b.faces.size(); ++f) {
        for (int j = 0; j < 3; ++j) {
            ASSERT_GE(b.faces[f].v[j], 0);
            ASSERT_LT(b.faces[f].v[j], 482);
            ++used[b.faces[f].v[j]];
            EXPECT_EQ(b.faces[f].n[j], static_cast<int>(3 * f) + j) << "ball face " << f;
        }
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), 0), 0);
}

// ---------------------------------------------------------------------------------------
// Runs and materials

std::vector<int> switchPoints(const Model& m) {
    std::vector<int> at;
    int left = 0;
    std::size_t next = 0;
    for (int f = 0; f < static_cast<int>(m.faces.size()); ++f) {
        if (left == 0) {
            at.push_back(f);
            left = m.runs.at(next++).faceCount;
        }
        --left;
    }
    return at;
}

TEST(ModelRuns, RunsCoverTheFacesInOrder) {
    for (const Model& m : {scene(), paddle1(), paddle2()}) {
        int sum = 0;
        for (const MaterialRun& r : m.runs) {
            EXPECT_GE(r.faceCount, 1);
            sum += r.faceCount;
        }
        EXPECT_EQ(sum, static_cast<int>(m.faces.size()));
    }
    using Pairs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(runPairs(scene()),
              (Pairs{{0, 5}, {1, 12}, {2, 24}, {3, 48}, {4, 14}, {5, 80}, {6, 2}, {7, 384}}));
    EXPECT_EQ(runPairs(paddle1()), (Pairs{{0, 116}, {1, 80}, {2, 80}}));
    EXPECT_EQ(runPairs(paddle2()), (Pairs{{0, 58}, {1, 80}, {2, 80}}));
    EXPECT_EQ(switchPoints(scene()), (std::vector<int>{0, 5, 17, 41, 89, 103, 183, 185}));
    EXPECT_EQ(switchPoints(paddle1()), (std::vector<int>{0, 116, 196}));
    EXPECT_EQ(switchPoints(paddle2()), (std::vector<int>{0, 58, 138}));
}

void expectRgb(const float (&c)[3], float r, float g, float b, const std::string& what) {
    EXPECT_FLOAT_EQ(c[0], r) << what;
    EXPECT_FLOAT_EQ(c[1], g) << what;
    EXPECT_FLOAT_EQ(c[2], b) << what;
}

TEST(ModelRuns, SceneMaterialsAndTextures) {
    struct Expected {
        float ambient[3], diffuse[3], alpha;
        int slot;
    };
    const Expected expected[8] = {
        {{1, 1, 1}, {1, 1, 1}, 1, 0},
        {{0.2118f, 0.2098f, 0.8941f}, {0.2118f, 0.2098f, 0.8941f}, 0.77f, -1},
        {{1, 1, 1}, {1, 1, 1}, 1, -1},
        {{1, 1, 1}, {0, 0, 0}, 1, -1},
        {{1, 1, 1}, {0, 0, 0}, 1, -1},
        {{0.2f, 0.2f, 0.2f}, {0.6039f, 0.7255f, 0.8980f}, 1, -1},
        {{1, 1, 1}, {1, 1, 1}, 1, 1},
        {{0, 0, 0}, {0, 0, 0}, 1, -1},
    };
    for (int i = 0; i < 8; ++i) {
        const ModelMaterial& m = sceneMaterials[i];
        const Expected& e = expected[i];
        const std::string what = "scene material " + std::to_string(i);
        expectRgb(m.ambient, e.ambient[0], e.ambient[1], e.ambient[2], what);
        expectRgb(m.diffuse, e.diffuse[0], e.diffuse[1], e.diffuse[2], what);
        EXPECT_FLOAT_EQ(m.alpha, e.alpha) << what;
        EXPECT_EQ(m.textureSlot, e.slot) << what;
    }
    EXPECT_STREQ(sceneTextures[0].fileName, "newsv_0.bmp");
    EXPECT_STREQ(sceneTextures[1].fileName, "newsv_1.bmp");
    EXPECT_EQ(sceneTextures[0].textureId, 0u);
    EXPECT_EQ(sceneTextures[1].textureId, 0u);
}

TEST(ModelRuns, PaddleMaterialsAreWoodRedAndBlue) {
    for (const ModelMaterial* table : {paddle1Materials, paddle2Materials}) {
        for (int i = 0; i < 3; ++i) {
            expectRgb(table[i].ambient, 0.2f, 0.2f, 0.2f, "paddle ambient");
            EXPECT_FLOAT_EQ(table[i].alpha, 1);
            EXPECT_EQ(table[i].textureSlot, -1);
        }
        expectRgb(table[0].diffuse, 0.8784f, 0.7765f, 0.3412f, "wood");
        expectRgb(table[1].diffuse, 0.6902f, 0.1020f, 0.1020f, "red rubber");
        expectRgb(table[2].diffuse, 0.3451f, 0.3451f, 0.8824f, "blue rubber");
    }
}

// ---------------------------------------------------------------------------------------
// Scene

TEST(SceneModel, OverallExtentAndRunExtents) {
    const Model m = scene();
    const auto runs = runRanges(m);
    const Extent all = extentOf(m, 0, 568);
    expectSpan(all, 'x', -93.3, 93.5, 1, "scene");
    expectSpan(all, 'y', 0.0, 97.6, 1, "scene");
    expectSpan(all, 'z', -138.2, 137.2, 1, "scene");

    const auto run = [&](int r) { return runs[r]; };
    const auto negX = [](P p) { return p.x < 0; };
    const auto posX = [](P p) { return p.x > 0; };
    const auto negZ = [](P p) { return p.z < 0; };
    const auto posZ = [](P p) { return p.z > 0; };
    // Runs split in two along x and along z: (run, x-, x+, z-, z+, y).
    struct Split {
        int run;
        double xl[2], xr[2], zf[2], zn[2], y[2];
    };
    const Split splits[] = {
        {3, {-64.0, -61.1}, {64.0, 66.8}, {-124.0, -71.8}, {67.3, 119.5}, {44.4, 76.4}},
        {4, {-76.6, -76.2}, {76.0, 76.9}, {-138.2, -138.0}, {136.7, 137.2}, {72.8, 77.8}},
        {7, {-67.8, -58.0}, {61.3, 69.9}, {-128.5, -117.1}, {115.1, 124.0}, {0.0, 75.1}},
    };
    for (const Split& s : splits) {
        const auto [first, last] = run(s.run);
        const std::string what = "run " + std::to_string(s.run);
        expectSpan(extentOf(m, first, last, negX), 'x', s.xl[0], s.xl[1], 1, what);
        expectSpan(extentOf(m, first, last, posX), 'x', s.xr[0], s.xr[1], 1, what);
        expectSpan(extentOf(m, first, last, negZ), 'z', s.zf[0], s.zf[1], 1, what);
        expectSpan(extentOf(m, first, last, posZ), 'z', s.zn[0], s.zn[1], 1, what);
        expectSpan(extentOf(m, first, last), 'y', s.y[0], s.y[1], 1, what);
    }
    // Posts and clamps: one assembly at each side of the table.
    const auto [postsFirst, postsLast] = run(5);
    expectSpan(extentOf(m, postsFirst, postsLast, negX), 'x', -93.3, -70.8, 1, "posts");
    expectSpan(extentOf(m, postsFirst, postsLast, posX), 'x', 70.9, 93.5, 1, "posts");
    expectSpan(extentOf(m, postsFirst, postsLast), 'y', 73.6, 97.6, 1, "posts");
    expectSpan(extentOf(m, postsFirst, postsLast), 'z', -2.3, 1.2, 1, "posts");

    const Extent net = extentOf(m, run(1).first, run(1).second);
    expectSpan(net, 'x', -91.9, 92.1, 1, "net");
    expectSpan(net, 'y', 80.7, 96.0, 1, "net");
    expectSpan(net, 'z', -1.0, 0.0, 1, "net");

    const auto [bandsFirst, bandsLast] = run(2);
    const Extent bands = extentOf(m, bandsFirst, bandsLast);
    expectSpan(bands, 'x', -91.9, 92.1, 1, "net bands");
    expectSpan(bands, 'z', -1.0, 0.0, 1, "net bands");
    const Extent topBand = extentOf(m, bandsFirst, bandsLast, [](P p) { return p.y > 88; });
    const Extent bottomBand = extentOf(m, bandsFirst, bandsLast, [](P p) { return p.y < 88; });
    expectSpan(topBand, 'y', 95.14, 96.28, 2, "top band");
    expectSpan(bottomBand, 'y', 79.68, 80.62, 2, "bottom band");

    const Extent floor = extentOf(m, run(6).first, run(6).second);
    expectSpan(floor, 'x', -71.1, 73.9, 1, "floor");
    expectSpan(floor, 'z', -132.9, 132.5, 1, "floor");
    EXPECT_EQ(floor.lo.y, 0.0);
    EXPECT_EQ(floor.hi.y, 0.0);
}

TEST(SceneModel, TableTopArrangement) {
    const Model m = scene();
    const SceneFace& f0 = sceneFaces[0];
    const SceneFace& f4 = sceneFaces[4];
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(f0.vertexIndex[j], j);
        EXPECT_EQ(f0.normalIndex[j], 0);
        EXPECT_EQ(f0.texCoordIndex[j], j);
    }
    EXPECT_EQ(std::memcmp(&f0, &f4, sizeof f0), 0) << "face 4 repeats face 0";

    // The lower surface (faces 0, 1) and the upper one (faces 2, 3) over one rectangle.
    struct Surface {
        int faces[2];
        double yLo, yHi, normalY;
        bool mirrored;
    };
    for (const Surface& s :
         {Surface{{0, 1}, 75.886, 75.887, -1, false}, Surface{{2, 3}, 77.886, 77.887, 1, true}}) {
        Extent e;
        for (const int f : s.faces) {
            for (int j = 0; j < 3; ++j) {
                const P p = m.corner(f, j);
                e.add(p);
                EXPECT_GE(p.y, s.yLo - 1e-4);
                EXPECT_LE(p.y, s.yHi + 1e-4);
                const P n = m.normals[m.faces[f].n[j]];
                EXPECT_EQ(n.x, 0);
                EXPECT_EQ(n.y, s.normalY);
                EXPECT_EQ(n.z, 0);
                // u = 1 at x = -76.181 to 0 at 76.319 (mirrored on the upper surface);
                // v = 0 at z = 136.885 to 1 at z = -137.115.
                const Vec2f t = m.texCoords[m.faces[f].t[j]];
                const double u = (76.319 - p.x) / 152.5;
                EXPECT_NEAR(t.u, s.mirrored ? 1 - u : u, 1e-5) << "face " << f;
                EXPECT_NEAR(t.v, (136.885 - p.z) / 274, 1e-5) << "face " << f;
            }
        }
        expectSpan(e, 'x', -76.181, 76.319, 3, "table top");
        expectSpan(e, 'z', -137.115, 136.885, 3, "table top");
        // Two triangles covering the whole 152.5 by 274 rectangle.
        const double area =
            (length(faceNormal(m, s.faces[0])) + length(faceNormal(m, s.faces[1]))) / 2;
        EXPECT_NEAR(area, 152.5 * 274, 1e-2);
    }
    // Drawn raised by 1.7, the lower surface is the playing surface at 77.586.
    for (int j = 0; j < 3; ++j) {
        const float drawn = static_cast<float>(
            static_cast<double>(sceneVertices[sceneFaces[0].vertexIndex[j]].y) + 1.7);
        EXPECT_NEAR(drawn, 77.5865, 0.0006);
    }
}

TEST(SceneModel, FloorPatchAndTextureCoordinates) {
    const Model m = scene();
    for (const int f : {183, 184}) {
        for (int j = 0; j < 3; ++j) {
            const P p = m.corner(f, j);
            const P n = m.normals[m.faces[f].n[j]];
            const Vec2f t = m.texCoords[m.faces[f].t[j]];
            EXPECT_EQ(p.y, 0);
            EXPECT_EQ(n.y, 1);
            EXPECT_NEAR(t.u, (p.x + 71.058) / (73.934 + 71.058), 1e-5);
            EXPECT_NEAR(t.v, 0.82 + (132.474 - p.z) / (132.474 + 132.886) * (1.8 - 0.82), 1e-5);
        }
    }
    const Extent floor = extentOf(m, 183, 184);
    expectSpan(floor, 'x', -71.058, 73.934, 3, "floor");
    expectSpan(floor, 'z', -132.886, 132.474, 3, "floor");

    for (const Vec2f& t : m.texCoords) {
        EXPECT_GE(t.u, 0);
        EXPECT_LE(t.u, 1);
        EXPECT_GE(t.v, 0);
        EXPECT_LE(t.v, 2);
    }
    // Only the table top and the floor patch are textured, so from face 11 on (where the
    // drawing code shifts v) only the floor patch shows the shift.
    const auto runs = runRanges(m);
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const bool textured = sceneMaterials[m.runs[r].material].textureSlot >= 0;
        EXPECT_EQ(textured, r == 0 || r == 6) << "run " << r;
        if (textured && runs[r].second >= 11) {
            EXPECT_EQ(runs[r], (std::pair<int, int>{183, 184}));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Paddles

TEST(PaddleModels, ExtentsOfModelsAndRuns) {
    for (const Model& m : {paddle1(), paddle2()}) {
        const Extent e = extentOf(m, 0, static_cast<int>(m.faces.size()) - 1);
        expectSpan(e, 'x', -8.22, 8.28, 2, "paddle");
        expectSpan(e, 'y', -0.36, 1.38, 2, "paddle");
        expectSpan(e, 'z', -8.25, 16.08, 2, "paddle");
    }
    const Model p1 = paddle1();
    const Extent wood = extentOf(p1, 0, 115);
    expectSpan(wood, 'x', -8.22, 8.28, 2, "paddle 1 wood");
    expectSpan(wood, 'y', -0.36, 1.38, 2, "paddle 1 wood");
    expectSpan(wood, 'z', -8.25, 16.08, 2, "paddle 1 wood");
    expectSpan(extentOf(p1, 116, 195), 'y', 0.88, 1.18, 2, "paddle 1 +y rubber");
    expectSpan(extentOf(p1, 196, 275), 'y', -0.16, 0.14, 2, "paddle 1 -y rubber");

    const Model p2 = paddle2();
    const Extent handle = extentOf(p2, 0, 57);
    expectSpan(handle, 'x', -4.52, 4.79, 2, "paddle 2 handle");
    expectSpan(handle, 'z', 7.34, 16.08, 2, "paddle 2 handle");
    expectSpan(extentOf(p2, 58, 137), 'y', 0.93, 1.23, 2, "paddle 2 +y rubber");
    expectSpan(extentOf(p2, 138, 217), 'y', -0.14, 0.16, 2, "paddle 2 -y rubber");
}

using Edge = std::pair<int, int>;

// The flat paddle of the simple graphics: 20 triangles filling an outline at y = 0, then 40
// forming its side wall up to y = 1.
TEST(PaddleModels, FirstSixtyFacesAreTheFlatOutline) {
    const Model m = paddle1();
    std::set<int> used;
    for (int f = 0; f < 60; ++f) {
        used.insert(m.faces[f].v.begin(), m.faces[f].v.end());
    }
    EXPECT_EQ(used.size(), 41u);
    const Extent e = extentOf(m, 0, 59);
    expectSpan(e, 'x', -8.22, 8.28, 2, "outline");
    expectSpan(e, 'y', 0, 1, 2, "outline");
    expectSpan(e, 'z', -8.25, 10.24, 2, "outline");

    // The fill: all at y = 0, all facing one way, and its edges used once form one loop
    // whose enclosed area equals the triangles' total area (no overlaps, no holes).
    std::map<Edge, int> edges;
    double area = 0;
    for (int f = 0; f < 20; ++f) {
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(m.corner(f, j).y, 0);
            ++edges[std::minmax(m.faces[f].v[j], m.faces[f].v[(j + 1) % 3])];
        }
        const P n = faceNormal(m, f);
        EXPECT_LT(n.y, 0) << "face " << f;
        area += length(n) / 2;
    }
    std::map<int, std::vector<int>> next;
    for (const auto& [edge, count] : edges) {
        if (count == 1) {
            next[edge.first].push_back(edge.second);
            next[edge.second].push_back(edge.first);
        }
    }
    ASSERT_EQ(next.size(), 20u);
    std::vector<int> loop{next.begin()->first};
    int previous = -1;
    while (true) {
        const std::vector<int>& n = next[loop.back()];
        ASSERT_EQ(n.size(), 2u);
        const int step = n[0] != previous ? n[0] : n[1];
        previous = loop.back();
        if (step == loop.front()) {
            break;
        }
        loop.push_back(step);
        ASSERT_LE(loop.size(), 20u);
    }
    ASSERT_EQ(loop.size(), 20u);
    double loopArea = 0;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const P a = m.positions[loop[i]], b = m.positions[loop[(i + 1) % loop.size()]];
        loopArea += a.x * b.z - b.x * a.z;
    }
    EXPECT_NEAR(std::abs(loopArea) / 2, area, 1e-3);

    // The wall: vertical faces from y = 0 to y = 1 standing on the outline's edges.
    std::set<Edge> outline;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        outline.insert(std::minmax(loop[i], loop[(i + 1) % loop.size()]));
    }
    std::set<Edge> wallFeet;
    for (int f = 20; f < 60; ++f) {
        EXPECT_NEAR(faceNormal(m, f).y, 0, 1e-9) << "face " << f;
        for (int j = 0; j < 3; ++j) {
            const P p = m.corner(f, j);
            EXPECT_TRUE(p.y == 0 || p.y == 1) << "face " << f;
            if (p.y == 1) {
                const bool above = std::any_of(loop.begin(), loop.end(), [&](int v) {
                    return m.positions[v].x == p.x && m.positions[v].z == p.z;
                });
                EXPECT_TRUE(above) << "face " << f;
            }
            const int a = m.faces[f].v[j], b = m.faces[f].v[(j + 1) % 3];
            if (m.positions[a].y == 0 && m.positions[b].y == 0) {
                wallFeet.insert(std::minmax(a, b));
            }
        }
    }
    EXPECT_EQ(wallFeet, outline);
}

// ---------------------------------------------------------------------------------------
// Ball

TEST(BallModel, SphereOfRingsAndPoles) {
    const Model m = ball();
    EXPECT_EQ(m.positions[0].x, 0);
    EXPECT_EQ(m.positions[0].y, -0.5);
    EXPECT_EQ(m.positions[0].z, 0);
    EXPECT_EQ(m.positions[481].x, 0);
    EXPECT_EQ(m.positions[481].y, 0.5);
    EXPECT_EQ(m.positions[481].z, 0);
    for (int ring = 0; ring < 15; ++ring) {
        const double latitude = (-78.75 + 11.25 * ring) * pi / 180;
        std::set<long> longitudes;
        for (int k = 0; k < 32; ++k) {
            const P p = m.positions[1 + 32 * ring + k];
            EXPECT_NEAR(length(p), 0.5, 1e-6);
            EXPECT_NEAR(p.y, 0.5 * std::sin(latitude), 1e-6) << "ring " << ring;
            const double degrees = std::atan2(p.z, p.x) * 180 / pi;
            const double steps = degrees / 11.25;
            EXPECT_NEAR(steps, std::round(steps), 1e-4);
            longitudes.insert(std::lround(steps + 32) % 32);
        }
        EXPECT_EQ(longitudes.size(), 32u) << "ring " << ring;
    }
}

TEST(BallModel, FansAroundThePolesAndBandsBetweenRings) {
    const Model m = ball();
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(m.faces[k].v, (std::array<int, 3>{0, 1 + k, 1 + (k + 1) % 32}));
    }
    const auto ringOf = [](int v) { return (v - 1) / 32; };
    int lowerFan = 0, upperFan = 0;
    std::map<int, int> bandFaces;
    for (const Tri& f : m.faces) {
        const auto& v = f.v;
        if (std::count(v.begin(), v.end(), 0) == 1) {
            ++lowerFan;
        } else if (std::count(v.begin(), v.end(), 481) == 1) {
            ++upperFan;
            for (const int x : v) {
                EXPECT_TRUE(x == 481 || ringOf(x) == 14);
            }
        } else {
            const int lo = std::min({ringOf(v[0]), ringOf(v[1]), ringOf(v[2])});
            const int hi = std::max({ringOf(v[0]), ringOf(v[1]), ringOf(v[2])});
            EXPECT_EQ(hi, lo + 1);
            ++bandFaces[lo];
        }
    }
    EXPECT_EQ(lowerFan, 32);
    EXPECT_EQ(upperFan, 32);
    EXPECT_EQ(bandFaces.size(), 14u);
    for (const auto& [band, count] : bandFaces) {
        EXPECT_EQ(count, 64) << "band " << band;
    }
}

TEST(BallModel, CornerNormalsPointOutOfTheSphere) {
    const Model m = ball();
    const double oneDegree = std::cos(pi / 180);
    for (std::size_t f = 0; f < m.faces.size(); ++f) {
        for (int j = 0; j < 3; ++j) {
            const P n = m.normals[m.faces[f].n[j]];
            const P p = m.corner(static_cast<int>(f), j);
            EXPECT_NEAR(length(n), 1, 1e-5);
            EXPECT_GE(dot(n, p) / (length(n) * length(p)), oneDegree) << "face " << f;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Triangles: none degenerate, all wound counter-clockwise seen from outside (from the side
// their normals point to), no edge walked the same way twice.

void expectOrientedEdges(const Model& m, const std::set<int>& skip, const std::string& name) {
    std::set<Edge> directed;
    for (int f = 0; f < static_cast<int>(m.faces.size()); ++f) {
        if (skip.count(f)) {
            continue;
        }
        for (int j = 0; j < 3; ++j) {
            const Edge e{m.faces[f].v[j], m.faces[f].v[(j + 1) % 3]};
            EXPECT_TRUE(directed.insert(e).second) << name << " face " << f;
        }
    }
}

TEST(ModelTriangles, NoneDegenerateAndWoundOutward) {
    for (const auto& [m, name] : {std::pair{scene(), "scene"}, std::pair{paddle1(), "paddle 1"}}) {
        for (int f = 0; f < static_cast<int>(m.faces.size()); ++f) {
            const P n = faceNormal(m, f);
            EXPECT_GT(length(n) / 2, 1e-4) << name << " face " << f;
            const P stored = m.normals[m.faces[f].n[0]] + m.normals[m.faces[f].n[1]] +
                             m.normals[m.faces[f].n[2]];
            EXPECT_GT(dot(n, stored), 0) << name << " face " << f;
        }
        for (const P& n : m.normals) {
            EXPECT_NEAR(length(n), 1, 1e-5) << name;
        }
    }
    expectOrientedEdges(scene(), {4}, "scene");
    expectOrientedEdges(paddle1(), {}, "paddle 1");
    expectOrientedEdges(paddle2(), {}, "paddle 2");
    expectOrientedEdges(ball(), {}, "ball");

    const Model b = ball();
    for (int f = 0; f < static_cast<int>(b.faces.size()); ++f) {
        const P n = faceNormal(b, f);
        EXPECT_GT(length(n), 1e-6) << "ball face " << f;
        EXPECT_GT(dot(n, b.corner(f, 0) + b.corner(f, 1) + b.corner(f, 2)), 0) << "ball face " << f;
    }
    // Paddle 2 has no normals: its solids enclose a positive volume when wound outward.
    const Model p2 = paddle2();
    double volume = 0;
    for (int f = 0; f < static_cast<int>(p2.faces.size()); ++f) {
        EXPECT_GT(length(faceNormal(p2, f)), 1e-6) << "paddle 2 face " << f;
        volume += dot(p2.corner(f, 0), cross(p2.corner(f, 1), p2.corner(f, 2))) / 6;
    }
    EXPECT_GT(volume, 0);
}

}  // namespace
}  // namespace spinvale
