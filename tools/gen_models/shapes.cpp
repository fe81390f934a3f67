#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace spinvale::gen {

void flatPolygon(Mesh& mesh, std::vector<UvPoint> corners, Point outward) {
    Point n{0, 0, 0};
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
        n = n + cross(corners[i].p - corners[0].p, corners[i + 1].p - corners[0].p);
    }
    if (dot(n, outward) < 0) {
        std::reverse(corners.begin(), corners.end());
        n = -1.0 * n;
    }
    const int normal = mesh.normal(n);
    std::vector<Corner> c;
    for (const UvPoint& q : corners) {
        c.push_back({mesh.position(q.p), normal, mesh.texCoord(q.t)});
    }
    for (std::size_t i = 1; i + 1 < c.size(); ++i) {
        mesh.face(c[0], c[i], c[i + 1]);
    }
}

void box(Mesh& mesh, Point lo, Point hi) {
    const Point size = hi - lo;
    if (size.x >= size.y && size.x >= size.z) {
        prism(mesh, {{lo.y, lo.z}, {hi.y, lo.z}, {hi.y, hi.z}, {lo.y, hi.z}}, Axis::X, lo.x, hi.x);
    } else if (size.y >= size.z) {
        prism(mesh, {{lo.z, lo.x}, {hi.z, lo.x}, {hi.z, hi.x}, {lo.z, hi.x}}, Axis::Y, lo.y, hi.y);
    } else {
        prism(mesh, {{lo.x, lo.y}, {hi.x, lo.y}, {hi.x, hi.y}, {lo.x, hi.y}}, Axis::Z, lo.z, hi.z);
    }
}

namespace {

double turn(Point2 p, Point2 q, Point2 r) {
    return (q.a - p.a) * (r.b - p.b) - (q.b - p.b) * (r.a - p.a);
}

bool inside(Point2 p, Point2 a, Point2 b, Point2 c) {
    return turn(a, b, p) > 0 && turn(b, c, p) > 0 && turn(c, a, p) > 0;
}

}  // namespace

std::vector<std::array<int, 3>> triangulate(const std::vector<Point2>& polygon) {
    std::vector<int> left(polygon.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = static_cast<int>(i);
    }
    std::vector<std::array<int, 3>> triangles;
    while (left.size() > 3) {
        bool clipped = false;
        for (std::size_t i = 0; i < left.size() && !clipped; ++i) {
            const int a = left[(i + left.size() - 1) % left.size()];
            const int b = left[i];
            const int c = left[(i + 1) % left.size()];
            if (turn(polygon[a], polygon[b], polygon[c]) <= 0) {
                continue;
            }
            const bool empty = std::none_of(left.begin(), left.end(), [&](int k) {
                return k != a && k != b && k != c &&
                       inside(polygon[k], polygon[a], polygon[b], polygon[c]);
            });
            if (empty) {
                triangles.push_back({a, b, c});
                left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
                clipped = true;
            }
        }
        if (!clipped) {
            throw std::runtime_error("profile cannot be triangulated");
        }
    }
    triangles.push_back({left[0], left[1], left[2]});
    return triangles;
}

void prism(Mesh& mesh, const std::vector<Point2>& profile, Axis axis, double z0, double z1) {
    // Profile axes (a, b) and the sweep axis form a right-handed frame: (x, y) for z,
    // (y, z) for x, (z, x) for y.
    const auto at = [axis](Point2 p, double c) {
        switch (axis) {
            case Axis::X:
                return Point{c, p.a, p.b};
            case Axis::Y:
                return Point{p.b, c, p.a};
            case Axis::Z:
                break;
        }
        return Point{p.a, p.b, c};
    };
    const Point ahead = at({0, 0}, 1);
    double minA = profile[0].a, maxA = minA, minB = profile[0].b, maxB = minB;
    for (const Point2& p : profile) {
        minA = std::min(minA, p.a);
        maxA = std::max(maxA, p.a);
        minB = std::min(minB, p.b);
        maxB = std::max(maxB, p.b);
    }
    const auto capUv = [&](Point2 p) {
        return Uv{(p.a - minA) / (maxA - minA), (p.b - minB) / (maxB - minB)};
    };
    for (const auto& t : triangulate(profile)) {
        std::vector<UvPoint> far, near;
        for (const int i : t) {
            far.push_back({at(profile[i], z0), capUv(profile[i])});
            near.push_back({at(profile[i], z1), capUv(profile[i])});
        }
        flatPolygon(mesh, far, -1.0 * ahead);
        flatPolygon(mesh, near, ahead);
    }
    double perimeter = 0;
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const Point2 p = profile[i];
        const Point2 q = profile[(i + 1) % profile.size()];
        perimeter += std::hypot(q.a - p.a, q.b - p.b);
    }
    double walked = 0;
    for (std::size_t i = 0; i < profile.size(); ++i) {
        const Point2 p = profile[i];
        const Point2 q = profile[(i + 1) % profile.size()];
        const double u0 = walked / perimeter;
        walked += std::hypot(q.a - p.a, q.b - p.b);
        const double u1 = walked / perimeter;
        flatPolygon(mesh,
                    {{at(p, z0), {u0, 0}},
                     {at(q, z0), {u1, 0}},
                     {at(q, z1), {u1, 1}},
                     {at(p, z1), {u0, 1}}},
                    at({q.b - p.b, p.a - q.a}, 0));
    }
}

