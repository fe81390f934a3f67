// The scene: table top, net with its bands, posts and clamps, the frame under the top, the
// four legs and a patch of floor. World frame: the floor at y = 0, the net at z = 0.
#include <algorithm>
#include <cmath>

#include "models.h"
#include "shapes.h"

namespace spinvale::gen {

namespace {

// The top is stored as its lower surface (faces 0 and 1), its upper surface (faces 2 and 3)
// and a copy of face 0. The game draws only the lower surface, raised to the playing height.
// Both surfaces carry the table image once; seen from above the upper one shows it mirrored.
void tableTop(Mesh& mesh) {
    const double left = -76.181, right = 76.319, far = -137.115, near = 136.885;
    const double lower = 75.8865, upper = 77.8865;
    const int down = 0, up = 1;
    const Point n[2] = {{0, -1, 0}, {0, 1, 0}};
    const auto corner = [&](double x, double y, double z, int side, Uv t) {
        return Corner{mesh.position({x, y, z}), mesh.normal(n[side]), mesh.texCoord(t)};
    };
    // Lower surface, seen from below: u = 1 at the left edge, v = 0 at the near edge.
    const Corner a = corner(left, lower, near, down, {1, 0});
    const Corner d = corner(left, lower, far, down, {1, 1});
    const Corner c = corner(right, lower, far, down, {0, 1});
    const Corner b = corner(right, lower, near, down, {0, 0});
    mesh.face(a, d, c);
    mesh.face(a, c, b);
    // Upper surface, seen from above: u = 0 at the left edge.
    const Corner a2 = corner(left, upper, near, up, {0, 0});
    const Corner b2 = corner(right, upper, near, up, {1, 0});
    const Corner c2 = corner(right, upper, far, up, {1, 1});
    const Corner d2 = corner(left, upper, far, up, {0, 1});
    mesh.face(a2, b2, c2);
    mesh.face(a2, c2, d2);
    mesh.face(a, d, c);
}

// A translucent slab stretched between the posts.
void net(Mesh& mesh) {
    box(mesh, {-91.9, 80.7, -1.0}, {92.1, 96.0, 0.0});
}

// White bands along the net's top and bottom edges, wrapped round the slab.
void netBands(Mesh& mesh) {
    box(mesh, {-91.94, 95.14, -1.04}, {92.14, 96.28, 0.04});
    box(mesh, {-91.94, 79.68, -1.04}, {92.14, 80.62, 0.04});
}

// Two rails under each half of the top, joining the legs of that half.
void frame(Mesh& mesh) {
    const double rails[2][2] = {{-64.0, -61.1}, {64.0, 66.8}};
    const double halves[2][2] = {{-124.0, -71.8}, {67.3, 119.5}};
    for (const auto& x : rails) {
        for (const auto& z : halves) {
            box(mesh, {x[0], 44.4, z[0]}, {x[1], 76.4, z[1]});
        }
    }
}

// Guards at the four corners of the top. A near corner has an angle bent from one strip, which
// carries the image along its length; a far corner has a plate with a triangular gusset
// welded to it, each carrying the image once.
void cornerPieces(Mesh& mesh) {
    const double bottom = 72.8, top = 77.8;
    const auto plate = [&](Point2 p, Point2 q, double u0, double u1, Point outward) {
        flatPolygon(mesh,
                    {{{p.a, bottom, p.b}, {u0, 0}},
                     {{q.a, bottom, q.b}, {u1, 0}},
                     {{q.a, top, q.b}, {u1, 1}},
                     {{p.a, top, p.b}, {u0, 1}}},
                    outward);
    };
    // (outer x, inner x, outer z, inner z) of each corner.
    const double nearCorners[2][4] = {{-76.6, -76.2, 137.2, 136.7}, {76.9, 76.5, 137.2, 136.7}};
    for (const auto& c : nearCorners) {
        const double sx = c[0] < 0 ? -1 : 1;
        const double alongX = std::abs(c[0] - c[1]), alongZ = std::abs(c[2] - c[3]);
        const double bend = alongX / (alongX + alongZ);
        plate({c[1], c[2]}, {c[0], c[2]}, 0, bend, {0, 0, 1});
        plate({c[0], c[2]}, {c[0], c[3]}, bend, 1, {sx, 0, 0});
    }
    const double farCorners[2][4] = {{-76.6, -76.2, -138.2, -138.0}, {76.9, 76.0, -138.2, -138.0}};
    for (const auto& c : farCorners) {
        const double sx = c[0] < 0 ? -1 : 1;
        plate({c[1], c[2]}, {c[0], c[2]}, 0, 1, {0, 0, -1});
        flatPolygon(mesh,
                    {{{c[0], bottom, c[2]}, {0, 0}},
                     {{c[0], top, c[2]}, {0, 1}},
                     {{c[0], top, c[3]}, {1, 1}}},
                    {sx, 0, 0});
    }
}

// At each side a clamp grips the edge of the top from below, and an L-shaped post stands on
// the clamp with its foot on the top; the net is stretched between the two uprights.
// `inner` is where the clamp's jaw ends under the top, `outer` the outside of the upright
// (both as distances from the centre line); `side` is -1 for the left, 1 for the right.
void postAndClamp(Mesh& mesh, double side, double inner, double outer) {
    const auto mirrored = [&](std::vector<Point2> profile) {
        if (side < 0) {
            for (Point2& p : profile) {
                p.a = -p.a;
            }
            std::reverse(profile.begin(), profile.end());
        }
        return profile;
    };
    const double upright = outer - 1.6;
    prism(mesh,
          mirrored({{74.2, 77.7},
                    {outer, 77.7},
                    {outer, 97.6},
                    {upright, 97.6},
                    {upright, 79.3},
                    {74.2, 79.3}}),
          Axis::Z, -2.3, 1.2);
    prism(
        mesh,
        mirrored(
            {{inner, 73.6}, {78.6, 73.6}, {78.6, 77.7}, {77.0, 77.7}, {77.0, 75.2}, {inner, 75.2}}),
        Axis::Z, -1.9, 0.8);
}

// The floor patch under the table; its image spans v 0.82 (near) to 1.8 (far).
void floorPatch(Mesh& mesh) {
    const double left = -71.058, right = 73.934, far = -132.886, near = 132.474;
    const int up = mesh.normal({0, 1, 0});
    const auto corner = [&](double x, double z, Uv t) {
        return Corner{mesh.position({x, 0, z}), up, mesh.texCoord(t)};
    };
    const Corner a = corner(left, near, {0, 0.82});
    const Corner b = corner(right, near, {1, 0.82});
    const Corner c = corner(right, far, {1, 1.8});
    const Corner d = corner(left, far, {0, 1.8});
    mesh.quad(a, b, c, d);
}

// A round leg: a flared foot filling the leg's footprint on the floor, then a post that
// narrows slightly up to the frame. Smooth-shaded; flat ends. The sides carry the image
// wrapped once round the leg, v rising with the height.
void leg(Mesh& mesh, double x0, double x1, double z0, double z1) {
    // The sixteen sides start half a side off the axes, so the foot's outermost sides span
    // the footprint.
    const double halfSide = pi / 16;
    const double cx = (x0 + x1) / 2, cz = (z0 + z1) / 2;
    const double rx = (x1 - x0) / 2 / std::cos(halfSide), rz = (z1 - z0) / 2 / std::cos(halfSide);
    const double heights[3] = {0.0, 6.0, 75.1};
    const double scales[3] = {1.0, 0.45, 0.40};
    Loft l;
    for (int k = 0; k < 3; ++k) {
        std::vector<Point> ring;
        for (int i = 0; i < 16; ++i) {
            const double angle = 2 * pi * i / 16 + halfSide;
            ring.push_back({cx + scales[k] * rx * std::cos(angle), heights[k],
                            cz + scales[k] * rz * std::sin(angle)});
        }
        l.rings.push_back(ring);
        l.ringV.push_back(heights[k] / heights[2]);
    }
    // The ends show the leg seen from above, its footprint filling the image.
    l.capImage = [=](Point p) { return Uv{(p.x - x0) / (x1 - x0), (p.z - z0) / (z1 - z0)}; };
    loft(mesh, l);
}

void legs(Mesh& mesh) {
    const double sides[2][2] = {{-67.8, -58.0}, {61.3, 69.9}};
    const double ends[2][2] = {{-128.5, -117.1}, {115.1, 124.0}};
    for (const auto& x : sides) {
        for (const auto& z : ends) {
            leg(mesh, x[0], x[1], z[0], z[1]);
        }
    }
}

}  // namespace

Model buildScene() {
    Model m;
    const Rgb white{1, 1, 1}, black{0, 0, 0};
    m.textureFiles = {"newsv_0.bmp", "newsv_1.bmp"};
    m.materials = {
        material(white, white, 1, 0),
        material({0.2118f, 0.2098f, 0.8941f}, {0.2118f, 0.2098f, 0.8941f}, 0.77f, -1),
        material(white, white, 1, -1),
        material(white, black, 1, -1),
        material(white, black, 1, -1),
        material({0.2f, 0.2f, 0.2f}, {0.6039f, 0.7255f, 0.8980f}, 1, -1),
        material(white, white, 1, 1),
        material(black, black, 1, -1),
    };
    tableTop(m.mesh);
    m.closeRun(0);
    net(m.mesh);
    m.closeRun(1);
    netBands(m.mesh);
    m.closeRun(2);
    frame(m.mesh);
    m.closeRun(3);
    cornerPieces(m.mesh);
    m.closeRun(4);
    postAndClamp(m.mesh, -1, 70.8, 93.3);
    postAndClamp(m.mesh, 1, 70.9, 93.5);
    m.closeRun(5);
    floorPatch(m.mesh);
    m.closeRun(6);
    legs(m.mesh);
    m.closeRun(7);
    return m;
}

}  // namespace spinvale::gen
