// The two paddles. Each has its own frame: the blade lies in the x-z plane with its faces
// toward -y and +y, the handle points toward +z. The blade is an ellipse 16.5 cm across,
// a little longer than wide; player 1's paddle has a wooden core with a rubber sheet on each
// face, player 2's is drawn with the two rubber sheets alone.
#include <cmath>
#include <tuple>
#include <utility>

#include "models.h"
#include "shapes.h"

namespace spinvale::gen {

namespace {

constexpr double bladeCentreX = 0.03;
constexpr double bladeHalfWidth = 8.25;

// A point of the blade's ellipse, `degrees` measured from the tip (-z) toward +x.
Point bladePoint(double degrees, double halfLength, double scale, double y) {
    const double a = degrees * pi / 180;
    return {bladeCentreX + scale * bladeHalfWidth * std::sin(a), y,
            -scale * halfLength * std::cos(a)};
}

// A rubber sheet: twenty points round the ellipse, from `inner` (buried in the blade) to
// `outer`. The outer face is `bevel` times the size of the inner one, so the sheet's edge
// leans inward as a cut sheet's does.
Loft rubberSheet(double halfLength, double scale, double bevel, double inner, double outer) {
    Loft l;
    for (const auto& [y, s] : {std::pair{inner, scale}, std::pair{outer, scale * bevel}}) {
        std::vector<Point> ring;
        for (int i = 0; i < 20; ++i) {
            ring.push_back(bladePoint(18.0 * i, halfLength, s, y));
        }
        l.rings.push_back(ring);
        l.ringV.push_back(0);
    }
    // The sheet's edge shows the image of the face next to it.
    l.sideImage = [](int, int i) { return discImage(i, 20); };
    return l;
}

// Player 1's blade core, 1 cm of wood from y = 0 to y = 1: the ellipse ends in a short neck
// where the handle is glued on. Its outline is eighteen points of the ellipse, at 10, 30, ...
// 170 degrees either side of the tip, and the two corners of the neck.
Loft bladeCore(double halfLength) {
    std::vector<Point2> outline;
    for (int i = 0; i < 9; ++i) {
        const Point p = bladePoint(10 + 20 * i, halfLength, 1, 0);
        outline.push_back({p.x, p.z});
    }
    outline.push_back({bladeCentreX + 1.33, 10.24});
    outline.push_back({bladeCentreX - 1.33, 10.24});
    for (int i = 8; i >= 0; --i) {
        const Point p = bladePoint(-10 - 20 * i, halfLength, 1, 0);
        outline.push_back({p.x, p.z});
    }
    Loft l;
    for (const double y : {0.0, 1.0}) {
        std::vector<Point> ring;
        for (const Point2& p : outline) {
            ring.push_back({p.a, y, p.b});
        }
        l.rings.push_back(ring);
        l.ringV.push_back(0);
    }
    // The edge is rounded, except where the ellipse meets the neck.
    l.corners = {8, 11};
    l.sideImage = [](int, int i) { return discImage(i, 20); };
    return l;
}

// Player 1's handle: a flat flare at the blade widening into the grip, which swells a little
// before the rounded butt. Five rectangular sections, smooth-shaded.
Loft handle1() {
    struct Section {
        double z, left, right, bottom, top;
    };
    const Section sections[5] = {
        {7.34, -4.52, 4.79, 0.05, 0.95}, {9.6, -1.75, 1.75, -0.36, 1.38},
        {12.6, -1.6, 1.6, -0.3, 1.32},   {15.4, -1.7, 1.7, -0.36, 1.38},
        {16.08, -1.3, 1.3, -0.15, 1.17},
    };
    Loft l;
    l.startCap = l.endCap = Loft::Cap::Fan;
    for (const Section& s : sections) {
        l.rings.push_back({{s.left, s.bottom, s.z},
                           {s.right, s.bottom, s.z},
                           {s.right, s.top, s.z},
                           {s.left, s.top, s.z}});
        // v runs along the whole paddle, from the blade's tip to the butt.
        l.ringV.push_back((s.z + 8.25) / (16.08 + 8.25));
    }
    return l;
}

const Rgb ambient{0.2f, 0.2f, 0.2f};
const Rgb wood{0.8784f, 0.7765f, 0.3412f};
const Rgb redRubber{0.6902f, 0.1020f, 0.1020f};
const Rgb blueRubber{0.3451f, 0.3451f, 0.8824f};

std::vector<ModelMaterial> paddleMaterials() {
    return {material(ambient, wood, 1, -1), material(ambient, redRubber, 1, -1),
            material(ambient, blueRubber, 1, -1)};
}

}  // namespace

Model buildPaddle1() {
    // The core's outermost points at 10 degrees either side of the tip lie 8.25 from the
    // centre line.
    const double halfLength = bladeHalfWidth / std::cos(10 * pi / 180);
    Model m;
    m.materials = paddleMaterials();
    loft(m.mesh, bladeCore(halfLength));
    loft(m.mesh, handle1());
    m.closeRun(0);
    // The rubber stops just inside the wood's edge.
    loft(m.mesh, rubberSheet(halfLength, 0.975, 0.99, 0.88, 1.18));
    m.closeRun(1);
    loft(m.mesh, rubberSheet(halfLength, 0.975, 0.99, 0.14, -0.16));
    m.closeRun(2);
    return m;
}

namespace {

// Player 2's handle: an octagonal grip, open at the blade end, where it sits between the
// rubber sheets, and a flared cheek on each face of the blade.
void handle2(Mesh& mesh) {
    Loft grip;
    grip.startCap = Loft::Cap::Open;
    grip.endCap = Loft::Cap::Fan;
    const double halfWidth = 1.6, bottom = -0.36, top = 1.38, chamfer = 0.45;
    const double middle = (bottom + top) / 2;
    for (const auto& [z, scale] : {std::pair{8.0, 0.94}, std::pair{16.08, 1.0}}) {
        const Point2 octagon[8] = {
            {-halfWidth + chamfer, bottom}, {halfWidth - chamfer, bottom},
            {halfWidth, bottom + chamfer},  {halfWidth, top - chamfer},
            {halfWidth - chamfer, top},     {-halfWidth + chamfer, top},
            {-halfWidth, top - chamfer},    {-halfWidth, bottom + chamfer},
        };
        std::vector<Point> ring;
        for (const Point2& p : octagon) {
            ring.push_back({scale * p.a, middle + scale * (p.b - middle), z});
        }
        grip.rings.push_back(ring);
        grip.ringV.push_back(0);
    }
    loft(mesh, grip);

    // A cheek: a five-sided plate, wide where it meets the blade and pointed toward the grip,
    // its inner face buried in the rubber and its outer face a low dome.
    const Point2 outline[5] = {
        {-4.52, 7.34}, {4.79, 7.34}, {2.0, 9.3}, {0.135, 10.4}, {-1.73, 9.3}};
    for (const auto& [inner, outer, dome] :
         {std::tuple{1.05, 1.30, 0.08}, std::tuple{-0.03, -0.28, 0.08}}) {
        Loft cheek;
        cheek.startCap = Loft::Cap::Fan;
        cheek.endDome = dome;
        for (const double y : {inner, outer}) {
            std::vector<Point> ring;
            for (const Point2& p : outline) {
                ring.push_back({p.a, y, p.b});
            }
            cheek.rings.push_back(ring);
            cheek.ringV.push_back(0);
        }
        loft(mesh, cheek);
    }
}

}  // namespace

Model buildPaddle2() {
    Model m;
    m.materials = paddleMaterials();
    handle2(m.mesh);
    m.closeRun(0);
    loft(m.mesh, rubberSheet(bladeHalfWidth, 1, 1, 0.93, 1.23));
    m.closeRun(1);
    loft(m.mesh, rubberSheet(bladeHalfWidth, 1, 1, 0.16, -0.14));
    m.closeRun(2);
    return m;
}

}  // namespace spinvale::gen
