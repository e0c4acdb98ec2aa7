#include "importer/Hardpoints.h"

#include "container/ByteReader.h"
#include "importer/NodeIndex.h"
#include "importer/PartList.h"

namespace kx {

namespace {

// A leaf below `folder` found by name, with at least `bytes` bytes, or null.
const IndexNode* ValueLeaf(const NodeIndex& index, int folder, std::string_view name,
                           size_t bytes) {
    const int node = index.FindPath(name, index.FirstChild(folder));
    if (node < 0 || !index[node].leaf || index[node].data.size() < bytes) {
        return nullptr;
    }
    return &index[node];
}

}  // namespace

Result<std::vector<HARDPOINT>> ReadHardpoints(const NodeIndex& index, const PartList& list,
                                              std::string_view filter) {
    std::vector<HARDPOINT> hardpoints;
    SearchBudget budget(index);
    for (const CMPPart& part : list.parts) {
        if (budget.Spent()) {
            return Status::Failure(Fault::Damaged,
                                   "its parts send the hardpoint search through the tree far "
                                   "more often than a file of its size can need");
        }
        const int folder = index.FindPath("Hardpoints", part.entryNode);
        // The group folders come first; the first leaf among them ends them.
        for (int group = index.FirstChild(folder); group >= 0 && !index[group].leaf;
             group = index.Next(group)) {
            for (int h = index.FirstChild(group); h >= 0; h = index.Next(h)) {
                if (index[h].name.find(filter) == std::string_view::npos) {
                    continue;
                }
                const IndexNode* orientation = ValueLeaf(index, h, "Orientation", 36);
                const IndexNode* position = ValueLeaf(index, h, "Position", 12);
                if (!orientation || !position) {
                    continue;
                }
                if (hardpoints.size() >= index.Size()) {
                    return Status::Failure(Fault::Damaged,
                                           "its parts hold more hardpoints than it has nodes");
                }
                HARDPOINT hp;
                hp.group = index[group].name;
                hp.name = index[h].name;
                hp.partId = part.id;
                ByteReader o(orientation->data);
                for (Vec3& row : hp.orientation) {
                    for (float& v : row) {
                        o.F32(v);
                    }
                }
                ByteReader p(position->data);
                for (float& v : hp.position) {
                    p.F32(v);
                }
                hardpoints.push_back(std::move(hp));
            }
        }
    }
    return hardpoints;
}

bool MakeMarkers(msModel* model, const PartList& list, size_t part,
                 const std::vector<HARDPOINT>& hardpoints, const std::vector<size_t>& ofPart) {
    const Mat4 transform = PartTransform(list, part);
    for (size_t i : ofPart) {
        const HARDPOINT& hp = hardpoints[i];
        const Mat4 placed = Mul(transform, MakeTransform(hp.orientation, hp.position));
        const int meshIndex = msModel_AddMesh(model);
        msMesh* mesh = msModel_GetMeshAt(model, meshIndex);
        if (meshIndex < 0 || !mesh) {
            return false;
        }
        const std::string name = "Hp|" + hp.group + "|" + hp.name;
        msMesh_SetName(mesh, name.c_str());
        word corners[4];
        std::array<Vec3, 4> points;
        for (size_t k = 0; k < 4; ++k) {
            points[k] = TransformPoint(placed, hp.points[k]);
            corners[k] = static_cast<word>(msMesh_AddVertex(mesh));
            msVertex* vertex = msMesh_GetVertexAt(mesh, corners[k]);
            msVertex_SetFlags(vertex, 0);
            msVertex_SetVertex(vertex, points[k].data());
        }
        // The triangles name a normal per corner, so the normals they name
        // must exist: each vertex gets the arrowhead's face normal (its
        // hardpoint's y axis).
        Vec3 normal = Normalised(Cross(Sub(points[1], points[0]), Sub(points[3], points[0])));
        for (size_t k = 0; k < 4; ++k) {
            msMesh_SetVertexNormalAt(mesh, msMesh_AddVertexNormal(mesh), normal.data());
        }
        // Tip, left wing, notch; then tip, notch, right wing.
        word triangles[2][3] = {{corners[0], corners[1], corners[3]},
                                {corners[0], corners[3], corners[2]}};
        for (auto& indices : triangles) {
            msTriangle* triangle = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
            msTriangle_SetFlags(triangle, 0);
            msTriangle_SetVertexIndices(triangle, indices);
            msTriangle_SetNormalIndices(triangle, indices);
        }
    }
    return true;
}

}  // namespace kx
