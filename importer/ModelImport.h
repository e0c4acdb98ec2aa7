#pragma once
// The loaded model made into host meshes: each part's mesh records become
// meshes named after the part, every triangle corner its own vertex placed
// by the part's transform, with the stored normal and texture coordinates;
// then the hardpoint markers.

#include <string>
#include <vector>

#include "base/Result.h"
#include "host/ModelLib.h"
#include "importer/Hardpoints.h"
#include "importer/PartList.h"

namespace kx {

struct MeshArrays;

// A host mesh holds at most 65534 vertices, and no vertex is shared, so a
// mesh record with more triangles continues in a further mesh of the same
// name and material.
inline constexpr size_t kHostMeshTriangles = 65534 / 3;

struct ImportPlan {
    PartList parts;
    std::vector<HARDPOINT> hardpoints;
    // For each part, the hardpoints that carry its id, in list order.
    std::vector<std::vector<size_t>> hardpointsOfPart;
};

struct ImportTotals {
    size_t meshes = 0;
    size_t triangles = 0;
    size_t markers = 0;
};

// The root part first, then the others from the last to the first; each
// part's markers right after its meshes, or, with `markersAfterModel`, all
// markers after all meshes, part by part from the last to the first. Each
// mesh record learns the host mesh made from it. Fails only when the host
// takes no more meshes; what was made until then stays.
Status ImportModel(msModel* model, const ImportPlan& plan, MeshArrays& arrays,
                   bool markersAfterModel, ImportTotals& totals);

}  // namespace kx
