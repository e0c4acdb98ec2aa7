#pragma once

#include <cstdint>

#include "meshutil/Status.h"

namespace kx::meshutil {

class DataBuffer;
class TriMesh;

// Tolerances per vertex element (the collision exporter zero-fills them all).
struct WeldEpsilons {
    float position = 0;
    float blendWeights = 0;
    float normal = 0;
    float pSize = 0;
    float specular = 0;
    float diffuse = 0;
    float texcoord[8] = {};
    float tangent = 0;
    float binormal = 0;
    float tessFactor = 0;
};

inline constexpr std::uint32_t WELD_ALL = 0x1;
inline constexpr std::uint32_t WELD_PARTIAL_MATCHES = 0x2;
inline constexpr std::uint32_t WELD_DONT_REMOVE_VERTICES = 0x4;
inline constexpr std::uint32_t WELD_DONT_SPLIT = 0x8;

// Merges vertices that share a point representative (from the adjacency) and
// whose elements all match within tolerance, then compacts the mesh. Without
// epsilons every tolerance is 1.0e-6; without adjacency an exact-position one is
// computed. adjacencyOut may be adjacencyIn.
Status WeldVertices(TriMesh* mesh, std::uint32_t flags, const WeldEpsilons* epsilons,
                    const std::uint32_t* adjacencyIn, std::uint32_t* adjacencyOut,
                    std::uint32_t* faceRemapOut, DataBuffer** vertexRemapOut);

}  // namespace kx::meshutil
