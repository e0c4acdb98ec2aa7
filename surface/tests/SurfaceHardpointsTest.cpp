#include <gtest/gtest.h>

#include "SurfaceTestModels.h"
#include "container/NameHash.h"
#include "surface/SurfaceHardpoints.h"

namespace kx::test {
namespace {

TEST(ClassifyHardpointName, TakesTheNameFromTheKeywordAndTheShapeFromItsKind) {
    struct Case {
        const char* mesh;
        const char* name;
        uint32_t shape;
    };
    const Case cases[] = {
        {"HpWeapon01", "HpWeapon01", 1},
        {"Hp_HpTorpedo02 \t", "HpTorpedo02", 2},
        {"HpCM01", "HpCM01", 3},
        {"HpMine", "HpMine", 3},
        {"HpShield01\r\n", "HpShield01", 3},
        {"HpThruster01", "HpThruster01", 3},
        {"HpTurret01", "HpTurret01", 4},
        {"HpTurret_01", "HpTurret_01", 5},
        {"HpTurret_02", "HpTurret_02", 6},
        {"HpTurret_03", "HpTurret_03", 7},
        {"HpTurret_04", "HpTurret_04", 8},
        {"HpTurret_09", "HpTurret_09", 4},
        {"HpTurret_1", "HpTurret_1", 4},  // no character where the class digit goes
        // The name starts at the first keyword found by name order, the shape
        // is found in its own order.
        {"HpShield_HpWeapon", "HpWeapon", 1},
        {"HpMine_HpTurret_01", "HpMine_HpTurret_01", 4},
    };
    for (const Case& c : cases) {
        const auto h = ClassifyHardpointName(c.mesh);
        ASSERT_TRUE(h) << c.mesh;
        EXPECT_EQ(h->name, c.name) << c.mesh;
        EXPECT_EQ(h->shapeType, c.shape) << c.mesh;
    }
    EXPECT_FALSE(ClassifyHardpointName("HpEngine01"));
    EXPECT_FALSE(ClassifyHardpointName("Hpweapon01"));  // keywords are matched by case
    EXPECT_TRUE(ClassifyHardpointName("Hp0_HpCM")->hp0);
    EXPECT_FALSE(ClassifyHardpointName("hp0_HpCM")->hp0);
}

TEST(PlaceHardpoint, StandsAtTheMeanOfTheFirstCornersTurnedByTheirNormal) {
    HostMeshRecord marker;
    marker.vertices = {{0, 0, 0}, {0, 0, 3}, {3, 0, 0}, {9, 9, 9}};
    HardpointRecord h;
    PlaceHardpoint(marker, h);
    EXPECT_EQ(h.position, (Vec3{3 * 0.33333334f, 0, 3 * 0.33333334f}));
    // Normal (0, 1, 0): rows (n.y, n.x, 0), (-n.x, n.y, n.z), (n.z n.x, -n.z n.y, n.x² + n.y²).
    EXPECT_EQ(h.orientation, (Mat3{{{1, 0, 0}, {-0.0f, 1, 0}, {0, -0.0f, 1}}}));

    marker.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};  // normal +z: the other rows
    PlaceHardpoint(marker, h);
    EXPECT_EQ(h.orientation, (Mat3{{{1, 0, 0}, {-0.0f, 0, 1}, {0, -1, 0}}}));
    EXPECT_EQ(PlaceShapeVertex(h, {1, 2, 3}), Add(Vec3{1, 3, -2}, h.position));

    marker.vertices = {{1, 2, 3}, {3, 2, 1}};
    PlaceHardpoint(marker, h);
    EXPECT_EQ(h.position, (Vec3{2, 2, 2}));
    EXPECT_EQ(h.orientation, Identity3<float>());
    marker.vertices.clear();
    PlaceHardpoint(marker, h);
    EXPECT_EQ(h.position, (Vec3{0, 0, 0}));
}

TEST(CollectHardpoints, GoesToTheFirstFurtherPartThatHoldsItElseTheFirst) {
    TestModel model;
    model.Marker("Hp0_HpShield01", {5, 0, 0});  // "Hp0": always the first part
    model.Marker("HpWeapon01", {5.25f, 0, 0}, 0.01f);
    model.Marker("HpCM01", {20, 0, 0});
    model.Marker("HpMine01", {5, 0, 0});
    Result<HostModel> read = ReadHostModel(model.get(), PlainOptions());
    ASSERT_TRUE(read.Ok()) << read.Reason();
    const HostModel& host = *read;
    SurfaceBox first, second, third;
    first.Extend(Vec3{-1, -1, -1});
    first.Extend(Vec3{1, 1, 1});
    second.Extend(Vec3{4, -1, -1});
    second.Extend(Vec3{5.1f, 1, 1});
    third = second;
    const SurfaceBox boxes[] = {first, second, third};

    auto owned = CollectHardpoints(host.records, boxes, 1);
    ASSERT_EQ(owned.size(), 3u);
    ASSERT_EQ(owned[0].size(), 2u);
    EXPECT_EQ(owned[0][0].name, "HpShield01");
    EXPECT_EQ(owned[0][0].id, NameHash("HpShield01"));
    EXPECT_EQ(owned[0][1].name, "HpCM01");  // inside no part
    ASSERT_EQ(owned[1].size(), 2u);         // the second part is tried first
    EXPECT_EQ(owned[1][0].name, "HpWeapon01");
    EXPECT_TRUE(owned[2].empty());

    // A weapon model places without tolerance: 5.25 lies outside 5.1.
    owned = CollectHardpoints(host.records, boxes, 3);
    EXPECT_EQ(owned[0].size(), 3u);
    EXPECT_EQ(owned[1].size(), 1u);
}

}  // namespace
}  // namespace kx::test
