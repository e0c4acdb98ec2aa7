#include <gtest/gtest.h>

#include "SurfaceTestModels.h"
#include "container/NameHash.h"
#include "surface/PartMeshes.h"

namespace kx::test {
namespace {

HostModel Read(const TestModel& model) {
    Result<HostModel> host = ReadHostModel(model.get(), PlainOptions());
    EXPECT_TRUE(host.Ok()) << host.Reason();
    return host ? std::move(*host) : HostModel{};
}

TEST(ReductionTarget, FollowsTheTableDownToTwelveFaces) {
    const std::pair<uint32_t, uint32_t> cases[] = {{100, 60}, {99, 63}, {60, 42}, {59, 25},
                                                   {20, 12},  {13, 12}, {12, 0},  {1000, 600}};
    for (const auto& [faces, target] : cases) {
        EXPECT_EQ(ReductionTarget(faces), target) << faces;
    }
}

TEST(PrepareMeshes, SingleGroupMakesOneRootPartPerIncludedMeshWithTriangles) {
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 1);
    model.Marker("HpWeapon01", {0, 2, 0});
    model.Octahedron("ixcover", {3, 0, 0}, 1);
    model.Mesh("empty", {}, {});
    model.Octahedron("wing", {6, 0, 0}, 2);
    const HostModel host = Read(model);
    PreparedMeshes out;
    SurfaceMessages messages;
    ASSERT_EQ(
        PrepareSingleGroupMeshes(host.records, PlainOptions(), 5, TestDevice(), out, messages),
        meshutil::STATUS_OK);
    ASSERT_EQ(out.parts.size(), 2u);
    for (const PartMeshRecord& part : out.parts) {
        EXPECT_EQ(part.name, "Root");
        EXPECT_EQ(part.id, 0x12688F2Du);
    }
    EXPECT_EQ(out.parts[1].box.lo, (Vec3{4, -2, -2}));
    EXPECT_EQ(out.parts[1].sphere.centre, (Vec3{6, 0, 0}));
    EXPECT_EQ(out.parts[1].sphere.radius, 1.2f * 2.0f);
    ASSERT_TRUE(out.shield);
    EXPECT_EQ(out.shield->GetFaceCount(), 100u);
    EXPECT_TRUE(messages.empty());
}

TEST(PrepareMeshes, GroupsTakeConsecutiveMeshesAndTheirFirstIncludedName) {
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 1);
    model.Octahedron("nose", {0, 0, 3}, 1);
    model.Octahedron("tail", {0, 0, -3}, 1);
    model.Marker("HpWeapon01", {4, 0, 0});
    model.Octahedron("wing", {4, 0, 0}, 1);
    SurfaceOptions options = PlainOptions();
    options.collisionKind = CollisionKind::ShrinkWrapped;
    options.reductionOff = true;
    options.groupCount = 2;
    options.quantities = {3, 2};
    const HostModel host = Read(model);
    PreparedMeshes out;
    SurfaceMessages messages;
    ASSERT_EQ(PrepareGroupMeshes(host.records, options, 5, TestDevice(), out, messages),
              meshutil::STATUS_OK);
    ASSERT_EQ(out.parts.size(), 2u);
    EXPECT_EQ(out.parts[0].name, "Root");
    EXPECT_EQ(out.parts[0].mesh->GetFaceCount(), 24u);
    EXPECT_EQ(out.parts[0].box.lo, (Vec3{-1, -1, -4}));
    EXPECT_EQ(out.parts[0].box.hi, (Vec3{1, 1, 4}));
    // The range starts with a marker: the first included mesh names the part.
    EXPECT_EQ(out.parts[1].name, "wing_lod1");
    EXPECT_EQ(out.parts[1].id, NameHash("wing_lod1"));
    EXPECT_FALSE(out.shield);

    // Quantities past the last mesh hold what there is.
    options.quantities = {3, 20};
    PreparedMeshes longer;
    ASSERT_EQ(PrepareGroupMeshes(host.records, options, 5, TestDevice(), longer, messages),
              meshutil::STATUS_OK);
    EXPECT_EQ(longer.parts[1].mesh->GetFaceCount(), 8u);
}

