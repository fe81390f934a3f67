// Shapes the models are made of. Every face is wound counter-clockwise seen from outside.
#pragma once

#include <functional>
#include <vector>

#include "mesh.h"

namespace spinvale::gen {

// A flat polygon's corners with their texture coordinates.
struct UvPoint {
    Point p;
    Uv t;
};

// A flat convex quad or triangle facing `outward` (corners in either order around it).
void flatPolygon(Mesh& mesh, std::vector<UvPoint> corners, Point outward);

// A point of a profile drawn in a plane: (a, b) are the plane's two axes.
struct Point2 {
    double a, b;
};

// Triangles (index triples, counter-clockwise) covering a simple counter-clockwise polygon.
std::vector<std::array<int, 3>> triangulate(const std::vector<Point2>& polygon);

enum class Axis { X, Y, Z };

// A prism: a counter-clockwise profile swept along an axis from c0 to c1. The profile is drawn
// in (y, z) for a sweep along x, (z, x) along y and (x, y) along z. The ends carry the
// profile's own image (its bounding box mapped to the unit square); the sides carry the image
// laid round the profile, u following the outline from 0 to 1, v from 0 at c0 to 1 at c1.
void prism(Mesh& mesh, const std::vector<Point2>& profile, Axis axis, double c0, double c1);

// An axis-aligned box: a rectangle swept along the box's longest side.
void box(Mesh& mesh, Point lo, Point hi);

// A tube through rings of points (each a closed loop with the same number of points, all
// running the same way round), closed at either end by a cap.
struct Loft {
    enum class Cap { Open, Centre, Fan };  // no cap, a fan from the ring's centre, or from point 0
    std::vector<std::vector<Point>> rings;
    std::vector<double> ringV;  // v of each ring on the side's image; u runs round from 0 to 1
    Cap startCap = Cap::Centre;
    Cap endCap = Cap::Centre;
    // Side normals are smooth (averaged over the faces at a point) except at the ring indices
    // listed as corners, where each face keeps its own normal.
    std::vector<int> corners;
    // The caps' image: by default a disc (centre at (0.5, 0.5), point i of n at angle
    // 360 i / n); otherwise this function of the position.
    std::function<Uv(Point)> capImage;
    // The sides' image at point i of ring k (i = n for the seam); by default u = i / n,
    // v = ringV[k].
    std::function<Uv(int k, int i)> sideImage;
    // How far the end cap's centre stands out of the ring's plane (a low dome).
    double endDome = 0;
};

// The disc image of point i of n (see Loft::capImage).
Uv discImage(int i, int n);

// Faces in order: start cap, sides ring by ring, end cap. Caps are flat.
void loft(Mesh& mesh, const Loft& loft);

}  // namespace spinvale::gen
