// Reading host meshes into the exporter's records, with the settings' scale,
// orientation and grouping.

#include <gtest/gtest.h>

#include "container/NameHash.h"
#include "exporter/ExportMeshes.h"
#include "host/headless/HeadlessModel.h"

namespace kx {
namespace {

struct Model {
    msModel* m = kxModel_Create();
    ~Model() { kxModel_Free(m); }

    int Material(const char* name) {
        int index = msModel_AddMaterial(m);
        msMaterial_SetName(msModel_GetMaterialAt(m, index), name);
        return index;
    }
    // `count` vertices at (92 i, 92, -184), uv (i, 0.5), one triangle per three.
    void Mesh(const char* name, int count, int material = -1) {
        msMesh* mesh = msModel_GetMeshAt(m, msModel_AddMesh(m));
        msMesh_SetName(mesh, name);
        msMesh_SetMaterialIndex(mesh, material);
        for (int i = 0; i < count; ++i) {
            msVertex* v = msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh));
            msVec3 p = {92.0f * i, 92.0f, -184.0f};
            msVec2 uv = {float(i), 0.5f};
            msVertex_SetVertex(v, p);
            msVertex_SetTexCoords(v, uv);
        }
        for (int i = 0; i + 2 < count; i += 3) {
            word idx[3] = {word(i), word(i + 1), word(i + 2)};
            msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), idx);
        }
    }
};

TEST(ExportMeshes, HostMeshesBecomeOneBlock) {
    Model model;
    int steel = model.Material("Steel");
    model.Mesh("hull", 3, steel);
    model.Mesh("wing", 5);
    auto meshes = ReadExportMeshes(model.m, ExportSettings{});
    ASSERT_EQ(meshes.size(), 2u);
    EXPECT_EQ(meshes[0].materialName, "Steel");
    EXPECT_EQ(meshes[1].materialName, "");
    EXPECT_EQ(meshes[0].vertices[1].position, (Vec3{1, -1, 2}));
    EXPECT_EQ(meshes[0].vertices[1].u, 1.0f);
    EXPECT_EQ(meshes[0].triangles.size(), 1u);

    auto p = PartitionMeshes(meshes, ExportSettings{});
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(WriteMeshBlock(meshes, p, bytes));
    auto block = DecodeVMeshData(bytes);
    ASSERT_TRUE(block.Ok()) << block.Reason();
    ASSERT_EQ(block->meshes.size(), 2u);
    EXPECT_EQ(block->meshes[0], (VMeshRecord{NameHash("Steel"), 0, 2, 3, 0xcc}));
    EXPECT_EQ(block->meshes[1], (VMeshRecord{0, 3, 7, 3, 0xcc}));
    EXPECT_EQ(block->vertices.size(), 8u);
}

TEST(ExportMeshes, NamesAfterThePrefixRule) {
    Model model;
    model.Mesh("IxHpGun", 0);
    model.Mesh("Ix_Hull", 0);
    model.Mesh("HpGun", 0);
    auto meshes = ReadExportMeshes(model.m, ExportSettings{});
    EXPECT_EQ(meshes[0].name, "pGun");
    EXPECT_FALSE(meshes[0].hardpoint);
    EXPECT_EQ(meshes[1].name, "Hull");
    EXPECT_TRUE(meshes[2].hardpoint);
}

TEST(ExportMeshes, ScaleDivisorAndOrientationFromTheSettings) {
    Model model;
    model.Mesh("a", 2);
    auto x = [&](int32_t integerScale, float floatScale, int32_t orientation = 0) {
        ExportSettings s;
        s.integerScale = integerScale;
        s.floatScale = floatScale;
        s.orientation = orientation;
        return ReadExportMeshes(model.m, s)[0].vertices[1].position;
    };
    EXPECT_EQ(x(0, 10), (Vec3{1, -1, 2}));
    EXPECT_EQ(x(-5, 10), (Vec3{1, -1, 2}));
    EXPECT_EQ(x(10, 46), (Vec3{9.2f, -9.2f, 18.4f}));
    EXPECT_EQ(x(-1, 46), (Vec3{2, -2, 4}));
    EXPECT_EQ(x(-1, 46, 1), (Vec3{2, 2, -4}));
}

TEST(ExportMeshes, GroupsFromTheSettings) {
    Model model;
    model.Mesh("A", 3);
    model.Mesh("HpH", 3);
    model.Mesh("B", 6);
    ExportSettings s;
    s.groupCount = 2;
    s.quantities[0] = 1;
    s.quantities[1] = 1;
    auto meshes = ReadExportMeshes(model.m, s);
    auto p = PartitionMeshes(meshes, s);
    ASSERT_EQ(p.parts.size(), 2u);
    EXPECT_EQ(p.parts[1].partName, "B_lod1");
    EXPECT_EQ(p.parts[1].startVertex, 3);
    EXPECT_EQ(p.headers.at(1).startVertex, 0);
}

TEST(ExportMeshes, ACockpitWithoutCameraMarkerGetsTheDefaultCamera) {
    Model model;
    model.Mesh("cockpit", 3);
    model.Mesh("HpPilot", 3);
    ExportSettings s;
    s.modelType = static_cast<uint16_t>(ModelType::Cockpit);
    s.fovX = 0.645772f;
    s.fovY = 0.514412f;
    s.zNear = 0.05f;
    s.zFar = 5.0f;
    auto meshes = ReadExportMeshes(model.m, s);
    auto p = PartitionMeshes(meshes, s);
    ASSERT_EQ(p.parts.size(), 2u);
    EXPECT_EQ(p.parts[0].meshCount, 1);
    EXPECT_EQ(p.parts[1].partName, "CockpitCamera");
    EXPECT_EQ(p.parts[1].fileName, "CockpitCamera.cam");
    EXPECT_TRUE(p.parts[1].camera);
    EXPECT_EQ(p.parts[1].box, (Box{0.645772f, -0.645772f, 0.514412f, -0.514412f, -0.05f, -5.0f}));
    EXPECT_EQ(meshes.back().materialName, "HpMat");
}

}  // namespace
}  // namespace kx
