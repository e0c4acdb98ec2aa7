#include "render/ModelFileScene.h"

#include <filesystem>
#include <memory>

#include "exporter/ExportMeshes.h"
#include "exporter/Hardpoints.h"
#include "host/headless/HeadlessModel.h"
#include "ms3d/Ms3dIo.h"

namespace kx {

namespace {

struct ModelDeleter {
    void operator()(msModel* m) const { kxModel_Free(m); }
};

}  // namespace

Result<RenderScene> LoadModelFileScene(const std::string& path) {
    std::unique_ptr<msModel, ModelDeleter> model(kxModel_Create());
    if (auto read = ReadMs3dModel(path, model.get()); !read) {
        return read.GetStatus();
    }
    const std::vector<ExportMesh> meshes = ReadExportMeshes(model.get(), ExportSettings{});

    RenderScene scene;
    scene.fileName = std::filesystem::path(path).filename().string();
    scene.groupWord = "group";
    for (const ExportMesh& mesh : meshes) {
        if (!mesh.Ordinary()) {
            const Marker marker = ClassifyMarker(mesh.name);
            if (marker.kind == MarkerKind::Fixed || marker.kind == MarkerKind::Revolute) {
                SceneHardpoint hp;
                hp.name = marker.name;
                hp.position = MarkerPosition(mesh);
                const Rotation rows = HardpointOrientation(marker.name, hp.position, meshes);
                for (int r = 0; r < 3; ++r) {
                    hp.frame[r] = {rows[3 * r], rows[3 * r + 1], rows[3 * r + 2]};
                }
                scene.hardpoints.push_back(std::move(hp));
            }
            continue;
        }
        // A model file holds at most 255 groups, so a group number fits.
        const auto group = static_cast<uint16_t>(scene.groups.size());
        scene.groups.push_back(mesh.name);
        for (const auto& t : mesh.triangles) {
            if (t[0] >= mesh.vertices.size() || t[1] >= mesh.vertices.size() ||
                t[2] >= mesh.vertices.size()) {
                continue;
            }
            scene.AddTriangle(group, mesh.vertices[t[0]].position, mesh.vertices[t[1]].position,
                              mesh.vertices[t[2]].position);
        }
    }
    return scene;
}

}  // namespace kx
