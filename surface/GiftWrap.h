#pragma once
// The convex hull of a part's vertices by gift wrapping, with the tie rules
// the stored files were made with: the first run over all points only finds
// the hull points, the second wraps those and gives the faces.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Vec.h"

namespace kx {

struct WrapPoint {
    Vec3 position{};
    uint32_t index = 0;  // the part's vertex index; points are told apart by it
};

// The points of a part's vertices, without any position equal to one before it.
std::vector<WrapPoint> DistinctWrapPoints(std::span<const Vec3> positions);

// One gift-wrap run. `hullPoints` receives the points in the order they were
// found; `faces` (when given) the faces as triples of point indices into
// `points`. Fewer than 3 points give nothing.
void GiftWrapRun(std::span<const WrapPoint> points, std::vector<uint32_t>& hullPoints,
                 std::vector<std::array<uint32_t, 3>>* faces);

// Both runs: the faces as triples of vertex indices.
std::vector<std::array<uint32_t, 3>> WrapHullFaces(std::span<const Vec3> positions);

}  // namespace kx
