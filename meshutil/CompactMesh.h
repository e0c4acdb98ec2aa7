#pragma once

#include <cstdint>

#include "meshutil/Status.h"

namespace kx::meshutil {

class DataBuffer;
class TriMesh;

// Drops unused faces and the vertices no remaining face uses, in place. Faces
// keep their relative order within ascending attribute groups, vertices theirs
// within the group of the first face using them (vertices are never split).
// adjacencyOut may be adjacencyIn; it needs adjacencyIn. faceRemapOut gets, for
// each new face, its old index (entries past the new count: 0xFFFFFFFF);
// vertexRemapOut gets a buffer with the old index of each new vertex.
// STATUS_NO_DATA (mesh unchanged) when no face remains.
Status CompactMesh(TriMesh* mesh, const std::uint32_t* adjacencyIn, std::uint32_t* adjacencyOut,
                   std::uint32_t* faceRemapOut, DataBuffer** vertexRemapOut);

}  // namespace kx::meshutil
