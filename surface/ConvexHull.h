#pragma once
// The convex hull of a point set as closed, outward-wound triangles. Points
// closer than a small tolerance to a face count as on it, so flat facets,
// points along hull edges and sets that are flat up to rounding give one
// consistent surface; a flat set gives both sides of its outline.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/Vec.h"

namespace kx {

// Triangles as triples of indices into `points`, each edge shared by exactly
// two triangles running it in opposite directions. Empty for fewer than three
// points or points on one line; nothing when rounding left the surface open.
std::optional<std::vector<std::array<uint32_t, 3>>> ConvexHullTriangles(
    std::span<const Vec3> points);

}  // namespace kx