TEST(PrepareMeshes, WeldsSharedPositionsAndReducesUnlessTurnedOff) {
    // A closed sphere of 100 faces split into two meshes that each keep all
    // the positions: one welded mesh, reduced to 60 faces.
    TestModel model;
    model.Sphere("ball", {0, 0, 0}, 2);
    model.Octahedron("wing", {5, 0, 0}, 1);
    HostModel host = Read(model);
    HostMeshRecord top = host.records[0];
    top.faces.resize(50);
    host.records[0].faces.erase(host.records[0].faces.begin(), host.records[0].faces.begin() + 50);
    host.records.insert(host.records.begin(), top);

    SurfaceOptions options = PlainOptions();
    options.groupCount = 2;
    options.quantities = {2, 1};
    options.collisionKind = CollisionKind::ShrinkWrapped;
    PreparedMeshes reduced;
    SurfaceMessages messages;
    ASSERT_EQ(PrepareGroupMeshes(host.records, options, 3, TestDevice(), reduced, messages),
              meshutil::STATUS_OK);
    EXPECT_EQ(reduced.parts[0].weldedFaces, 100u);
    EXPECT_EQ(reduced.parts[0].reductionTarget, 60u);
    EXPECT_EQ(reduced.parts[0].reductionStatus, meshutil::STATUS_OK);
    EXPECT_EQ(reduced.parts[0].mesh->GetFaceCount(), 60u);

    options.reductionOff = true;
    PreparedMeshes kept;
    ASSERT_EQ(PrepareGroupMeshes(host.records, options, 3, TestDevice(), kept, messages),
              meshutil::STATUS_OK);
    EXPECT_EQ(kept.parts[0].mesh->GetFaceCount(), 100u);
    EXPECT_EQ(kept.parts[0].mesh->GetVertexCount(), 52u);
    EXPECT_EQ(kept.parts[0].reductionTarget, 0u);
    EXPECT_TRUE(messages.empty());
}

TEST(PrepareMeshes, KeepsTheWeldedMeshWhenReductionRefusesIt) {
    // One mesh of two octahedra that share a corner vertex: a bowtie.
    const Faces octahedron = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                              {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};
    const int second[6] = {6, 0, 7, 8, 9, 10};
    Faces faces = octahedron;
    for (const auto& f : octahedron) {
        faces.push_back({second[f[0]], second[f[1]], second[f[2]]});
    }
    TestModel model;
    model.Mesh("bow",
               {{1, 0, 0},
                {-1, 0, 0},
                {0, 1, 0},
                {0, -1, 0},
                {0, 0, 1},
                {0, 0, -1},
                {3, 0, 0},
                {2, 1, 0},
                {2, -1, 0},
                {2, 0, 1},
                {2, 0, -1}},
               faces);
    const HostModel host = Read(model);
    PreparedMeshes out;
    SurfaceMessages messages;
    ASSERT_EQ(
        PrepareSingleGroupMeshes(host.records, PlainOptions(), 3, TestDevice(), out, messages),
        meshutil::STATUS_OK);
    EXPECT_EQ(out.parts[0].reductionTarget, 12u);
    EXPECT_EQ(out.parts[0].reductionStatus, meshutil::STATUS_INVALID_MESH);
    EXPECT_EQ(out.parts[0].mesh->GetFaceCount(), 16u);
}

TEST(MeasureWholeModel, MeasuresOnlyTheIncludedMeshes) {
    TestModel model;
    model.Octahedron("hull", {0, 0, 0}, 2);
    model.Octahedron("IXfar", {100, 0, 0}, 2);
    model.Marker("hpFar", {-100, 0, 0});
    const HostModel host = Read(model);
    EXPECT_EQ(host.box.lo, (Vec3{-2, -2, -2}));
    EXPECT_EQ(host.box.hi, (Vec3{2, 2, 2}));
    Sphere sphere;
    SurfaceMessages messages;
    ASSERT_EQ(MeasureWholeModel(host.records, TestDevice(), sphere, messages), meshutil::STATUS_OK);
    EXPECT_EQ(sphere.centre, (Vec3{0, 0, 0}));
    EXPECT_EQ(sphere.radius, 2.0f);
}

}  // namespace
}  // namespace kx::test
