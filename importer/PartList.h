#pragma once
// The model's parts: one per compound entry whose mesh reference names a
// block of the level read (a single model is one part), placed by the
// constraint records relative to their parents.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "base/Vec.h"

namespace kx {

class NodeIndex;
struct MeshArrays;

inline constexpr size_t kMaxPartName = 63;

struct CMPPart {
    // The part's mesh reference with its starts raised into the combined
    // arrays of all blocks read (start index counted in indices).
    uint64_t startVertex = 0;
    uint64_t startIndex = 0;
    uint64_t startMesh = 0;
    uint32_t meshCount = 0;
    uint32_t id = 0;  // name id of the object name; 0 for a single model
    Vec3 offset{};
    Mat3 rotation{};
    // Identity until a constraint places the part.
    Mat4 matrix = Identity4();
    int parent = -1;
    std::string name;
    int entryNode = 0;  // where its hardpoints are searched from
};

struct PartList {
    std::vector<CMPPart> parts;
    // The part made from the entry whose object name begins with "Root".
    size_t root = 0;
    // The mesh library ids that references name but neither the model nor
    // the mesh library file given holds, in the order first met.
    std::vector<uint32_t> foreignLibraries;
    // What the person is warned of: parts kept without their meshes, parts
    // left out because their meshes are in another file.
    std::vector<std::string> notes;
};

// "its meshes are in another mesh library file: " and the ids, in hex.
std::string ForeignLibraryReason(const std::vector<uint32_t>& ids);

// The part name made from a file name: cut before "_lod1"; without the last
// 16 characters (a 12-character stamp and ".3db") when ".3db" first occurs
// past position 12; "Root" when that leaves nothing; at most 63 characters.
std::string PartName(std::string_view fileName);

// Walks the compound's entries for level `level` (see ReadLevelMeshData)
// and checks that every part's meshes, triangles and vertices lie inside
// the combined arrays, and that all parts together stay within what the
// blocks can justify; any of these failing makes the file damaged. A part
// whose subtree holds no mesh reference is kept without meshes, for its
// hardpoints. `meshLibrary` is the separate mesh library file read with
// the model, if any.
Result<PartList> BuildParts(const NodeIndex& index, int level, const MeshArrays& arrays,
                            const NodeIndex* meshLibrary = nullptr);

// Places the parts by the "Fix", "Rev", "Pris" and "Sphere" records under
// Cmpnd/Cons. Parent links that loop make the file damaged.
Status ApplyConstraints(const NodeIndex& index, PartList& list);

// Identity for the root part ("Root" or a single model's id 0); otherwise
// the part's own matrix, then its parent's, and so on up the chain, so a
// point ends in the root's frame.
Mat4 PartTransform(const PartList& list, size_t part);

}  // namespace kx
