#pragma once
// The outer wrap hull of a part's vertices, found as a gift wrap finds it:
// the lowest point, its partner on the plane through both and the z
// direction, then a face across every open edge in the order the edges were
// made. A first run over all points finds the hull points, a second run over
// those gives the faces. The faces come from a hull built with a small
// tolerance, so flat facets and sets that are flat up to rounding give one
// closed surface; where no points are that close to a face, the faces and their
// order are the gift wrap's own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The faces as triples of vertex indices; nothing when there would be more
// than maxFaces. Fewer than 3 distinct points, or points on one line, give none.
std::optional<std::vector<std::array<uint32_t, 3>>> WrapHullFaces(std::span<const Vec3> positions,
                                                                  size_t maxFaces);

}  // namespace kx
