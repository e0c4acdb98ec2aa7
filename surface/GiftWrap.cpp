#include "surface/GiftWrap.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

namespace kx {

namespace {

struct Plane {
    Vec3 normal{};
    float offset = 0.0f;

    // Strictly in front: a point on the plane is not.
    bool InFront(const Vec3& p) const { return Dot(normal, p) > offset; }
};

// Through a, b and w. A normal shorter than 0.000001 is kept unnormalised.
Plane PlaneThrough(const Vec3& a, const Vec3& b, const Vec3& w) {
    Plane plane;
    plane.normal = Cross(Sub(b, a), Sub(w, a));
    const float length = Length(plane.normal);
    if (length >= 0.000001f) {
        plane.normal = {plane.normal[0] / length, plane.normal[1] / length,
                        plane.normal[2] / length};
    }
    plane.offset = Dot(plane.normal, a);
    return plane;
}

uint64_t PairKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

// Equal positions (+0 and -0 alike) get equal keys.
std::array<uint32_t, 3> PositionKey(const Vec3& p) {
    std::array<uint32_t, 3> key{};
    for (int axis = 0; axis < 3; ++axis) {
        const float v = p[axis] == 0.0f ? 0.0f : p[axis];
        std::memcpy(&key[axis], &v, sizeof v);
    }
    return key;
}

struct Edge {
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t uses = 0;
};

}  // namespace

std::vector<WrapPoint> DistinctWrapPoints(std::span<const Vec3> positions) {
    std::vector<uint32_t> order(positions.size());
    std::iota(order.begin(), order.end(), 0u);
    std::vector<std::array<uint32_t, 3>> keys(positions.size());
    for (size_t i = 0; i < positions.size(); ++i) {
        keys[i] = PositionKey(positions[i]);
    }
    // Sorted by position, then index: the first of each run of equal
    // positions is the one taken.
    std::sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
        return keys[x] != keys[y] ? keys[x] < keys[y] : x < y;
    });
    std::vector<bool> keep(positions.size(), false);
    for (size_t i = 0; i < order.size(); ++i) {
        keep[order[i]] = i == 0 || keys[order[i]] != keys[order[i - 1]];
    }
    std::vector<WrapPoint> points;
    for (uint32_t i = 0; i < positions.size(); ++i) {
        if (keep[i]) {
            points.push_back({positions[i], i});
        }
    }
    return points;
}

void GiftWrapRun(std::span<const WrapPoint> points, std::vector<uint32_t>& hullPoints,
                 std::vector<std::array<uint32_t, 3>>* faces) {
    hullPoints.clear();
    const auto n = static_cast<uint32_t>(points.size());
    if (n < 3) {
        return;
    }
    auto at = [&](uint32_t i) -> const Vec3& { return points[i].position; };

    uint32_t p1 = 0;
    for (uint32_t i = 1; i < n; ++i) {
        if (at(i)[1] < at(p1)[1]) {
            p1 = i;
        }
    }
    uint32_t p2 = p1 == 0 ? 1 : 0;
    const Vec3 above = Add(at(p1), Vec3{0.0f, 0.0f, 1.0f});
    Plane plane = PlaneThrough(at(p1), at(p2), above);
    for (uint32_t q = p2 + 1; q < n; ++q) {
        if (q != p1 && plane.InFront(at(q))) {
            p2 = q;
            plane = PlaneThrough(at(p1), at(p2), above);
        }
    }

    std::vector<bool> found(n, false);
    auto find = [&](uint32_t p) {
        if (!found[p]) {
            found[p] = true;
            hullPoints.push_back(p);
        }
    };
    find(p1);
    find(p2);

    // Edges in creation order; a pair of points is one edge either way round
    // (the first listed takes the further uses).
    std::vector<Edge> edges{{p1, p2, 1}, {p2, p1, 1}};
    std::unordered_map<uint64_t, uint32_t> edgeOf{{PairKey(p1, p2), 0}};
    auto record = [&](uint32_t a, uint32_t b) {
        const auto [it, added] =
            edgeOf.try_emplace(PairKey(a, b), static_cast<uint32_t>(edges.size()));
        if (added) {
            edges.push_back({a, b, 1});
        } else {
            ++edges[it->second].uses;
        }
    };

    // Uses only grow, so the first edge used fewer than twice never moves back.
    for (size_t next = 0; next < edges.size();) {
        if (edges[next].uses >= 2) {
            ++next;
            continue;
        }
        ++edges[next].uses;
        const uint32_t a = edges[next].a;
        const uint32_t b = edges[next].b;
        uint32_t w = 0;
        while (w == a || w == b) {
            ++w;
        }
        const Vec3 pa = at(a);
        const Vec3 pb = at(b);
        plane = PlaneThrough(pa, pb, at(w));
        for (uint32_t q = w + 1; q < n; ++q) {
            if (q != a && q != b && plane.InFront(at(q))) {
                w = q;
                plane = PlaneThrough(pa, pb, at(w));
            }
        }
        if (faces) {
            faces->push_back({a, b, w});
        }
        find(w);
        record(a, w);
        record(w, b);
    }
}

std::vector<std::array<uint32_t, 3>> WrapHullFaces(std::span<const Vec3> positions) {
    const std::vector<WrapPoint> all = DistinctWrapPoints(positions);
    std::vector<uint32_t> found;
    GiftWrapRun(all, found, nullptr);
    std::vector<WrapPoint> hull;
    hull.reserve(found.size());
    for (uint32_t p : found) {
        hull.push_back(all[p]);
    }
    std::vector<std::array<uint32_t, 3>> faces;
    GiftWrapRun(hull, found, &faces);
    for (auto& face : faces) {
        for (uint32_t& corner : face) {
            corner = hull[corner].index;
        }
    }
    return faces;
}

}  // namespace kx
