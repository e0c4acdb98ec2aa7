#include "surface/GiftWrap.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <unordered_map>

#include "surface/ConvexHull.h"

namespace kx {

namespace {

struct Plane {
    Vec3 normal{};
    float offset = 0.0f;
    bool degenerate = false;  // its three points lie on one line

    // Strictly in front: a point on the plane is not.
    bool InFront(const Vec3& p) const { return Dot(normal, p) > offset; }
};

// Through a, b and w. A normal shorter than 0.000001 is kept unnormalised.
Plane PlaneThrough(const Vec3& a, const Vec3& b, const Vec3& w) {
    Plane plane;
    plane.normal = Cross(Sub(b, a), Sub(w, a));
    const float length = Length(plane.normal);
    plane.degenerate = length == 0.0f;
    if (length >= 0.000001f) {
        plane.normal = {plane.normal[0] / length, plane.normal[1] / length,
                        plane.normal[2] / length};
    }
    plane.offset = Dot(plane.normal, a);
    return plane;
}

bool Collinear(const Vec3& a, const Vec3& b, const Vec3& q) {
    return Length(Cross(Sub(b, a), Sub(q, a))) == 0.0f;
}

// Whether q takes the place of the current third point w of the plane through
// a, b and w. A w on the line through a and b spans no plane: then the first
// point off that line takes its place.
bool Replaces(const Plane& plane, const Vec3& a, const Vec3& b, const Vec3& q) {
    return plane.degenerate ? !Collinear(a, b, q) : plane.InFront(q);
}

uint64_t PairKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

uint64_t DirectedKey(uint32_t from, uint32_t to) {
    return (uint64_t{from} << 32) | to;
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

// The closed hull surface, by point: the third corner of the face that runs
// each directed edge, and each corner's neighbours.
struct HullSurface {
    std::unordered_map<uint64_t, uint32_t> third;
    std::unordered_map<uint32_t, std::vector<uint32_t>> neighbours;
};

// One gift-wrap run over the hull's points taken in `order` (indices into
// `points`): the points in the order they are found, and the faces.
void WrapRun(std::span<const WrapPoint> points, const HullSurface& hull,
             std::span<const uint32_t> order, std::vector<uint32_t>& found,
             std::vector<std::array<uint32_t, 3>>& faces) {
    std::vector<uint32_t> rank(points.size(), 0);
    for (uint32_t r = 0; r < order.size(); ++r) {
        rank[order[r]] = r;
    }
    auto at = [&](uint32_t i) -> const Vec3& { return points[i].position; };

    // The lowest point, the first of equal ones.
    uint32_t p1 = order[0];
    for (uint32_t i : order) {
        if (at(i)[1] < at(p1)[1]) {
            p1 = i;
        }
    }
    // Its partner: turning a plane through p1 and the z direction. Only hull
    // neighbours of p1 can win, so only they are tried, in list order.
    std::vector<uint32_t> candidates = hull.neighbours.at(p1);
    std::sort(candidates.begin(), candidates.end(),
              [&](uint32_t x, uint32_t y) { return rank[x] < rank[y]; });
    const Vec3 above = Add(at(p1), Vec3{0.0f, 0.0f, 1.0f});
    uint32_t p2 = candidates[0];
    Plane plane = PlaneThrough(at(p1), at(p2), above);
    for (uint32_t q : std::span(candidates).subspan(1)) {
        if (Replaces(plane, at(p1), above, at(q))) {
            p2 = q;
            plane = PlaneThrough(at(p1), at(p2), above);
        }
    }

    found.clear();
    faces.clear();
    std::vector<bool> isFound(points.size(), false);
    auto find = [&](uint32_t p) {
        if (!isFound[p]) {
            isFound[p] = true;
            found.push_back(p);
        }
    };
    find(p1);
    find(p2);
    // Edges in creation order; a pair of points is one edge either way round
    // (the first listed takes the further uses). Uses only grow, so the first
    // edge used fewer than twice never moves back.
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
    for (size_t next = 0; next < edges.size();) {
        if (edges[next].uses >= 2) {
            ++next;
            continue;
        }
        ++edges[next].uses;
        const uint32_t a = edges[next].a;
        const uint32_t b = edges[next].b;
        // The face the wrap turns to across (a, b) is the hull face running a to b.
        const uint32_t w = hull.third.at(DirectedKey(a, b));
        faces.push_back({a, b, w});
        find(w);
        record(a, w);
        record(w, b);
    }
}

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

std::optional<std::vector<std::array<uint32_t, 3>>> WrapHullFaces(std::span<const Vec3> positions,
                                                                  size_t maxFaces) {
    const std::vector<WrapPoint> points = DistinctWrapPoints(positions);
    std::vector<Vec3> at;
    at.reserve(points.size());
    for (const WrapPoint& p : points) {
        at.push_back(p.position);
    }
    const auto triangles = ConvexHullTriangles(at);
    std::vector<std::array<uint32_t, 3>> faces;
    if (!triangles || triangles->empty()) {
        return faces;  // a line, or rounding left no closed surface: nothing to wrap
    }
    if (triangles->size() > maxFaces) {
        return std::nullopt;
    }
    HullSurface hull;
    for (const auto& t : *triangles) {
        for (int k = 0; k < 3; ++k) {
            hull.third[DirectedKey(t[k], t[(k + 1) % 3])] = t[(k + 2) % 3];
            hull.neighbours[t[k]].push_back(t[(k + 1) % 3]);
        }
    }
    // The first run takes the points in list order and finds the hull points;
    // the second takes those in the order found.
    std::vector<uint32_t> order;
    for (const auto& [point, next] : hull.neighbours) {
        order.push_back(point);
    }
    std::sort(order.begin(), order.end());
    std::vector<uint32_t> found;
    WrapRun(points, hull, order, found, faces);
    order = found;
    WrapRun(points, hull, order, found, faces);
    // Both sides of a flat set meet along every inner edge of its outline, so
    // the wrap, which counts two faces to an edge, stops early there: the
    // hull's own triangles serve.
    if (faces.size() != triangles->size()) {
        faces = *triangles;
    }
    for (auto& face : faces) {
        for (uint32_t& corner : face) {
            corner = points[corner].index;
        }
    }
    return faces;
}

}  // namespace kx
