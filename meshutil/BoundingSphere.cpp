#include "meshutil/BoundingSphere.h"

#include <array>
#include <cmath>
#include <cstring>

namespace kx::meshutil {

Status ComputeBoundingSphere(const void* firstPosition, std::uint32_t vertexCount,
                             std::uint32_t strideBytes, float centreOut[3], float* radiusOut) {
    if (firstPosition == nullptr || centreOut == nullptr || radiusOut == nullptr) {
        return STATUS_INVALID_CALL;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(firstPosition);
    auto position = [&](std::uint32_t i) {
        float p[3];
        std::memcpy(p, bytes + std::size_t{i} * strideBytes, sizeof p);
        return std::array<float, 3>{p[0], p[1], p[2]};
    };
    if (vertexCount == 0) {
        centreOut[0] = centreOut[1] = centreOut[2] = 0.0f;
        *radiusOut = 1.0f;
        return STATUS_OK;
    }
    float sum[3] = {0.0f, 0.0f, 0.0f};
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        const auto p = position(i);
        for (int axis = 0; axis < 3; ++axis) {
            sum[axis] = sum[axis] + p[axis];
        }
    }
    const double reciprocal = 1.0 / static_cast<double>(vertexCount);
    float centre[3];
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = static_cast<float>(sum[axis] * reciprocal);
    }
    float maxSq = 0.0f;
    for (std::uint32_t i = 0; i < vertexCount; ++i) {
        const auto p = position(i);
        const double dx = double{p[0]} - centre[0];
        const double dy = double{p[1]} - centre[1];
        const double dz = double{p[2]} - centre[2];
        const double sq = dz * dz + dy * dy + dx * dx;
        if (sq > maxSq) {
            maxSq = static_cast<float>(sq);
        }
    }
    centreOut[0] = centre[0];
    centreOut[1] = centre[1];
    centreOut[2] = centre[2];
    *radiusOut = static_cast<float>(std::sqrt(double{maxSq}));
    return STATUS_OK;
}

}  // namespace kx::meshutil
