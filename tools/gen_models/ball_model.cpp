// The ball: a sphere of diameter 1 about the origin, poles on the y axis. Position 0 is the
// lower pole, then fifteen rings of 32 points from 78.75 degrees south to 78.75 degrees north,
// one every 11.25 degrees, then the upper pole (481). A fan of 32 faces round each pole and
// 64 faces in each of the 14 bands between rings; every corner has its own normal, pointing
// straight out of the sphere.
#include <cmath>

#include "models.h"

namespace spinvale::gen {

namespace {

constexpr int ringCount = 15;
constexpr int ringSize = 32;
constexpr double radius = 0.5;
constexpr double step = pi / 16;  // 11.25 degrees
constexpr int32_t lowerPole = 0;
constexpr int32_t upperPole = 1 + ringCount * ringSize;

Vec3f toFloat(Point p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

Point spherePoint(double latitude, double longitude) {
    return {radius * std::cos(latitude) * std::cos(longitude), radius * std::sin(latitude),
            radius * std::cos(latitude) * std::sin(longitude)};
}

int32_t ringPoint(int ring, int k) {
    return 1 + ring * ringSize + (k % ringSize);
}

}  // namespace

BallModel buildBall() {
    BallModel ball;
    std::vector<Point> points{{0, -radius, 0}};
    for (int ring = 0; ring < ringCount; ++ring) {
        const double latitude = (ring - 7) * step;
        for (int k = 0; k < ringSize; ++k) {
            points.push_back(spherePoint(latitude, k * step));
        }
    }
    points.push_back({0, radius, 0});
    for (const Point& p : points) {
        ball.vertices.push_back(toFloat(p));
    }

    // Round x toward z seen from below is counter-clockwise from outside at the lower pole.
    const auto face = [&](int32_t a, int32_t b, int32_t c) {
        const int32_t first = 3 * static_cast<int32_t>(ball.faces.size());
        ball.faces.push_back({{a, b, c}, {first, first + 1, first + 2}});
        for (const int32_t v : {a, b, c}) {
            ball.normals.push_back(toFloat(normalized(points[v])));
        }
    };
    for (int k = 0; k < ringSize; ++k) {
        face(lowerPole, ringPoint(0, k), ringPoint(0, k + 1));
    }
    for (int ring = 0; ring + 1 < ringCount; ++ring) {
        for (int k = 0; k < ringSize; ++k) {
            face(ringPoint(ring, k), ringPoint(ring + 1, k), ringPoint(ring + 1, k + 1));
            face(ringPoint(ring, k), ringPoint(ring + 1, k + 1), ringPoint(ring, k + 1));
        }
    }
    for (int k = 0; k < ringSize; ++k) {
        face(ringPoint(ringCount - 1, k), upperPole, ringPoint(ringCount - 1, k + 1));
    }
    return ball;
}

}  // namespace spinvale::gen
