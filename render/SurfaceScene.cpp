#include "render/SurfaceScene.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "container/FileIo.h"
#include "surface/SurReader.h"

namespace kx {

namespace {

// The owner of the shield hull and of its vertices.
constexpr uint32_t kShieldId = 0xF00FB9DE;
// The wrap hull's owner field holds an offset instead of an id.
constexpr uint8_t kWrapHullType = 5;

HullKind KindOf(const SurPart& part, const SurHull& hull) {
    if (hull.type == kWrapHullType || hull.owner == kShieldId) {
        return HullKind::Wrap;
    }
    const auto& ids = part.hardpointIds;
    return std::find(ids.begin(), ids.end(), hull.owner) != ids.end() ? HullKind::Hardpoint
                                                                      : HullKind::Part;
}

Result<SurFile> ReadSurface(const std::string& path) {
    std::error_code ec;
    std::vector<uint8_t> bytes;
    if (!std::filesystem::is_regular_file(path, ec) || !ReadWholeFile(path, bytes)) {
        return Status::Failure(Fault::Unreadable, path + ": cannot read the file");
    }
    Result<SurFile> file = ReadSurFile(bytes);
    if (!file) {
        return Status::Failure(file.GetFault(), path + ": " + file.Reason());
    }
    return file;
}

void AddHulls(const SurFile& file, RenderScene& scene,
              const std::function<Mat4(uint32_t)>& placement) {
    for (const SurPart& part : file.parts) {
        const Mat4 transform = placement ? placement(part.id) : Identity4();
        // A wrap hull made from the shield repeats its triangles; drawn
        // twice, the outline would look twice as solid as the others.
        std::set<std::pair<HullKind, std::array<uint16_t, 3>>> drawn;
        for (const SurHull& hull : part.hulls) {
            const HullKind kind = KindOf(part, hull);
            // The reader checked every vertex index against the part.
            for (const SurTriangle& t : hull.triangles) {
                if (!drawn.insert({kind, t.vertices}).second) {
                    continue;
                }
                scene.AddHullTriangle(
                    kind, TransformPoint(transform, part.vertices[t.vertices[0]].position),
                    TransformPoint(transform, part.vertices[t.vertices[1]].position),
                    TransformPoint(transform, part.vertices[t.vertices[2]].position));
            }
            ++scene.hullCount;
        }
    }
}

}  // namespace

Status AddSurfaceHulls(const std::string& path, RenderScene& scene,
                       const std::function<Mat4(uint32_t)>& placement) {
    Result<SurFile> file = ReadSurface(path);
    if (!file) {
        return file.GetStatus();
    }
    AddHulls(file.Value(), scene, placement);
    return Status::Success();
}

Result<RenderScene> LoadSurfaceScene(const std::string& path) {
    Result<SurFile> file = ReadSurface(path);
    if (!file) {
        return file.GetStatus();
    }
    RenderScene scene;
    scene.fileName = std::filesystem::path(path).filename().string();
    for (const SurPart& part : file->parts) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%08X", part.id);
        scene.groups.push_back(id);
    }
    AddHulls(file.Value(), scene, {});
    return scene;
}

}  // namespace kx
