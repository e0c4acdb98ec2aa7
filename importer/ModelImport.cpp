#include "importer/ModelImport.h"

#include "importer/MeshArrays.h"

namespace kx {

namespace {

Status HostFull() {
    return Status::Failure(Fault::Refused, "the modeller took no more meshes");
}

// A new host mesh named after the part, with the record's host material.
msMesh* AddPartMesh(msModel* model, const CMPPart& part, const CMPMesh& record,
                    const MeshArrays& arrays, int& index) {
    index = msModel_AddMesh(model);
    msMesh* mesh = msModel_GetMeshAt(model, index);
    if (index < 0 || !mesh) {
        return nullptr;
    }
    if (record.material >= 0) {
        const int host = arrays.materials[static_cast<size_t>(record.material)].hostMaterial;
        if (host >= 0) {
            msMesh_SetMaterialIndex(mesh, host);
        }
    }
    msMesh_SetName(mesh, part.name.c_str());
    return mesh;
}

// One corner as a vertex of its own, with a normal of its own at the same
// index; the position goes through the part's transform, the normal and
// texture coordinates stay as stored.
word AddCorner(msMesh* mesh, const Mat4& transform, const CMPVertex& stored) {
    const int index = msMesh_AddVertex(mesh);
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    Vec3 position = TransformPoint(transform, stored.position);
    msVertex_SetFlags(vertex, 0);
    msVertex_SetVertex(vertex, position.data());
    Vec3 normal = stored.normal;
    msMesh_SetVertexNormalAt(mesh, msMesh_AddVertexNormal(mesh), normal.data());
    Vec2 uv = stored.uv;
    msVertex_SetTexCoords(vertex, uv.data());
    msVertex_SetBoneIndex(vertex, -1);
    return static_cast<word>(index);
}

// The part's ranges were checked against the arrays when it was built.
Status ImportPart(msModel* model, const PartList& list, size_t p, MeshArrays& arrays,
                  ImportTotals& totals) {
    const CMPPart& part = list.parts[p];
    const Mat4 transform = PartTransform(list, p);
    uint64_t t = part.startIndex / 3;
    for (uint64_t m = part.startMesh; m < part.startMesh + part.meshCount; ++m) {
        CMPMesh& record = arrays.meshes[m];
        const uint64_t base = part.startVertex + record.startVertex;
        const uint64_t end = t + record.indexCount / 3u;
        int index = -1;
        msMesh* mesh = AddPartMesh(model, part, record, arrays, index);
        if (!mesh) {
            return HostFull();
        }
        record.hostMesh = index;
        ++totals.meshes;
        size_t inMesh = 0;
        for (; t < end; ++t) {
            if (inMesh == kHostMeshTriangles) {
                mesh = AddPartMesh(model, part, record, arrays, index);
                if (!mesh) {
                    return HostFull();
                }
                ++totals.meshes;
                inMesh = 0;
            }
            msTriangle* triangle = msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh));
            const CMPTriangle& stored = arrays.triangles[t];
            word corners[3];
            for (size_t k = 0; k < 3; ++k) {
                corners[k] = AddCorner(mesh, transform, arrays.vertices[base + stored[k]]);
            }
            msTriangle_SetFlags(triangle, 0);
            msTriangle_SetVertexIndices(triangle, corners);
            msTriangle_SetNormalIndices(triangle, corners);
            msTriangle_SetSmoothingGroup(triangle, 1);
            ++inMesh;
            ++totals.triangles;
        }
    }
    return Status::Success();
}

Status Markers(msModel* model, const ImportPlan& plan, size_t p, ImportTotals& totals) {
    const std::vector<size_t>& ofPart = plan.hardpointsOfPart[p];
    if (!MakeMarkers(model, plan.parts, p, plan.hardpoints, ofPart)) {
        return HostFull();
    }
    totals.markers += ofPart.size();
    return Status::Success();
}

}  // namespace

Status ImportModel(msModel* model, const ImportPlan& plan, MeshArrays& arrays,
                   bool markersAfterModel, ImportTotals& totals) {
    const size_t count = plan.parts.parts.size();
    auto importOne = [&](size_t p) -> Status {
        if (Status s = ImportPart(model, plan.parts, p, arrays, totals); !s) {
            return s;
        }
        return markersAfterModel ? Status::Success() : Markers(model, plan, p, totals);
    };
    const size_t root = plan.parts.root;
    if (root < count) {
        if (Status s = importOne(root); !s) {
            return s;
        }
    }
    for (size_t p = count; p-- > 0;) {
        if (p == root) {
            continue;
        }
        if (Status s = importOne(p); !s) {
            return s;
        }
    }
    if (markersAfterModel) {
        for (size_t p = count; p-- > 0;) {
            if (Status s = Markers(model, plan, p, totals); !s) {
                return s;
            }
        }
    }
    return Status::Success();
}

}  // namespace kx
