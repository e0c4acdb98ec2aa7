#pragma once

#include <cstdint>
#include <vector>

#include "meshutil/ReducibleMesh.h"
#include "meshutil/Status.h"

namespace kx::meshutil {

class TriMesh;

inline constexpr std::uint32_t REDUCE_TO_VERTICES = 1;
inline constexpr std::uint32_t REDUCE_TO_FACES = 2;

// Weights of the collapse cost terms. Only position and boundary act on the
// position-only meshes of this system; the others are accepted and unused.
struct AttributeWeights {
    float position = 1.0f;
    float boundary = 1.0f;
    float normal = 1.0f;
    float diffuse = 0.0f;
    float specular = 0.0f;
    float texcoord[8] = {};
    float tangent = 0.0f;
    float binormal = 0.0f;
};

// Removes vertices by edge collapses, cheapest first, until the face count
// (REDUCE_TO_FACES) or vertex count (REDUCE_TO_VERTICES) is at most minValue or
// no acceptable collapse is left, and hands out the result as a new mesh with the
// input's options and format; faces and vertices keep their relative order. The
// input is never changed. adjacencyOut, when given, receives the result's adjacency.
Status ReduceMesh(const TriMesh* mesh, const std::uint32_t* adjacency,
                  const AttributeWeights* attributeWeights, const float* vertexWeights,
                  std::uint32_t minValue, std::uint32_t options, TriMesh** meshOut,
                  std::vector<std::uint32_t>* adjacencyOut = nullptr);

}  // namespace kx::meshutil
