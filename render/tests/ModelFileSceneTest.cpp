#include <gtest/gtest.h>

#include "exporter/tests/ExportHarness.h"
#include "ms3d/Ms3dIo.h"
#include "render/ModelFileScene.h"

namespace kx {
namespace {

TEST(ModelFileScene, SeesTheModelAsTheExporterWritesIt) {
    test::TempDir dir("render_scene");
    const std::string path = dir.File("ship.ms3d");
    {
        test::TestModel model;
        const int steel = model.Material("Steel");
        // Block and Marker take game coordinates and store the modeller's.
        model.Block("hull", {0, 0, 0}, {1, 2, 3}, steel);
        model.Block("wing", {4, 0, 0}, {5, 1, 1}, steel);
        model.Marker("Hp_Fixed_HpWeapon01", 4, 1, 1);
        model.Marker("Hp_Revolute_HpTurret01", 0, 2, 0);
        model.Marker("HpDecal", 1, 1, 1);  // read by nobody: not a hardpoint
        const Status written = WriteMs3dModel(path, model.m);
        ASSERT_TRUE(written.Ok()) << written.Reason();
    }
    auto scene = LoadModelFileScene(path);
    ASSERT_TRUE(scene.Ok()) << scene.Reason();
    EXPECT_EQ(scene->fileName, "ship.ms3d");
    EXPECT_EQ(scene->groups, (std::vector<std::string>{"hull", "wing"}));
    ASSERT_EQ(scene->TriangleCount(), 2u);
    EXPECT_EQ(scene->groupOf, (std::vector<uint16_t>{0, 1}));
    const auto near = [](const Vec3& a, const Vec3& b) {
        return std::abs(a[0] - b[0]) < 1e-5f && std::abs(a[1] - b[1]) < 1e-5f &&
               std::abs(a[2] - b[2]) < 1e-5f;
    };
    EXPECT_PRED2(near, scene->corners[2], (Vec3{1, 2, 3}));
    EXPECT_PRED2(near, scene->corners[3], (Vec3{4, 0, 0}));

    ASSERT_EQ(scene->hardpoints.size(), 2u);
    EXPECT_EQ(scene->hardpoints[0].name, "HpWeapon01");
    EXPECT_PRED2(near, scene->hardpoints[0].position, (Vec3{4, 1, 1}));
    EXPECT_EQ(scene->hardpoints[1].name, "HpTurret01");
}

TEST(ModelFileScene, RefusesWhatItCannotRead) {
    test::TempDir dir("render_scene");
    EXPECT_EQ(LoadModelFileScene(dir.File("missing.ms3d")).GetFault(), Fault::Unreadable);
    EXPECT_EQ(LoadModelFileScene(dir.File("")).GetFault(), Fault::Unreadable);
    const std::string junk = dir.File("junk.ms3d");
    std::vector<uint8_t> bytes(40, 'x');
    ASSERT_TRUE(WriteWholeFile(junk, bytes));
    auto r = LoadModelFileScene(junk);
    EXPECT_EQ(r.GetFault(), Fault::WrongKind);
    EXPECT_EQ(r.Reason().rfind(junk + ": ", 0), 0u) << r.Reason();
}

}  // namespace
}  // namespace kx
