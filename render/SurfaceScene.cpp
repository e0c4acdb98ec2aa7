#include "render/SurfaceScene.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "base/Text.h"
#include "host/FileIo.h"

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

// Beyond this many hull triangles a picture takes seconds a panel (a file of
// many thousand small parts): the parts are drawn as their bounding boxes
// instead, runs of neighbouring parts sharing one when there are more than
// kMaxBoxes of them, and the caption says so.
constexpr size_t kMaxHullTriangles = 60000;
constexpr size_t kMaxBoxes = kMaxHullTriangles / 12;

void AddBox(RenderScene& scene, const Vec3& lo, const Vec3& hi) {
    auto corner = [&](int k) {
        return Vec3{k & 1 ? hi[0] : lo[0], k & 2 ? hi[1] : lo[1], k & 4 ? hi[2] : lo[2]};
    };
    // Each face as two triangles, by the corners' bits.
    constexpr int kFaces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                  {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
    for (const auto& f : kFaces) {
        scene.AddHullTriangle(HullKind::Part, corner(f[0]), corner(f[1]), corner(f[2]));
        scene.AddHullTriangle(HullKind::Part, corner(f[0]), corner(f[2]), corner(f[3]));
    }
}

void AddBoxes(const SurFile& file, RenderScene& scene,
              const std::function<Mat4(uint32_t)>& placement) {
    const size_t perBox = (file.parts.size() + kMaxBoxes - 1) / kMaxBoxes;
    size_t boxes = 0;
    for (size_t first = 0; first < file.parts.size(); first += perBox) {
        Vec3 lo{}, hi{};
        bool empty = true;
        for (size_t p = first; p < std::min(first + perBox, file.parts.size()); ++p) {
            const SurPart& part = file.parts[p];
            const Mat4 transform = placement ? placement(part.id) : Identity4();
            for (const auto& v : part.vertices) {
                const Vec3 at = TransformPoint(transform, v.position);
                if (!IsFinite(at)) {
                    continue;
                }
                for (int a = 0; a < 3; ++a) {
                    lo[a] = empty ? at[a] : std::min(lo[a], at[a]);
                    hi[a] = empty ? at[a] : std::max(hi[a], at[a]);
                }
                empty = false;
            }
            scene.hullCount += part.hulls.size();
        }
        if (!empty) {
            AddBox(scene, lo, hi);
            ++boxes;
        }
    }
    scene.note = "hulls of " + std::to_string(file.parts.size()) + " parts drawn as " +
                 std::to_string(boxes) + (boxes == 1 ? " box" : " boxes");
}

}  // namespace

void AddSurFileHulls(const SurFile& file, RenderScene& scene,
                     const std::function<Mat4(uint32_t)>& placement) {
    size_t triangles = 0;
    for (const SurPart& part : file.parts) {
        for (const SurHull& hull : part.hulls) {
            triangles += hull.triangles.size();
        }
    }
    if (triangles > kMaxHullTriangles) {
        AddBoxes(file, scene, placement);
        return;
    }
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

Status AddSurfaceHulls(const std::string& path, RenderScene& scene,
                       const std::function<Mat4(uint32_t)>& placement) {
    Result<SurFile> file = ReadSurface(path);
    if (!file) {
        return file.GetStatus();
    }
    AddSurFileHulls(file.Value(), scene, placement);
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
        scene.groups.push_back(Hex(part.id, 8, HexCase::Upper));
    }
    AddSurFileHulls(file.Value(), scene);
    return scene;
}

}  // namespace kx
