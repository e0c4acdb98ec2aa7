#include "importer/MeshArrays.h"

#include <unordered_set>

#include "container/NameHash.h"
#include "importer/NodeIndex.h"
#include "meshdata/VMeshRef.h"

namespace kx {

void MeshArrays::Clear() {
    materials.clear();
    meshes.clear();
    triangles.clear();
    vertices.clear();
    blocks.clear();
    materialById_.clear();
}

int MeshArrays::MaterialFor(uint32_t id) {
    auto [it, added] = materialById_.try_emplace(id, static_cast<int>(materials.size()));
    if (added) {
        CMPMaterial entry;
        entry.id = id;
        materials.push_back(entry);
    }
    return it->second;
}

namespace {

Status Damaged(std::string reason) {
    return Status::Failure(Fault::Damaged, std::move(reason));
}

Status AppendBlock(std::span<const uint8_t> bytes, const std::string& where, MeshArrays& arrays) {
    // Whatever the decoder refuses (an unknown vertex format bit included)
    // leaves the file's geometry unreadable: the file is damaged.
    Result<VMeshBlock> decoded = DecodeVMeshData(bytes);
    if (!decoded) {
        return Damaged(where + ": " + decoded.Reason());
    }
    VMeshBlock& block = decoded.Value();
    LoadedBlock& entry = arrays.blocks.back();
    entry.baseMesh = arrays.meshes.size();
    entry.baseTriangle = arrays.triangles.size();
    entry.baseVertex = arrays.vertices.size();
    arrays.meshes.reserve(arrays.meshes.size() + block.meshes.size());
    for (const VMeshRecord& record : block.meshes) {
        CMPMesh mesh;
        mesh.materialId = record.materialId;
        mesh.startVertex = record.startVertex;
        mesh.endVertex = record.endVertex;
        mesh.indexCount = record.indexCount;
        if (record.materialId != 0) {
            mesh.material = arrays.MaterialFor(record.materialId);
        }
        arrays.meshes.push_back(mesh);
    }
    arrays.triangles.insert(arrays.triangles.end(), block.triangles.begin(), block.triangles.end());
    arrays.vertices.insert(arrays.vertices.end(), block.vertices.begin(), block.vertices.end());
    return Status::Success();
}

// Every block of the level in one library, appended in the order of its
// folders.
Status ReadLibraryLevel(const NodeIndex& index, const std::string& levelName, MeshArrays& arrays) {
    int start = index.FindPath("VMeshLibrary", 1);
    std::unordered_set<int> read;
    while (start >= 0) {
        const int folder = index.FindPath(levelName, start);
        if (folder < 0) {
            break;
        }
        arrays.blocks.push_back({NameHash(index[folder].name), arrays.meshes.size(),
                                 arrays.triangles.size(), arrays.vertices.size()});
        // Only inside the level's own folder: a block beside it belongs to
        // another library, whose id this one must not take.
        const int child = index.FirstChild(folder);
        const int data = child < 0 ? -1 : index.FindPath("VMeshData", child);
        if (data < 0) {
            break;
        }
        const IndexNode& node = index[data];
        if (!node.leaf) {
            return Damaged("the VMeshData of " + std::string(index[folder].name) + " is a folder");
        }
        if (!read.insert(data).second) {
            return Damaged("the mesh library reaches one VMeshData twice");
        }
        if (Status s = AppendBlock(node.data, std::string(index[folder].name), arrays); !s) {
            return s;
        }
        // The next block of the level can only follow the folder that held
        // this one; when that folder is the last, the level is complete.
        start = index.Next(static_cast<int>(node.parent));
    }
    return Status::Success();
}

}  // namespace

Status ReadLevelMeshData(const NodeIndex& index, int level, MeshArrays& arrays,
                         const NodeIndex* meshLibrary) {
    arrays.Clear();
    // A model without any mesh reference (a shield or hardpoint holder)
    // is read all the same: its parts carry only hardpoints.
    if (const int ref = index.FindPath("VMeshRef", 1); ref >= 0) {
        if (!index[ref].leaf) {
            return Damaged("its first VMeshRef is a folder");
        }
        Result<VMeshRef> decoded = DecodeVMeshRef(index[ref].data);
        if (!decoded) {
            return Damaged("its first VMeshRef: " + decoded.Reason());
        }
        if (decoded->libraryId == 0) {
            return Status::Failure(Fault::Refused,
                                   "its first mesh reference names no mesh library");
        }
    }

    const std::string levelName = ".lod" + std::to_string(level);
    if (Status s = ReadLibraryLevel(index, levelName, arrays); !s) {
        return s;
    }
    // A separate mesh library's blocks follow, as if they stood in the
    // model's own library after its folders.
    return meshLibrary ? ReadLibraryLevel(*meshLibrary, levelName, arrays) : Status::Success();
}

}  // namespace kx
