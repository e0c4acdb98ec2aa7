#pragma once
// The part of a mesh data block that one mesh reference selects, with every
// index checked against the block: counts in files are not trusted.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Result.h"
#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"

namespace kx {

struct VMeshRangeMesh {
    uint32_t materialId = 0;
    // Corners as indices into the block's vertex array.
    std::vector<std::array<uint32_t, 3>> triangles;
};

// Mesh records startMesh .. startMesh + meshCount - 1; their triangles from
// startIndex / 3 on, each mesh taking its own index count / 3; corner k of a
// triangle of mesh m is vertex startVertex + (start vertex of m) + k.
// Fault::Damaged, naming what lies outside the block, when any does.
Result<std::vector<VMeshRangeMesh>> SelectVMeshRange(const VMeshBlock& block, const VMeshRef& ref);

}  // namespace kx
