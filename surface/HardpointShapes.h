#pragma once
// The eight small convex hulls that stand for hardpoints in a collision
// surface, in their own frame (before a hardpoint places them).

#include <array>
#include <cstdint>
#include <vector>

#include "surface/SurfacePart.h"

namespace kx {

struct HardpointShape {
    std::vector<Vec3> vertices;
    // Complete triangle records, linked over the unplaced vertices; copied into
    // a part with their vertex indices moved by the part's vertex base.
    std::vector<HullTriangle> triangles;
};

inline constexpr uint32_t kHardpointShapeCount = 8;

// Shape types 1 to 8; any other type gives shape 4.
const HardpointShape& GetHardpointShape(uint32_t type);

}  // namespace kx
