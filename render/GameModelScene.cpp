#include "render/GameModelScene.h"

#include <filesystem>
#include <memory>
#include <unordered_map>

#include "host/FileIo.h"
#include "importer/CMPModel.h"
#include "importer/PartList.h"

namespace kx {

namespace {

Status Fail(const std::string& path, const Status& why) {
    return Status::Failure(why.GetFault(), path + ": " + why.Reason());
}

bool ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec) && ReadWholeFile(path, bytes);
}

std::string LevelsText(size_t count) {
    return count == 1 ? "level 0 only" : "levels 0 to " + std::to_string(count - 1);
}

}  // namespace

Result<GameModelScene> LoadGameModelScene(const std::string& path, std::optional<int> level,
                                          const std::string& meshLibrary) {
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, bytes)) {
        return Status::Failure(Fault::Unreadable, path + ": cannot read the file");
    }
    CMPModel model;
    if (Status s = model.Open(std::move(bytes)); !s) {
        return Fail(path, s);
    }
    if (!meshLibrary.empty()) {
        if (!ReadRegularFile(meshLibrary, bytes)) {
            return Status::Failure(Fault::Unreadable, meshLibrary + ": cannot read the file");
        }
        if (Status s = model.AttachMeshLibrary(std::move(bytes)); !s) {
            return Fail(meshLibrary, s);
        }
    }
    const std::vector<std::string>& levels = model.Levels();
    if (levels.empty() && level && *level != 0) {
        return Status::Failure(Fault::Refused, path + ": has no levels of detail to choose from");
    }
    if (!levels.empty() && level && static_cast<size_t>(*level) >= levels.size()) {
        return Status::Failure(Fault::Refused, path + ": has " + LevelsText(levels.size()));
    }
    const int chosen = levels.empty() ? -1 : level.value_or(0);
    if (Status s = model.LoadLevel(chosen); !s) {
        return Fail(path, s);
    }
    ImportOptions options;
    options.filter.clear();  // every hardpoint, as the game has them all
    Result<ImportPlan> plan = model.Plan(options);
    if (!plan) {
        return Fail(path, plan.GetStatus());
    }
    const PartList& list = plan->parts;
    const MeshArrays& arrays = model.Arrays();

    GameModelScene out;
    RenderScene& scene = out.scene;
    scene.fileName = std::filesystem::path(path).filename().string();
    if (chosen >= 0) {
        scene.level = "level " + std::to_string(chosen) + " (" + levels[chosen] + ")";
    }
    std::vector<Mat4> transforms;
    transforms.reserve(list.parts.size());
    for (size_t p = 0; p < list.parts.size(); ++p) {
        const CMPPart& part = list.parts[p];
        const Mat4 transform = PartTransform(list, p);
        transforms.push_back(transform);
        // Colours repeat long before the numbers would wrap.
        const auto group = static_cast<uint16_t>(scene.groups.size() % 0x10000);
        scene.groups.push_back(part.name);
        // The plan checked each part's ranges against the arrays; a range
        // that still does not fit is skipped rather than read past.
        uint64_t t = part.startIndex / 3;
        for (uint64_t m = part.startMesh; m < part.startMesh + part.meshCount; ++m) {
            if (m >= arrays.meshes.size()) {
                break;
            }
            const CMPMesh& record = arrays.meshes[m];
            const uint64_t base = part.startVertex + record.startVertex;
            const uint64_t end = t + record.indexCount / 3u;
            for (; t < end && t < arrays.triangles.size(); ++t) {
                const CMPTriangle& stored = arrays.triangles[t];
                Vec3 corners[3];
                bool inside = true;
                for (size_t k = 0; k < 3; ++k) {
                    const uint64_t v = base + stored[k];
                    inside = inside && v < arrays.vertices.size();
                    if (inside) {
                        corners[k] = TransformPoint(transform, arrays.vertices[v].position);
                    }
                }
                if (inside) {
                    scene.AddTriangle(group, corners[0], corners[1], corners[2]);
                }
            }
        }
        for (size_t h : plan->hardpointsOfPart[p]) {
            const HARDPOINT& hp = plan->hardpoints[h];
            // As the importer places its marker: the part's transform after
            // the hardpoint's own.
            const Mat4 placed = Mul(transform, MakeTransform(hp.orientation, hp.position));
            SceneHardpoint shown;
            shown.name = hp.name;
            for (int r = 0; r < 3; ++r) {
                shown.frame[r] = {placed[r][0], placed[r][1], placed[r][2]};
                shown.position[r] = placed[r][3];
            }
            scene.hardpoints.push_back(std::move(shown));
        }
    }

    // The first part with an id wins, as constraints find their part.
    auto byId = std::make_shared<std::unordered_map<uint32_t, Mat4>>();
    for (size_t p = 0; p < list.parts.size(); ++p) {
        byId->emplace(list.parts[p].id, transforms[p]);
    }
    out.placement = [byId](uint32_t id) {
        auto it = byId->find(id);
        return it == byId->end() ? Identity4() : it->second;
    };
    return out;
}

}  // namespace kx