Uv discImage(int i, int n) {
    const double angle = 2 * pi * i / n;
    return {0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::sin(angle)};
}

namespace {

Point centroid(const std::vector<Point>& ring) {
    Point sum{0, 0, 0};
    for (const Point& p : ring) {
        sum = sum + p;
    }
    return (1.0 / static_cast<double>(ring.size())) * sum;
}

// The normal of a closed loop of points (Newell's method), its length twice the area.
Point loopNormal(const std::vector<Point>& ring) {
    const Point c = centroid(ring);
    Point n{0, 0, 0};
    for (std::size_t i = 0; i < ring.size(); ++i) {
        n = n + cross(ring[i] - c, ring[(i + 1) % ring.size()] - c);
    }
    return n;
}

void cap(Mesh& mesh, const Loft& l, int k, Loft::Cap kind, Point outward, double dome) {
    const std::vector<Point>& ring = l.rings[k];
    if (kind == Loft::Cap::Open) {
        return;
    }
    Point n = loopNormal(ring);
    const bool forward = dot(n, outward) > 0;
    if (!forward) {
        n = -1.0 * n;
    }
    const int normal = mesh.normal(n);
    const int count = static_cast<int>(ring.size());
    const auto image = [&](int i) {
        return l.capImage ? l.capImage(ring[i]) : discImage(i, count);
    };
    const auto corner = [&](int i) {
        return Corner{mesh.position(ring[i]), normal, mesh.texCoord(image(i))};
    };
    const auto triangle = [&](Corner a, Corner b, Corner c) {
        if (forward) {
            mesh.face(a, b, c);
        } else {
            mesh.face(a, c, b);
        }
    };
    if (kind == Loft::Cap::Centre) {
        const Point middle = centroid(ring) + (dome / length(n)) * n;
        const Corner centre{mesh.position(middle), normal,
                            mesh.texCoord(l.capImage ? l.capImage(middle) : Uv{0.5, 0.5})};
        for (int i = 0; i < count; ++i) {
            triangle(centre, corner(i), corner((i + 1) % count));
        }
    } else {
        for (int i = 1; i + 1 < count; ++i) {
            triangle(corner(0), corner(i), corner(i + 1));
        }
    }
}

}  // namespace

void loft(Mesh& mesh, const Loft& l) {
    const int rings = static_cast<int>(l.rings.size());
    const int n = static_cast<int>(l.rings[0].size());
    const Point along = centroid(l.rings[rings - 1]) - centroid(l.rings[0]);
    // Rings running counter-clockwise about the start-to-end direction make (a, b, c) of each
    // side quad face outward.
    const bool forward = dot(loopNormal(l.rings[0]), along) > 0;
    const auto at = [&](int k, int i) { return l.rings[k][(i + n) % n]; };
    const auto quadNormal = [&](int k, int i) {
        const Point n1 = cross(at(k + 1, i + 1) - at(k, i), at(k + 1, i) - at(k, i + 1));
        return forward ? n1 : -1.0 * n1;
    };
    const auto isCorner = [&](int i) {
        return std::find(l.corners.begin(), l.corners.end(), (i + n) % n) != l.corners.end();
    };
    // Normal of point (k, i) as seen from the quad (segment k0, column i0) it belongs to.
    const auto normalAt = [&](int k, int i, int k0, int i0) {
        if (isCorner(i)) {
            return mesh.normal(quadNormal(k0, i0));
        }
        Point sum{0, 0, 0};
        for (int seg = std::max(k - 1, 0); seg <= std::min(k, rings - 2); ++seg) {
            sum = sum + quadNormal(seg, i - 1) + quadNormal(seg, i);
        }
        return mesh.normal(sum);
    };
    const auto corner = [&](int k, int i, int k0, int i0) {
        const Uv t = l.sideImage ? l.sideImage(k, i) : Uv{static_cast<double>(i) / n, l.ringV[k]};
        return Corner{mesh.position(at(k, i)), normalAt(k, i, k0, i0), mesh.texCoord(t)};
    };

    cap(mesh, l, 0, l.startCap, -1.0 * along, 0);
    for (int k = 0; k + 1 < rings; ++k) {
        for (int i = 0; i < n; ++i) {
            const Corner a = corner(k, i, k, i);
            const Corner b = corner(k, i + 1, k, i);
            const Corner c = corner(k + 1, i + 1, k, i);
            const Corner d = corner(k + 1, i, k, i);
            if (forward) {
                mesh.quad(a, b, c, d);
            } else {
                mesh.quad(a, d, c, b);
            }
        }
    }
    cap(mesh, l, rings - 1, l.endCap, along, l.endDome);
}

}  // namespace spinvale::gen
