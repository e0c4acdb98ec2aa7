// The parts of a written model: joint records, cockpit cameras, and levels of
// detail added to an existing file run after run.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "container/NameHash.h"
#include "exporter/ModelAssembly.h"
#include "exporter/tests/ExportHarness.h"

namespace kx::test {
namespace {

using Dlg = CExportSettingsDlg;

std::vector<uint8_t> Floats(std::initializer_list<float> values) {
    return Le().f32s(values).bytes;
}

// A ship of the named meshes, one triangle each, in the given order.
void Meshes(TestModel& model, const std::vector<const char*>& names) {
    const int steel = model.Material("Steel");
    float x = 1;
    for (const char* name : names) {
        model.Block(name, {x, 0, 0}, {x + 1, 1, 1}, steel);
        x += 2;
    }
}

// One run over `out` at `level` with two groups of one mesh each, and a
// marker at the origin when named.
bool ExportShip(const std::string& out, int level, const std::vector<const char*>& names,
                bool update, const char* marker = nullptr) {
    TestModel model;
    Meshes(model, names);
    if (marker) {
        model.Marker(marker, 0, 0, 0);
    }
    return Export(
        model.m, out,
        [&](ExportRun& run) {
            run.Lod(level).Groups({1, 1});
        },
        update);
}

TEST(ExportAssembly, ThreePartWeaponGetsRevolvingJoints) {
    TempDir dir("weapon");
    TestModel model;
    Meshes(model, {"body", "barrel", "grip"});
    const std::string out = dir.File("gun.cmp");
    ASSERT_TRUE(Export(model.m, out, [](ExportRun& run) { run.Weapon().Groups({1, 1, 1}); }));

    WrittenFile file(out);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.Children("Cmpnd/Cons"), std::vector<std::string>{"Rev"});
    Le rev;
    for (const char* child : {"barrel_lod1", "grip_lod1"}) {
        rev.text("Root", 64).text(child, 64).f32s({0, 0, 0, 0, 0, 0});
        rev.f32s({1, 0, 0, 0, 1, 0, 0, 0, 1}).f32s({1, 0, 0, 0}).u32(0x3F490EAA);
    }
    EXPECT_EQ(file.Leaf("Cmpnd/Cons/Rev"), rev.bytes);
    EXPECT_EQ(file.Leaf("Cmpnd/Part_grip_lod1/Index"), Number(2));
    EXPECT_EQ(file.Leaf("Cmpnd/Part_grip_lod1/Object name"), Str("grip_lod1"));
}

TEST(ExportAssembly, CockpitGetsACameraPart) {
    TempDir dir("cockpit");
    {
        TestModel model;
        Meshes(model, {"cabin", "dash"});
        const std::string out = dir.File("cockpit.cmp");
        ASSERT_TRUE(Export(model.m, out, [](ExportRun& run) { run.Cockpit(); }));

        WrittenFile file(out);
        EXPECT_EQ(file.Children("Cmpnd"),
                  (std::vector<std::string>{"Cons", "Root", "Part_CockpitCamera"}));
        Le fix;
        fix.text("Root", 64).text("CockpitCamera", 64).f32s({0, 0, 0});
        fix.f32s({1, 0, 0, 0, 1, 0, 0, 0, 1});
        EXPECT_EQ(file.Leaf("Cmpnd/Cons/Fix"), fix.bytes);
        EXPECT_EQ(file.Leaf("Cmpnd/Part_CockpitCamera/File name"), Str("CockpitCamera.cam"));
        EXPECT_EQ(file.Leaf("Cmpnd/Part_CockpitCamera/Index"), Number(1));
        EXPECT_EQ(file.Leaf("Cmpnd/Part_CockpitCamera/Object name"), Str("CockpitCamera"));
        // Both meshes in the first part, which has no levels.
        EXPECT_EQ(file.Children("cabin_lod1.3db"), std::vector<std::string>{"VMeshPart"});
        const std::vector<uint8_t> ref = file.Leaf("cabin_lod1.3db/VMeshPart/VMeshRef");
        ASSERT_EQ(ref.size(), 60u);
        EXPECT_EQ(ref[18], 2);  // mesh count
        // The window's defaults, Znear and Zfar positive.
        EXPECT_EQ(file.Children("CockpitCamera.cam"), std::vector<std::string>{"Camera"});
        EXPECT_EQ(file.Leaf("CockpitCamera.cam/Camera/Fovx"), Le().u32(0x3F255150).u32(0).bytes);
        EXPECT_EQ(file.Leaf("CockpitCamera.cam/Camera/Fovy"), Le().u32(0x3F03B081).u32(0).bytes);
        EXPECT_EQ(file.Leaf("CockpitCamera.cam/Camera/Znear"), FloatNumber(0.05f));
        EXPECT_EQ(file.Leaf("CockpitCamera.cam/Camera/Zfar"), FloatNumber(5.0f));
    }
    {
        // A camera marker names the camera and places it; the field of view
        // is as typed.
        TestModel model;
        Meshes(model, {"cabin"});
        model.Marker("Hp_Camera_PilotEye", 1, 2, 3);
        const std::string out = dir.File("eye.cmp");
        ASSERT_TRUE(Export(model.m, out, [](ExportRun& run) {
            run.Cockpit().Type(Dlg::kFovX, "0.75").Type(Dlg::kZNear, "0.25");
        }));
        WrittenFile file(out);
        EXPECT_EQ(file.Leaf("Cmpnd/Part_PilotEye/File name"), Str("PilotEye.cam"));
        const std::vector<uint8_t> fix = file.Leaf("Cmpnd/Cons/Fix");
        ASSERT_EQ(fix.size(), 176u);
        EXPECT_EQ(std::vector<uint8_t>(fix.begin() + 128, fix.begin() + 140), Floats({1, 2, 3}));
        EXPECT_EQ(file.Leaf("PilotEye.cam/Camera/Fovx"), FloatNumber(0.75f));
        EXPECT_EQ(file.Leaf("PilotEye.cam/Camera/Znear"), FloatNumber(0.25f));
        EXPECT_FALSE(file.Has("PilotEye.cam/Hardpoints"));
    }
}

TEST(ExportAssembly, LevelsOfDetailAddUpInOneFile) {
    TempDir dir("levels");
    const std::string out = dir.File("ship.cmp");
    // Every run but the first updates the file.
    bool update = false;
    auto exportLevel = [&](int level, std::initializer_list<const char*> names,
                           const char* marker) {
        return ExportShip(out, level, names, std::exchange(update, true), marker);
    };
    ASSERT_TRUE(exportLevel(0, {"hull", "wing"}, "Hp_Fixed_HpEngine01"));
    const std::vector<uint8_t> fix = WrittenFile(out).Leaf("Cmpnd/Cons/Fix");

    // Level 1 of the same meshes, without the marker.
    ASSERT_TRUE(exportLevel(1, {"hull", "wing"}, nullptr));
    {
        WrittenFile file(out);
        EXPECT_EQ(file.Children("VMeshLibrary"),
                  (std::vector<std::string>{"hull.lod0.vms", "hull.lod1.vms"}));
        for (const char* part : {"hull_lod1.3db", "wing_lod1.3db"}) {
            const std::string multi = std::string(part) + "/MultiLevel";
            EXPECT_EQ(file.Children(multi),
                      (std::vector<std::string>{"Level0", "Level1", "Switch2"}));
            EXPECT_EQ(file.Leaf(multi + "/Switch2"), Floats({0, 100, 1000}));
            const std::vector<uint8_t> ref = file.Leaf(multi + "/Level1/VMeshPart/VMeshRef");
            ASSERT_EQ(ref.size(), 60u);
            EXPECT_EQ(std::vector<uint8_t>(ref.begin() + 4, ref.begin() + 8),
                      Le().u32(NameHash("hull.lod1.vms")).bytes);
        }
        // Joints and hardpoints belong to level 0.
        EXPECT_EQ(file.Leaf("Cmpnd/Cons/Fix"), fix);
        EXPECT_TRUE(file.Has("hull_lod1.3db/Hardpoints/Fixed/HpEngine01/Position"));
    }

    // Level 2, then level 1 again: a file with Level2 keeps its switch.
    ASSERT_TRUE(exportLevel(2, {"hull", "wing"}, nullptr));
    const std::vector<uint8_t> switch2 = Floats({0, 100, 1000, 1000000});
    EXPECT_EQ(WrittenFile(out).Leaf("hull_lod1.3db/MultiLevel/Switch2"), switch2);
    ASSERT_TRUE(exportLevel(1, {"hull", "wing"}, nullptr));
    EXPECT_EQ(WrittenFile(out).Leaf("hull_lod1.3db/MultiLevel/Switch2"), switch2);

    // Level 0 again rebuilds the hardpoints and keeps the other levels.
    ASSERT_TRUE(exportLevel(0, {"hull", "wing"}, "Hp_Fixed_HpGun01"));
    WrittenFile file(out);
    EXPECT_EQ(file.Children("hull_lod1.3db/MultiLevel"),
              (std::vector<std::string>{"Level0", "Level1", "Level2", "Switch2"}));
    EXPECT_EQ(file.Leaf("hull_lod1.3db/MultiLevel/Switch2"), switch2);
    EXPECT_EQ(file.Children("hull_lod1.3db/Hardpoints/Fixed"), std::vector<std::string>{"HpGun01"});
}

// A higher level joins only the parts and levels already in the file: a part
// holding nothing but level 1, or a level after a gap, is never reached by
// the game. Level 0 may bring new parts.
TEST(ExportAssembly, OnlyLevelZeroRewritesThePartEntries) {
    TempDir dir("entries");
    const std::string out = dir.File("ship.cmp");
    ASSERT_TRUE(ExportShip(out, 0, {"hull", "wing"}, false));
    std::vector<uint8_t> before;
    ASSERT_TRUE(ReadWholeFile(out, before));

    struct Case {
        int level;
        std::vector<const char*> names;
        std::string message;
    };
    for (const Case& c : {
             Case{1,
                  {"body", "wing", "tail"},
                  "Level 1 names parts that " + out +
                      " does not have: body_lod1.3db, tail_lod1.3db"},
             Case{2, {"hull", "wing"}, "Level 2 cannot be added before level 1."},
             Case{3, {"hull", "wing"}, "Level 3 cannot be added before level 1."},
         }) {
        TestModel model;
        Meshes(model, c.names);
        ExportRun run;
        run.Update(out).Lod(c.level).Groups(std::vector<int>(c.names.size(), 1)).Continue();
        EXPECT_EQ(run.Execute(model.m), 0);
        EXPECT_FALSE(run.written);
        EXPECT_EQ(run.ui.messages,
                  (std::vector<RecordedMessage>{{c.message, "Error", MessageIcon::Error}}));
        std::vector<uint8_t> after;
        ASSERT_TRUE(ReadWholeFile(out, after));
        EXPECT_EQ(after, before) << c.message;
    }

    ASSERT_TRUE(ExportShip(out, 0, {"body", "wing"}, true));
    WrittenFile file(out);
    EXPECT_EQ(file.Leaf("Cmpnd/Root/File name"), Str("body_lod1.3db"));
    EXPECT_EQ(file.Children(""), (std::vector<std::string>{"VMeshLibrary", "Cmpnd", "hull_lod1.3db",
                                                           "wing_lod1.3db", "body_lod1.3db"}));
    // Now level 1 has every part it names.
    EXPECT_TRUE(ExportShip(out, 1, {"body", "wing"}, true));
}

// Hardpoints that fall to the camera part are stored in its frame, whose
// origin is the camera marker; the others stay where they are.
TEST(ExportAssembly, CockpitHardpointsInTheCameraPartsFrame) {
    TempDir dir("cockpit_frame");
    TestModel model;
    Meshes(model, {"cabin"});
    model.Marker("Hp_Camera_PilotEye", 1, 2, 3);
    model.Marker("Hp_Fixed_HpScreen", 0.25f, 0.25f, -1);  // inside the field of view's box
    model.Marker("Hp_Fixed_HpLight", 5, 5, 5);
    const std::string out = dir.File("cockpit.cmp");
    ASSERT_TRUE(Export(model.m, out, [](ExportRun& run) { run.Cockpit(); }));
    WrittenFile file(out);
    EXPECT_EQ(file.Leaf("PilotEye.cam/Hardpoints/Fixed/HpScreen/Position"),
              Floats({0.25f - 1, 0.25f - 2, -1 - 3}));
    EXPECT_EQ(file.Leaf("cabin_lod1.3db/Hardpoints/Fixed/HpLight/Position"), Floats({5, 5, 5}));
}

TEST(ExportAssembly, JointRecordsCutLongNames) {
    const std::string name(70, 'n');
    const std::vector<uint8_t> fix = FixRecord(name, {1, 2, 3});
    ASSERT_EQ(fix.size(), kFixRecordSize);
    // 44 characters at most: bytes 44 to 63 of the child name stay zero.
    EXPECT_EQ(Le().text(name.substr(0, 44), 64).bytes,
              std::vector<uint8_t>(fix.begin() + 64, fix.begin() + 128));
    const std::vector<uint8_t> rev = RevRecord(name);
    ASSERT_EQ(rev.size(), kRevRecordSize);
    EXPECT_EQ(Le().text(name.substr(0, 63), 64).bytes,
              std::vector<uint8_t>(rev.begin() + 64, rev.begin() + 128));
}

TEST(ExportAssembly, CentreAndRadiusOfAPartBox) {
    ExportPart part;
    part.box = {4, -2, 1, 1, -1, -3};  // max x, min x, max y, min y, max z, min z
    const VMeshRef ref = MakeMeshRef(part, "a.lod0.vms");
    EXPECT_EQ(ref.libraryId, NameHash("a.lod0.vms"));
    EXPECT_EQ(ref.centre, (std::array<float, 3>{1, 1, -2}));
    EXPECT_EQ(ref.radius, std::sqrt(10.0f));  // from (1, 1, -2) to (4, 1, -1)

    // Box values in either order, and a part at one point.
    part.box = {-2, 4, 5, 5, 7, 7};
    EXPECT_EQ(MakeMeshRef(part, "a").centre, (std::array<float, 3>{1, 5, 7}));
    part.box = {0.5f, 0.5f, -1, -1, 2, 2};
    EXPECT_EQ(MakeMeshRef(part, "a").radius, 0.0f);
}

}  // namespace
}  // namespace kx::test
