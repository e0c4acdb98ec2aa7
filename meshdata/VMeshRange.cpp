#include "meshdata/VMeshRange.h"

namespace kx {

Result<std::vector<VMeshRangeMesh>> SelectVMeshRange(const VMeshBlock& block, const VMeshRef& ref) {
    std::vector<VMeshRangeMesh> meshes;
    const size_t endMesh = size_t{ref.startMesh} + ref.meshCount;
    if (endMesh > block.meshes.size()) {
        return Status::Failure(Fault::Damaged, "The mesh reference selects meshes " +
                                                   std::to_string(ref.startMesh) + " to " +
                                                   std::to_string(endMesh - 1) + " of a block of " +
                                                   std::to_string(block.meshes.size()));
    }
    size_t triangle = ref.startIndex / 3u;
    for (size_t m = ref.startMesh; m < endMesh; ++m) {
        const VMeshRecord& record = block.meshes[m];
        VMeshRangeMesh mesh;
        mesh.materialId = record.materialId;
        const size_t end = triangle + record.indexCount / 3u;
        if (end > block.triangles.size()) {
            return Status::Failure(Fault::Damaged, "The mesh reference selects triangles up to " +
                                                       std::to_string(end - 1) + " of a block of " +
                                                       std::to_string(block.triangles.size()));
        }
        const uint32_t base = uint32_t{ref.startVertex} + record.startVertex;
        for (; triangle < end; ++triangle) {
            std::array<uint32_t, 3> corners;
            for (size_t k = 0; k < 3; ++k) {
                corners[k] = base + block.triangles[triangle][k];
                if (corners[k] >= block.vertices.size()) {
                    return Status::Failure(Fault::Damaged,
                                           "The mesh reference selects vertex " +
                                               std::to_string(corners[k]) + " of a block of " +
                                               std::to_string(block.vertices.size()));
                }
            }
            mesh.triangles.push_back(corners);
        }
        meshes.push_back(std::move(mesh));
    }
    return meshes;
}

}  // namespace kx
