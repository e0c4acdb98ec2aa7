#pragma once
// What the importer keeps of one level of detail: the mesh records,
// triangles and vertices of every mesh data block read, appended block after
// block, the blocks' ids and where each starts, and one material entry per
// material id the meshes use.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Result.h"
#include "meshdata/VMeshData.h"

namespace kx {

class NodeIndex;

struct CMPMesh {
    uint32_t materialId = 0;
    uint16_t startVertex = 0;  // relative to the referencing part's start vertex
    uint16_t endVertex = 0;
    uint16_t indexCount = 0;
    int material = -1;  // index into the material list, -1 for none
    int hostMesh = -1;  // the host mesh made from it
};

using CMPTriangle = VMeshTriangle;
// Elements a block's vertex format lacks are zeros.
using CMPVertex = VMeshVertex;

struct CMPMaterial {
    uint32_t id = 0;
    std::string name;       // empty until a material library names it (its full node name)
    int hostMaterial = -1;  // the host material made for it, -1 for none
    bool matched = false;   // a library defined it; the first one wins
    std::string texture;    // the stored diffuse texture name, as the library gives it
};

// A mesh data block read for the level: its library id (the name id of the
// folder holding it) and where its records start in the combined arrays. A
// level folder without a block keeps its entry, as an empty block.
struct LoadedBlock {
    uint32_t id = 0;
    size_t baseMesh = 0;
    size_t baseTriangle = 0;
    size_t baseVertex = 0;
};

struct MeshArrays {
    std::vector<CMPMaterial> materials;
    std::vector<CMPMesh> meshes;
    std::vector<CMPTriangle> triangles;
    std::vector<CMPVertex> vertices;
    std::vector<LoadedBlock> blocks;

    void Clear();
    // The entry for a material id, appended (with no name) when new.
    int MaterialFor(uint32_t id);

  private:
    std::unordered_map<uint32_t, int> materialById_;
};

// Reads every mesh data block of level `level` (".lod" + level in the names
// of the mesh library's folders; -1 when the file lists no level) into the
// emptied arrays, then those of the separate `meshLibrary` file, if given.
// A file without any mesh reference is read too. Fault::Refused when
// the first mesh reference names no library; Fault::Damaged when a block
// or reference cannot be read. Each block is read at most once, so the
// index's bound on leaves sharing bytes bounds what is decoded.
Status ReadLevelMeshData(const NodeIndex& index, int level, MeshArrays& arrays,
                         const NodeIndex* meshLibrary = nullptr);

}  // namespace kx
