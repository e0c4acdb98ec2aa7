// Models written by our exporter import back: the same triangles, positions
// in game units (the exporter's scale and orientation applied), the texture
// coordinates as written, markers at the hardpoints. Compounds come back
// through the command line's tests.

#include <gtest/gtest.h>

#include "exporter/tests/ExportHarness.h"
#include "host/FileIo.h"
#include "importer/CMPModel.h"

namespace kx::test {
namespace {

struct ImportedFile {
    explicit ImportedFile(const std::string& path, int level = 0) {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(ReadWholeFile(path, bytes));
        EXPECT_TRUE(file.Open(std::move(bytes)).Ok());
        EXPECT_TRUE(file.LoadLevel(level).Ok());
        auto plan = file.Plan({});
        EXPECT_TRUE(plan.Ok()) << plan.Reason();
        if (plan.Ok()) {
            EXPECT_TRUE(ImportModel(model.m, plan.Value(), file.Arrays(), false, totals).Ok());
        }
    }
    std::string Name(int mesh) const {
        char name[64];
        msMesh_GetName(msModel_GetMeshAt(model.m, mesh), name, sizeof name);
        return name;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < model.MeshCount(); ++i) {
            names.push_back(Name(i));
        }
        return names;
    }
    // Corner k of triangle t of mesh m.
    msVertex* Corner(int m, int t, int k) const {
        msMesh* mesh = msModel_GetMeshAt(model.m, m);
        word indices[3];
        msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, t), indices);
        return msMesh_GetVertexAt(mesh, indices[k]);
    }

    CMPModel file;
    TestModel model;
    ImportTotals totals;
};

Vec3 PositionOf(msVertex* v) {
    Vec3 p;
    msVertex_GetVertex(v, p.data());
    return p;
}

void ExpectNear(const Vec3& a, const Vec3& b) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(a[i], b[i], 1e-5f) << "coordinate " << i;
    }
}

TEST(RoundTrip, ASinglePartModelComesBackAsItWasExported) {
    TempDir dir("roundtrip-single");
    TestModel model;
    const int steel = model.Material("Steel");
    const std::vector<Vec3> game = {{1, 2, 3},         {4, -5, 6}, {-7, 8, 9},
                                    {0.5f, 0.25f, -1}, {2, 2, 2},  {3, 1, 0}};
    std::vector<std::array<float, 3>> host;
    for (const Vec3& p : game) {
        host.push_back(At(p[0], p[1], p[2]));
    }
    model.Mesh("hull", host, steel);
    model.Marker("Hp_Fixed_HpEngine01", 1, -1, -1);
    const std::string out = dir.File("hull.cmp");
    ASSERT_TRUE(Export(model.m, out, [](ExportRun&) {}));

    ImportedFile im(out);
    ASSERT_EQ(im.Names(), std::vector<std::string>({"hull.3db", "Hp|Fixed|HpEngine01"}));
    msMesh* mesh = msModel_GetMeshAt(im.model.m, 0);
    ASSERT_EQ(msMesh_GetTriangleCount(mesh), 2);
    for (int t = 0; t < 2; ++t) {
        for (int k = 0; k < 3; ++k) {
            const int i = 3 * t + k;
            ExpectNear(PositionOf(im.Corner(0, t, k)), game[static_cast<size_t>(i)]);
            Vec2 uv;
            msVertex_GetTexCoords(im.Corner(0, t, k), uv.data());
            EXPECT_EQ(uv, (Vec2{0.25f * static_cast<float>(i), 0.5f}));
        }
    }
    // The marker's notch sits on the hardpoint; an engine faces along -z.
    ExpectNear(PositionOf(msMesh_GetVertexAt(msModel_GetMeshAt(im.model.m, 1), 3)), {1, -1, -1});
    ExpectNear(PositionOf(msMesh_GetVertexAt(msModel_GetMeshAt(im.model.m, 1), 0)),
               {1, -1, -1.75f});
}

TEST(RoundTrip, EachLevelOfDetailImportsOnItsOwn) {
    TempDir dir("roundtrip-levels");
    const std::string out = dir.File("hull.cmp");
    for (int level = 0; level < 2; ++level) {
        TestModel model;
        const int steel = model.Material("Steel");
        for (int m = 0; m <= 1 - level; ++m) {
            model.Block("hull", {static_cast<float>(m), 0, 0}, {1, 1, 1}, steel);
        }
        ASSERT_TRUE(Export(
            model.m, out, [&](ExportRun& run) { run.Lod(level); }, level > 0));
    }
    ImportedFile first(out, 0);
    ImportedFile second(out, 1);
    ASSERT_EQ(first.file.Levels(), std::vector<std::string>({"hull.lod0.vms", "hull.lod1.vms"}));
    EXPECT_EQ(first.totals.triangles, 2u);
    EXPECT_EQ(second.totals.triangles, 1u);
    EXPECT_EQ(second.Names(), std::vector<std::string>({"hull.3db"}));
}

}  // namespace
}  // namespace kx::test
