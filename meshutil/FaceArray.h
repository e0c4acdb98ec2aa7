#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "meshutil/Status.h"

namespace kx::meshutil {

class TriMesh;

// Face marker in the 32-bit working copy of a mesh's index triples.
inline constexpr std::uint32_t UNUSED_FACE = 0xFFFFFFFFu;

// Copies the index triples of a mesh into 32-bit form, an unused face getting
// UNUSED_FACE in its first slot. Refuses (STATUS_INVALID_CALL) any index of a
// used face that is not below the vertex count, so nothing reads out of range.
Status ReadFaces(const TriMesh& mesh, std::vector<std::uint32_t>& faces);

// Copies the vertex positions into a packed array.
std::vector<std::array<float, 3>> ReadPositions(const TriMesh& mesh);

// Checks that every neighbour entry of the used faces is NO_NEIGHBOUR or a face index.
bool AdjacencyInRange(const std::uint32_t* adjacency, const std::vector<std::uint32_t>& faces);

}  // namespace kx::meshutil
