#pragma once

#include <cstdint>

#include "meshutil/Status.h"

namespace kx::meshutil {

// Sphere centred on the mean of the positions that reaches the farthest one.
// Positions are three float32 at firstPosition + i * strideBytes. No vertex
// gives centre (0, 0, 0) and radius 1. The sums and results are rounded to
// float32 at the same steps on every machine.
Status ComputeBoundingSphere(const void* firstPosition, std::uint32_t vertexCount,
                             std::uint32_t strideBytes, float centreOut[3], float* radiusOut);

}  // namespace kx::meshutil
