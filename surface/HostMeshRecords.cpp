#include "surface/HostMeshRecords.h"

#include <algorithm>

#include "base/Text.h"

namespace kx {

SurfaceMessage NotFiniteMessage(const std::string& mesh) {
    return {FormatMessage(
        "Mesh %s has a position, normal or texture coordinate that is not a finite number.",
        mesh.c_str())};
}

void SetRecordName(HostMeshRecord& record, std::string name) {
    record.name = std::move(name);
    record.isHardpoint = StartsWithIgnoringCase(record.name, "hp");
    record.isIgnored = !record.isHardpoint && StartsWithIgnoringCase(record.name, "ix");
}

Result<HostModel> ReadHostModel(msModel* model, const SurfaceOptions& options) {
    HostModel out;
    // Scaling multiplies by the divisor's float reciprocal, as the stored
    // files were made; orientation negates y and z for "Upside Down".
    const float inverse = 1.0f / SurfaceScaleDivisor(options);
    const float s = options.orientation == 1 ? 1.0f : -1.0f;
    const int meshCount = std::max(0, msModel_GetMeshCount(model));
    out.records.reserve(static_cast<size_t>(meshCount));
    for (int m = 0; m < meshCount; ++m) {
        msMesh* mesh = msModel_GetMeshAt(model, m);
        HostMeshRecord record;
        char name[MS_MAX_NAME] = {};
        msMesh_GetName(mesh, name, MS_MAX_NAME);
        name[MS_MAX_NAME - 1] = 0;
        SetRecordName(record, name);

        const int vertexCount = std::max(0, msMesh_GetVertexCount(mesh));
        record.vertices.reserve(static_cast<size_t>(vertexCount));
        for (int v = 0; v < vertexCount; ++v) {
            msVec3 p = {0, 0, 0};
            msVertex_GetVertex(msMesh_GetVertexAt(mesh, v), p);
            const Vec3 stored{p[0] * inverse, (s * p[1]) * inverse, (s * p[2]) * inverse};
            if (!record.isIgnored && !IsFinite(stored)) {
                return Status::Failure(Fault::Refused, NotFiniteMessage(record.name).text);
            }
            record.vertices.push_back(stored);
            record.box.Extend(stored);
            if (record.Included()) {
                out.box.Extend(stored);
            }
        }

        const int faceCount = std::max(0, msMesh_GetTriangleCount(mesh));
        record.faces.reserve(static_cast<size_t>(faceCount));
        for (int f = 0; f < faceCount; ++f) {
            word indices[3] = {0, 0, 0};
            msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, f), indices);
            // A triangle pointing past its mesh would silently take a vertex of
            // the next mesh once the group's meshes are joined.
            if (record.Included() &&
                std::any_of(indices, indices + 3, [&](word i) { return i >= vertexCount; })) {
                return Status::Failure(
                    Fault::Refused,
                    FormatMessage(
                        "Mesh %s has a triangle whose vertex index lies outside the mesh.",
                        record.name.c_str()));
            }
            record.faces.push_back({indices[0], indices[1], indices[2]});
        }
        out.records.push_back(std::move(record));
    }
    return out;
}

}  // namespace kx
