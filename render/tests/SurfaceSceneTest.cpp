#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "host/FileIo.h"
#include "host/headless/HeadlessModel.h"
#include "render/Palette.h"
#include "render/Picture.h"
#include "render/SurfaceScene.h"
#include "surface/SurfaceExport.h"
#include "testsupport/TempFiles.h"

namespace kx {
namespace {

void AddMesh(msModel* model, const char* name, const std::vector<Vec3>& points,
             const std::vector<std::array<int, 3>>& faces) {
    msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(mesh, name);
    for (const Vec3& p : points) {
        msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
        msVec3 at = {p[0], p[1], p[2]};
        msVertex_SetVertex(v, at);
    }
    for (const auto& f : faces) {
        word idx[3] = {word(f[0]), word(f[1]), word(f[2])};
        msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), idx);
    }
}

// A surface file of one octahedron with a weapon hardpoint on top, its
// shield bubble and wrap hull.
class SurfaceFile {
  public:
    SurfaceFile() : file_("render_hulls.sur") {
        msModel* model = kxModel_Create();
        AddMesh(model, "hull",
                {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
                {{0, 2, 4},
                 {2, 1, 4},
                 {1, 3, 4},
                 {3, 0, 4},
                 {2, 0, 5},
                 {1, 2, 5},
                 {3, 1, 5},
                 {0, 3, 5}});
        AddMesh(model, "HpWeapon01", {{0, 1, 0.1f}, {-0.1f, 1, -0.1f}, {0.1f, 1, -0.1f}},
                {{0, 1, 2}});
        SurfaceOptions options;
        options.floatScale = 1.0f;
        options.orientation = 1;
        static int owner;
        SurfaceMessages warnings;
        auto result =
            ExportSurface(model, options, reinterpret_cast<meshutil::Device*>(&owner), warnings);
        kxModel_Free(model);
        EXPECT_TRUE(result.Ok()) << result.Reason();
        EXPECT_TRUE(result && WriteWholeFile(file_.path(), *result));
    }
    const std::string& path() const { return file_.path(); }

  private:
    test::TempFile file_;
};

TEST(SurfaceScene, TellsPartShieldWrapAndHardpointHullsApart) {
    SurfaceFile file;
    auto scene = LoadSurfaceScene(file.path());
    ASSERT_TRUE(scene.Ok()) << scene.Reason();
    // The part's own hull, the shield, the wrap hull and the hardpoint's.
    EXPECT_EQ(scene->hullCount, 4u);
    EXPECT_EQ(scene->groups.size(), 1u);
    auto count = [&](HullKind kind) {
        return std::count(scene->hullKindOf.begin(), scene->hullKindOf.end(), kind);
    };
    EXPECT_EQ(count(HullKind::Part), 8);
    EXPECT_GT(count(HullKind::Wrap), 8);
    EXPECT_EQ(count(HullKind::Hardpoint), 12);  // the weapon shape
    // The wrap hull copies the shield's triangles; each is drawn once.
    std::set<std::array<float, 9>> wrap;
    for (size_t t = 0; t < scene->hullKindOf.size(); ++t) {
        if (scene->hullKindOf[t] == HullKind::Wrap) {
            const auto& c = scene->hullCorners;
            EXPECT_TRUE(wrap.insert({c[3 * t][0], c[3 * t][1], c[3 * t][2], c[3 * t + 1][0],
                                     c[3 * t + 1][1], c[3 * t + 1][2], c[3 * t + 2][0],
                                     c[3 * t + 2][1], c[3 * t + 2][2]})
                            .second);
        }
    }

    // Drawn alone, every kind shows in its own colour.
    RenderOptions options;
    options.view = ViewKind::Top;
    options.width = options.height = 200;
    const Picture p = RenderPicture(scene.Value(), options).Value();
    EXPECT_NE(p.At(100, 100), kBackgroundRgb);
}

TEST(SurfaceScene, PlacesEachPartsHullsAndLeavesTheSceneAloneOnFailure) {
    SurfaceFile file;
    RenderScene scene;
    ASSERT_TRUE(AddSurfaceHulls(file.path(), scene, [](uint32_t) {
                    return MakeTransform(Identity3<float>(), {10, 0, 0});
                }).Ok());
    for (const Vec3& c : scene.hullCorners) {
        EXPECT_GT(c[0], 5.0f);
    }

    test::TempFile junk("render_junk.sur");
    ASSERT_TRUE(WriteWholeFile(junk.path(), std::vector<uint8_t>{'v', 'e', 'r', 's', 0, 0}));
    RenderScene untouched;
    Status s = AddSurfaceHulls(junk.path(), untouched);
    EXPECT_FALSE(s.Ok());
    EXPECT_EQ(s.Reason().rfind(junk.path() + ": ", 0), 0u) << s.Reason();
    EXPECT_TRUE(untouched.hullCorners.empty());
    EXPECT_EQ(untouched.hullCount, 0u);
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

// Parts of one small hull each (12 triangles over 8 corners), along x.
SurFile ManySmallParts(size_t count) {
    SurFile file;
    for (size_t i = 0; i < count; ++i) {
        SurPart part;
        part.id = 0x100 + static_cast<uint32_t>(i);
        for (int k = 0; k < 8; ++k) {
            part.vertices.push_back(
                {{float(i) * 2 + float(k & 1), float(k >> 1 & 1), float(k >> 2 & 1)}, part.id});
        }
        SurHull hull;
        hull.owner = part.id;
        for (uint16_t t = 0; t < 12; ++t) {
            SurTriangle triangle;
            triangle.vertices = {uint16_t(t % 8), uint16_t((t + 1) % 8),
                                 uint16_t((t + 2 + t / 8) % 8)};
            hull.triangles.push_back(triangle);
        }
        part.hulls.push_back(hull);
        file.parts.push_back(part);
    }
    return file;
}

TEST(SurfaceScene, ManyPartsAreDrawnAsBoxesAndTheCaptionSaysSo) {
    RenderScene few;
    AddSurFileHulls(ManySmallParts(100), few);
    EXPECT_EQ(few.hullKindOf.size(), 1200u);
    EXPECT_TRUE(few.note.empty());

    // 72,000 triangles: two parts to a box, 3,000 boxes of 12 triangles.
    RenderScene many;
    AddSurFileHulls(ManySmallParts(6000), many);
    EXPECT_EQ(many.hullKindOf.size(), 3000u * 12);
    EXPECT_EQ(many.hullCount, 6000u);
    EXPECT_EQ(many.note, "hulls of 6000 parts drawn as 3000 boxes");
    // The first box spans parts 0 and 1: x from 0 to 3.
    float lo = 1e9f, hi = -1e9f;
    for (size_t c = 0; c < 36; ++c) {
        lo = std::min(lo, many.hullCorners[c][0]);
        hi = std::max(hi, many.hullCorners[c][0]);
    }
    EXPECT_EQ(lo, 0.0f);
    EXPECT_EQ(hi, 3.0f);
}

}  // namespace
}  // namespace kx
