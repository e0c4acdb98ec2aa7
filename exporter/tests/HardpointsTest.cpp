// Hardpoint markers: their names, limits, orientation, and the part each one
// is written under.

#include <gtest/gtest.h>

#include "exporter/Hardpoints.h"
#include "exporter/tests/ExportHarness.h"

namespace kx::test {
namespace {

TEST(Hardpoints, MarkerNames) {
    struct Case {
        const char* mesh;
        MarkerKind kind;
        const char* name;
    };
    for (const Case& c : {
             Case{"Hp_Fixed_HpEngine01", MarkerKind::Fixed, "HpEngine01"},
             Case{"HP-fixed.HpMount", MarkerKind::Fixed, "HpMount"},
             Case{"Hp_Revolute_HpTurret01", MarkerKind::Revolute, "HpTurret01"},
             Case{"Hp_Camera_Eye", MarkerKind::Camera, "Eye"},
             Case{"HpDecal", MarkerKind::Ignored, ""},
             Case{"Hp_Fixed", MarkerKind::Ignored, ""},
             Case{"hull", MarkerKind::None, ""},
         }) {
        const Marker m = ClassifyMarker(c.mesh);
        EXPECT_EQ(m.kind, c.kind) << c.mesh;
        EXPECT_EQ(m.name, c.name) << c.mesh;
    }
}

TEST(Hardpoints, RevolvingLimits) {
    UtfTree tree;
    UtfNode* hardpoints = tree.AddChild(nullptr, "Hardpoints");
    ExportMesh marker;
    for (const char* name : {"Hp_Revolute_HpTurret01", "Hp_Revolute_HpGun01"}) {
        WriteHardpoint(tree, hardpoints, ClassifyMarker(name), marker, {});
    }
    auto leaf = [&](const std::string& path) {
        return *tree.GetData(FindNodeByPath(tree, "Revolute/" + path));
    };
    std::vector<std::string> leaves;
    for (const UtfNode* n : FindNodeByPath(tree, "Revolute/HpTurret01")->Children()) {
        leaves.push_back(n->Name());
    }
    EXPECT_EQ(leaves, (std::vector<std::string>{"Axis", "Max", "Min", "Orientation", "Position"}));
    EXPECT_EQ(leaf("HpTurret01/Axis"), Le().f32s({0, 1, 0}).bytes);
    EXPECT_EQ(leaf("HpTurret01/Max"), Le().u32(0x40C90FDA).u32(0).bytes);
    EXPECT_EQ(leaf("HpTurret01/Min"), Le().u32(0xC0C90FDA).u32(0).bytes);
    EXPECT_EQ(leaf("HpGun01/Max"), Le().u32(0x3F490EAA).u32(0).bytes);
    EXPECT_EQ(leaf("HpGun01/Min"), Le().u32(0xBF490FF9).u32(0).bytes);
}

// The game takes names differing only in case for one hardpoint: one node,
// named by the first marker, holding the later marker's values.
TEST(Hardpoints, NamesDifferingInCaseAreOneHardpoint) {
    UtfTree tree;
    UtfNode* hardpoints = tree.AddChild(nullptr, "Hardpoints");
    ExportMesh first, later;
    first.vertices = {{{1, 1, 1}, {}, 0, 0}};
    later.vertices = {{{2, 2, 2}, {}, 0, 0}};
    WriteHardpoint(tree, hardpoints, ClassifyMarker("Hp_Fixed_HpSight"), first, {});
    WriteHardpoint(tree, hardpoints, ClassifyMarker("Hp_Fixed_HPSIGHT"), later, {});
    const UtfNode* fixed = FindNodeByPath(tree, "Fixed");
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(fixed->Children().size(), 1u);
    EXPECT_EQ(fixed->Children()[0]->Name(), "HpSight");
    EXPECT_EQ(*tree.GetData(FindNodeByPath(tree, "Fixed/HpSight/Position")),
              Le().f32s({2, 2, 2}).bytes);
}

// An ordinary mesh of one triangle whose face normal is `n`, centred on `at`.
ExportMesh Facing(Vec3 at, Vec3 n) {
    ExportMesh mesh;
    mesh.vertices.resize(3);
    for (auto& v : mesh.vertices) {
        v.position = at;
    }
    mesh.triangles = {{0, 1, 2}};
    mesh.faceNormals = {n};
    return mesh;
}

TEST(Hardpoints, OrientationFromTheNearestTriangle) {
    // Normal off the z axis: rows (ny, nx, 0), (-nx, ny, nz), (nx nz, -ny nz, nx^2 + ny^2).
    std::vector<ExportMesh> meshes{Facing({5, 0, 0}, {0, 0, 1}),
                                   Facing({1, 0, 0}, {0.6f, 0, 0.8f})};
    Rotation r = HardpointOrientation("HpGun01", {0, 0, 0}, meshes);
    const Rotation offAxis{0, 0.6f, 0, -0.6f, 0, 0.8f, 0.6f * 0.8f, -0.0f, 0.6f * 0.6f};
    EXPECT_EQ(r, offAxis);

    // Along z: rows (ny^2 + nz^2, nx ny, nx nz), (-nx, ny, nz), (0, -nz, ny).
    r = HardpointOrientation("HpGun01", {4, 0, 0}, meshes);
    EXPECT_EQ(r, (Rotation{1, 0, 0, -0.0f, 0, 1, 0, -1, 0}));

    // Equally near: the first triangle found stands.
    r = HardpointOrientation("HpGun01", {3, 0, 0}, meshes);
    EXPECT_EQ(r, (Rotation{1, 0, 0, -0.0f, 0, 1, 0, -1, 0}));

    // Markers and the camera mesh are not surfaces; nothing near gives identity.
    meshes[0].hardpoint = true;
    meshes[1].synthetic = true;
    EXPECT_EQ(HardpointOrientation("HpGun01", {0, 0, 0}, meshes), kIdentityRotation);

    // Some names always get identity, wherever they stand.
    std::vector<ExportMesh> surface{Facing({0, 0, 0}, {0.6f, 0, 0.8f})};
    for (const char* name : {"HpEngine01", "HpMount", "HpPilot", "HpCockpit", "HpChair",
                             "HpConnect", "HpFire01", "HpFx02"}) {
        EXPECT_EQ(HardpointOrientation(name, {0, 0, 0}, surface), kIdentityRotation) << name;
    }
}

TEST(Hardpoints, PositionIsTheMeanOfTheFirstThreeVertices) {
    ExportMesh marker;
    for (Vec3 p : {Vec3{3, 6, -9}, Vec3{0, 0, 0}, Vec3{0, 3, 0}, Vec3{100, 100, 100}}) {
        marker.vertices.push_back({p, {}, 0, 0});
    }
    EXPECT_EQ(MarkerPosition(marker), (Vec3{3 * 0.33333334f, 9 * 0.33333334f, -9 * 0.33333334f}));
    marker.vertices.resize(2);
    EXPECT_EQ(MarkerPosition(marker), (Vec3{1.5f, 3, -4.5f}));
    marker.vertices.clear();
    EXPECT_EQ(MarkerPosition(marker), (Vec3{0, 0, 0}));
}

// A two-part model: "body" from x 0 to 1, "barrel" from x 2 to 3, and markers
// placed by their boxes.
TEST(Hardpoints, PartsTakeTheMarkersInsideTheirBoxes) {
    TempDir dir("placement");
    for (bool weapon : {false, true}) {
        TestModel model;
        const int steel = model.Material("Steel");
        model.Block("body", {0, 0, 0}, {1, 1, 1}, steel);
        model.Block("barrel", {2, 0, 0}, {3, 1, 1}, steel);
        model.Marker("Hp_Fixed_HpMuzzle", 3.0625f, 0.5f, 0.5f);  // just outside the barrel
        model.Marker("Hp_Fixed_HpSight", 2.5f, 0.5f, 0.5f);      // inside it
        model.Marker("Hp_Fixed_HpSight", 2.5f, 0.5f, 0.75f);     // same name: the later stands
        model.Marker("HpDecal", 9, 9, 9);                        // outside all: the first part
        const std::string out = dir.File("model.cmp");
        ASSERT_TRUE(Export(model.m, out, [&](ExportRun& run) {
            if (weapon) {
                run.Weapon();
            }
            run.Groups({1, 1});
        }));
        WrittenFile file(out);
        // Only a ship's boxes are widened (by 0.1); an ignored marker still
        // gives its part a "Hardpoints" node.
        using Names = std::vector<std::string>;
        if (weapon) {
            EXPECT_EQ(file.Children("body_lod1.3db/Hardpoints/Fixed"), Names{"HpMuzzle"});
            EXPECT_EQ(file.Children("barrel_lod1.3db/Hardpoints/Fixed"), Names{"HpSight"});
        } else {
            EXPECT_TRUE(file.Has("body_lod1.3db/Hardpoints"));
            EXPECT_EQ(file.Children("body_lod1.3db/Hardpoints"), Names{});
            EXPECT_EQ(file.Children("barrel_lod1.3db/Hardpoints/Fixed"),
                      (Names{"HpMuzzle", "HpSight"}));
        }
        EXPECT_EQ(file.Leaf("barrel_lod1.3db/Hardpoints/Fixed/HpSight/Position"),
                  Le().f32s({2.5f, 0.5f, 0.75f}).bytes);
    }
}

}  // namespace
}  // namespace kx::test
