#include "exporter/ExportMeshes.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "base/Text.h"
#include "base/Vec.h"

namespace kx {

namespace {

// Room for a 199-character name and its terminating zero.
constexpr int kNameBuffer = 200;

bool AllFinite(const ExportMesh& mesh) {
    return std::all_of(mesh.vertices.begin(), mesh.vertices.end(), [](const ExportVertex& v) {
        return IsFinite(v.position) && IsFinite(v.normal) && std::isfinite(v.u) &&
               std::isfinite(v.v);
    });
}

}  // namespace

ExportMesh ReadExportMesh(msModel* model, int index, float divisor, float factor) {
    ExportMesh m;
    msMesh* mesh = msModel_GetMeshAt(model, index);
    char name[kNameBuffer] = {};
    if (msMaterial* material = msModel_GetMaterialAt(model, msMesh_GetMaterialIndex(mesh))) {
        msMaterial_GetName(material, name, kNameBuffer);
        m.materialName = name;
    }
    name[0] = 0;
    msMesh_GetName(mesh, name, kNameBuffer);
    SetMeshName(m, name);

    std::vector<HostVertex> vertices(static_cast<size_t>(std::max(0, msMesh_GetVertexCount(mesh))));
    for (size_t i = 0; i < vertices.size(); ++i) {
        msVertex* v = msMesh_GetVertexAt(mesh, static_cast<int>(i));
        float uv[2] = {0, 0};
        msVertex_GetVertex(v, vertices[i].position.data());
        msVertex_GetTexCoords(v, uv);
        vertices[i].u = uv[0];
        vertices[i].v = uv[1];
    }
    std::vector<std::array<uint16_t, 3>> triangles(
        static_cast<size_t>(std::max(0, msMesh_GetTriangleCount(mesh))));
    for (size_t i = 0; i < triangles.size(); ++i) {
        msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, static_cast<int>(i)),
                                    triangles[i].data());
    }
    SetMeshGeometry(m, vertices, triangles, divisor, factor);
    return m;
}

std::vector<ExportMesh> ReadExportMeshes(msModel* model, const ExportSettings& settings) {
    std::vector<ExportMesh> meshes;
    const int count = msModel_GetMeshCount(model);
    meshes.reserve(static_cast<size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i) {
        meshes.push_back(
            ReadExportMesh(model, i, ScaleDivisor(settings), OrientationFactor(settings)));
    }
    return meshes;
}

ExportMesh CockpitCameraMesh(std::string_view cameraName, const ExportSettings& settings) {
    ExportMesh camera;
    camera.name = "Hfov|";
    camera.name += cameraName;
    camera.materialName = "HpMat";
    camera.synthetic = true;
    camera.box = Box{settings.fovX,  -settings.fovX,  settings.fovY,
                     -settings.fovY, -settings.zNear, -settings.zFar};
    return camera;
}

MeshPartition PartitionMeshes(std::vector<ExportMesh>& meshes, const ExportSettings& settings,
                              std::optional<ExportMesh> camera) {
    if (settings.modelType == static_cast<uint16_t>(ModelType::Cockpit)) {
        return PartitionCockpit(
            meshes, camera ? std::move(*camera) : CockpitCameraMesh("CockpitCamera", settings));
    }
    if (settings.groupCount <= 1) {
        return PartitionSinglePart(meshes);
    }
    const auto groups = static_cast<size_t>(std::min(settings.groupCount, kMaxGroups));
    return PartitionGroups(meshes, std::span(settings.quantities).first(groups));
}

Status CheckExportable(std::span<const ExportMesh> meshes, const MeshPartition& partition) {
    // Normals are checked too: finite but huge positions overflow them.
    for (const ExportMesh& mesh : meshes) {
        if (!mesh.synthetic && !AllFinite(mesh)) {
            return Status::Failure(Fault::Refused, "Mesh " + mesh.name +
                                                       " has a position, normal or texture "
                                                       "coordinate that is not a finite number.");
        }
    }
    // The game finds parts by name without regard to case: two such parts
    // would share one entry and one node, and one part's geometry be lost.
    const std::vector<ExportPart>& parts = partition.parts;
    for (size_t i = 0; i < parts.size(); ++i) {
        for (size_t j = i + 1; j < parts.size(); ++j) {
            if (SameIgnoringCase(parts[i].partName, parts[j].partName) ||
                SameIgnoringCase(parts[i].fileName, parts[j].fileName)) {
                return Status::Failure(Fault::Refused,
                                       "Two parts would have the same name: " + parts[i].partName +
                                           " and " + parts[j].partName +
                                           ". Rename one of the meshes.");
            }
        }
    }
    return Status::Success();
}

std::optional<std::string> LeftOutMeshesMessage(std::span<const ExportMesh> meshes) {
    std::string names;
    for (const ExportMesh& mesh : meshes) {
        if (mesh.Ordinary() && !mesh.Drawn()) {
            names += (names.empty() ? "" : ", ") + mesh.name;
        }
    }
    if (names.empty()) {
        return std::nullopt;
    }
    return "These meshes have no triangles and were left out: " + names;
}

}  // namespace kx
