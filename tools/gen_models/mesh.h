// Building blocks of the model generator: points, and a mesh that stores each distinct
// position, normal and texture coordinate once, in the order the faces first use them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "model_tables.h"

namespace spinvale::gen {

constexpr double pi = 3.14159265358979323846;

struct Point {
    double x, y, z;
};

inline Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Point operator-(Point a, Point b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Point operator*(double s, Point a) {
    return {s * a.x, s * a.y, s * a.z};
}
double dot(Point a, Point b);
Point cross(Point a, Point b);
double length(Point a);
Point normalized(Point a);

struct Uv {
    double u, v;
};

// One corner of a face: indices into the mesh's tables.
struct Corner {
    int position, normal, texCoord;
};

struct Face {
    std::array<Corner, 3> corners;
};

// Values are rounded before they are stored (positions to 1/1000 mm, normals and texture
// coordinates to 1e-6), so that the same point reached by two computations is one entry.
class Mesh {
  public:
    int position(Point p);
    int normal(Point n);  // normalised here
    int texCoord(Uv t);
    void face(Corner a, Corner b, Corner c) { faces_.push_back({{a, b, c}}); }

    // Two faces (a, b, c) and (a, c, d).
    void quad(Corner a, Corner b, Corner c, Corner d);

    const std::vector<Vec3f>& positions() const { return positions_; }
    const std::vector<Vec3f>& normals() const { return normals_; }
    const std::vector<Vec2f>& texCoords() const { return texCoords_; }
    const std::vector<Face>& faces() const { return faces_; }
    int faceCount() const { return static_cast<int>(faces_.size()); }

  private:
    std::vector<Vec3f> positions_, normals_;
    std::vector<Vec2f> texCoords_;
    std::vector<Face> faces_;
    std::map<std::array<float, 3>, int> positionIndex_, normalIndex_;
    std::map<std::array<float, 2>, int> texCoordIndex_;
};

}  // namespace spinvale::gen
