#pragma once
// What a mesh and its adjacency must satisfy before it can be reduced.

#include <cstdint>
#include <vector>

#include "base/Vec.h"
#include "meshutil/Status.h"

namespace kx::meshutil {

class TriMesh;

// Checks that a mesh and its adjacency can be reduced: indices in range, every
// neighbour entry in range and listing the face back, no face using a vertex
// twice or listing one neighbour on two edges, no vertex shared by two separate
// fans of faces. STATUS_INVALID_MESH when one fails, STATUS_INVALID_CALL for a
// mesh without positions or with write-only storage.
Status ValidateReducibleMesh(const TriMesh& mesh, const std::uint32_t* adjacency);

// The call-level part of that check: positions present, storage readable.
bool ReducibleCall(const TriMesh& mesh);

// The mesh-level part, on copies the reduction has already made: faces holds
// the mesh's indices as 32-bit values and positions its vertex positions.
Status ValidateReducibleFaces(const TriMesh& mesh, const std::vector<std::uint32_t>& faces,
                              const std::vector<Vec3>& positions, const std::uint32_t* adjacency);

}  // namespace kx::meshutil
