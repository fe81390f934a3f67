#include "mesh.h"

#include <cmath>

namespace spinvale::gen {

double dot(Point a, Point b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Point cross(Point a, Point b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double length(Point a) {
    return std::sqrt(dot(a, a));
}

Point normalized(Point a) {
    return (1.0 / length(a)) * a;
}

namespace {

// Rounds to a multiple of step and to single precision; never gives -0.
float rounded(double value, double step) {
    const float f = static_cast<float>(std::round(value / step) * step);
    return f == 0.0f ? 0.0f : f;
}

template <typename Key, typename Value>
int indexOf(std::map<Key, int>& index, std::vector<Value>& table, const Key& key,
            const Value& value) {
    const auto [it, inserted] = index.emplace(key, static_cast<int>(table.size()));
    if (inserted) {
        table.push_back(value);
    }
    return it->second;
}

}  // namespace

int Mesh::position(Point p) {
    const std::array<float, 3> k{rounded(p.x, 1e-4), rounded(p.y, 1e-4), rounded(p.z, 1e-4)};
    return indexOf(positionIndex_, positions_, k, Vec3f{k[0], k[1], k[2]});
}

int Mesh::normal(Point n) {
    const Point u = normalized(n);
    const std::array<float, 3> k{rounded(u.x, 1e-6), rounded(u.y, 1e-6), rounded(u.z, 1e-6)};
    return indexOf(normalIndex_, normals_, k, Vec3f{k[0], k[1], k[2]});
}

int Mesh::texCoord(Uv t) {
    const std::array<float, 2> k{rounded(t.u, 1e-6), rounded(t.v, 1e-6)};
    return indexOf(texCoordIndex_, texCoords_, k, Vec2f{k[0], k[1]});
}

void Mesh::quad(Corner a, Corner b, Corner c, Corner d) {
    face(a, b, c);
    face(a, c, d);
}

}  // namespace spinvale::gen
