// Dividing meshes into parts and writing their mesh data block.

#include <gtest/gtest.h>

#include "container/NameHash.h"
#include "meshdata/MeshPartition.h"
#include "meshdata/VMeshRange.h"
#include "testsupport/LittleEndian.h"

namespace kx {
namespace {

using test::Le;

// A mesh of `vertices` vertices along x and one triangle per three of them.
ExportMesh Mesh(const std::string& name, size_t vertices, const std::string& material = "mat") {
    ExportMesh m;
    SetMeshName(m, name);
    m.materialName = material;
    for (size_t i = 0; i < vertices; ++i) {
        ExportVertex v;
        v.position = {static_cast<float>(i), 0, 0};
        m.vertices.push_back(v);
    }
    for (size_t i = 0; i + 2 < vertices; i += 3) {
        auto first = static_cast<uint16_t>(i);  // wraps past 65535, as host indices would
        m.triangles.push_back(
            {first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2)});
    }
    m.box = MeasureBox(m.vertices);
    return m;
}

std::vector<uint8_t> Written(const std::vector<ExportMesh>& meshes, const MeshPartition& p) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteMeshBlock(meshes, p, bytes));
    return bytes;
}

TEST(MeshPartition, SinglePartStartVerticesCountOn) {
    std::vector<ExportMesh> meshes = {Mesh("a", 3), Mesh("HpGun", 3), Mesh("b", 5)};
    auto p = PartitionSinglePart(meshes);
    ASSERT_EQ(p.headers.size(), 2u);
    EXPECT_EQ(p.headers[0].startVertex, 0);
    EXPECT_EQ(p.headers[0].endVertex, 2);
    EXPECT_EQ(p.headers[1].startVertex, 3);
    EXPECT_EQ(p.headers[1].endVertex, 7);
    EXPECT_EQ(p.headers[1].indexCount, 3);
    EXPECT_TRUE(p.parts.empty());
    EXPECT_EQ(p.summary.vertexCount, 8);
    EXPECT_EQ(p.summary.meshCount, 2);
    EXPECT_EQ(p.summary.indexCount, 6);

    auto block = DecodeVMeshData(Written(meshes, p));
    ASSERT_TRUE(block.Ok()) << block.Reason();
    EXPECT_EQ(block->vertices.size(), 8u);
}

TEST(MeshPartition, SinglePartBoxAlwaysHoldsTheOrigin) {
    std::vector<ExportMesh> meshes = {Mesh("a", 3), Mesh("b", 3)};
    for (ExportMesh& m : meshes) {
        for (ExportVertex& v : m.vertices) {
            v.position[0] += 5;
        }
        m.box = MeasureBox(m.vertices);
    }
    EXPECT_EQ(PartitionSinglePart(meshes).summary.box, (Box{7, 0, 0, 0, 0, 0}));
}

TEST(MeshPartition, GroupsSkipHardpointsWhichNeverCount) {
    std::vector<ExportMesh> meshes = {Mesh("A", 3), Mesh("HpH", 4), Mesh("B", 6)};
    const int32_t quantities[] = {1, 1};
    auto p = PartitionGroups(meshes, quantities);
    ASSERT_EQ(p.parts.size(), 2u);
    const ExportPart& a = p.parts[0];
    const ExportPart& b = p.parts[1];
    EXPECT_EQ(a.partName, "A_lod1");
    EXPECT_EQ(a.fileName, "A_lod1.3db");
    EXPECT_EQ(b.partName, "B_lod1");
    EXPECT_EQ(b.startVertex, 3);
    EXPECT_EQ(b.vertexCount, 6);
    EXPECT_EQ(b.startIndex, 3);
    EXPECT_EQ(b.indexCount, 6);
    EXPECT_EQ(b.startMesh, 1);
    EXPECT_EQ(b.meshCount, 1);
    EXPECT_EQ(b.box, (Box{5, 0, 0, 0, 0, 0}));
    ASSERT_EQ(p.headers.size(), 2u);
    EXPECT_EQ(p.headers[1].startVertex, 0);
    EXPECT_EQ(p.headers[1].endVertex, 5);
}

TEST(MeshPartition, APartsBoxCoversAllItsMeshes) {
    std::vector<ExportMesh> meshes = {Mesh("A", 3), Mesh("B", 3), Mesh("C", 3)};
    meshes[1].box = Box{1, -4, 2, 0, 0, -1};
    const int32_t quantities[] = {2, 1};
    auto p = PartitionGroups(meshes, quantities);
    EXPECT_EQ(p.parts[0].box, (Box{2, -4, 2, 0, 0, -1}));
    EXPECT_EQ(p.parts[0].meshCount, 2);
    EXPECT_EQ(p.headers[1].startVertex, 3);
    EXPECT_EQ(p.headers[2].startVertex, 0);
}

TEST(MeshPartition, MeshesLeftAfterTheLastGroupContinueItsNumbering) {
    std::vector<ExportMesh> meshes = {Mesh("A", 3), Mesh("B", 4), Mesh("C", 3)};
    const int32_t quantities[] = {1, 1};
    auto p = PartitionGroups(meshes, quantities);
    ASSERT_EQ(p.headers.size(), 3u);
    EXPECT_EQ(p.headers[2].startVertex, 4);
    EXPECT_EQ(p.parts[1].meshCount, 1);
}

// A mesh without triangles draws nothing: no record (whose range would end
// before it starts), no vertices, no box; it still counts in its group and
// still names the part it comes first in.
TEST(MeshPartition, MeshesWithoutTrianglesAreLeftOut) {
    std::vector<ExportMesh> meshes = {Mesh("bare", 2), Mesh("A", 3), Mesh("B", 3), Mesh("none", 0)};
    for (ExportVertex& v : meshes[1].vertices) {
        v.position[1] = 5;
    }
    meshes[1].box = MeasureBox(meshes[1].vertices);
    const int32_t quantities[] = {2, 2};
    auto p = PartitionGroups(meshes, quantities);
    ASSERT_EQ(p.parts.size(), 2u);
    EXPECT_EQ(p.parts[0].partName, "bare_lod1");
    EXPECT_EQ(p.parts[0].meshCount, 1);
    EXPECT_EQ(p.parts[0].vertexCount, 3);
    EXPECT_EQ(p.parts[0].box, (Box{2, 0, 5, 5, 0, 0}));  // not stretched to the origin
    EXPECT_EQ(p.parts[1].partName, "B_lod1");
    EXPECT_EQ(p.parts[1].startVertex, 3);
    EXPECT_EQ(p.parts[1].meshCount, 1);
    EXPECT_EQ(p.headers, (std::vector<VMeshRecord>{{NameHash("mat"), 0, 2, 3, 0xCC},
                                                   {NameHash("mat"), 0, 2, 3, 0xCC}}));
    auto block = DecodeVMeshData(Written(meshes, p));
    ASSERT_TRUE(block.Ok()) << block.Reason();
    EXPECT_EQ(block->vertices.size(), 6u);

    auto single = PartitionSinglePart(meshes);
    EXPECT_EQ(single.headers.size(), 2u);
    EXPECT_EQ(single.summary.meshCount, 2);
    EXPECT_EQ(single.summary.vertexCount, 6);
    EXPECT_EQ(single.headers[1].startVertex, 3);
}

TEST(MeshPartition, CockpitCameraIsTheSecondPartWithoutGeometry) {
    std::vector<ExportMesh> meshes = {Mesh("cockpit", 3), Mesh("Hp_Camera_Eye", 3),
                                      Mesh("glass", 3)};
    ExportMesh camera;
    camera.name = "Hfov|Eye";
    camera.materialName = "HpMat";
    camera.box = Box{0.6f, -0.6f, 0.5f, -0.5f, -0.05f, -5};
    auto p = PartitionCockpit(meshes, camera);
    ASSERT_EQ(meshes.size(), 4u);
    EXPECT_TRUE(meshes[3].synthetic);
    ASSERT_EQ(p.parts.size(), 2u);
    EXPECT_EQ(p.parts[0].meshCount, 2);
    EXPECT_EQ(p.parts[0].partName, "cockpit_lod1");
    const ExportPart& cam = p.parts[1];
    EXPECT_EQ(cam.partName, "Eye");
    EXPECT_EQ(cam.fileName, "Eye.cam");
    EXPECT_TRUE(cam.camera);
    EXPECT_EQ(cam.box, camera.box);
    EXPECT_EQ(cam.meshCount, 0);
    EXPECT_EQ(cam.startVertex, 6);
    EXPECT_EQ(p.headers.size(), 2u);
}

TEST(MeshPartition, LongNamesAreCutSoTheFileNameKeepsItsExtension) {
    std::vector<ExportMesh> meshes = {Mesh(std::string(100, 'x'), 3)};
    const int32_t quantities[] = {1};
    auto part = PartitionGroups(meshes, quantities).parts.at(0);
    EXPECT_EQ(part.fileName, std::string(70, 'x') + "_lod1.3db");
    EXPECT_EQ(part.partName, std::string(70, 'x') + "_lod1");
}

TEST(MeshPartition, OnlyHardpointsGiveAnEmptyBlock) {
    std::vector<ExportMesh> meshes = {Mesh("HpA", 3), Mesh("hpB", 3)};
    auto expected = Le().u32(1).u32(4).u16(0).u16(0).u16(0x112).u16(0).bytes;
    EXPECT_EQ(Written(meshes, PartitionSinglePart(meshes)), expected);
}

TEST(MeshPartition, BlockBytesOfOneTriangle) {
    ExportMesh m;
    SetMeshName(m, "hull");
    m.materialName = "Steel";
    const HostVertex vertices[] = {{{0, 0, 0}, 0, 1}, {{92, 0, 0}, 1, 1}, {{0, 92, 0}, 0, 0}};
    const std::array<uint16_t, 3> triangles[] = {{0, 1, 2}};
    SetMeshGeometry(m, vertices, triangles, 92, 1);
    std::vector<ExportMesh> meshes = {m};

    // Normal (0, 0, 1) everywhere; positions divided by 92.
    Le expected;
    expected.u32(1).u32(4).u16(1).u16(3).u16(0x112).u16(3);
    expected.u32(NameHash("Steel")).u16(0).u16(2).u16(3).u16(0xcc);
    expected.u16(0).u16(1).u16(2);
    expected.f32s({0, 0, 0, 0, 0, 1, 0, 1});
    expected.f32s({1, 0, 0, 0, 0, 1, 1, 1});
    expected.f32s({0, 1, 0, 0, 0, 1, 0, 0});
    EXPECT_EQ(Written(meshes, PartitionSinglePart(meshes)), expected.bytes);
}

TEST(MeshPartition, EachPartsRangeReadsBackItsOwnMeshes) {
    std::vector<ExportMesh> meshes = {Mesh("A", 4, "one"), Mesh("HpX", 3), Mesh("B", 7, ""),
                                      Mesh("C", 6, "two")};
    for (size_t i = 0; i < meshes.size(); ++i) {
        for (ExportVertex& v : meshes[i].vertices) {
            v.position[1] = static_cast<float>(i);  // tells the meshes apart
        }
    }
    const int32_t quantities[] = {2, 1};
    auto p = PartitionGroups(meshes, quantities);
    auto result = DecodeVMeshData(Written(meshes, p));
    ASSERT_TRUE(result.Ok()) << result.Reason();
    const VMeshBlock& b = *result;
    EXPECT_EQ(b.meshes, p.headers);
    EXPECT_EQ(b.meshes[1].materialId, 0u);

    const std::vector<std::vector<const ExportMesh*>> expected = {{&meshes[0], &meshes[2]},
                                                                  {&meshes[3]}};
    ASSERT_EQ(p.parts.size(), expected.size());
    for (size_t part = 0; part < p.parts.size(); ++part) {
        const ExportPart& ep = p.parts[part];
        VMeshRef ref;
        ref.startVertex = ep.startVertex;
        ref.startIndex = ep.startIndex;
        ref.startMesh = ep.startMesh;
        ref.meshCount = ep.meshCount;
        auto range = SelectVMeshRange(b, ref);
        ASSERT_TRUE(range) << range.Reason();
        const std::vector<VMeshRangeMesh>& meshes = *range;
        ASSERT_EQ(meshes.size(), expected[part].size());
        for (size_t m = 0; m < meshes.size(); ++m) {
            const ExportMesh& source = *expected[part][m];
            ASSERT_EQ(meshes[m].triangles.size(), source.triangles.size());
            EXPECT_EQ(meshes[m].materialId, NameHash(source.materialName));
            for (size_t t = 0; t < source.triangles.size(); ++t) {
                for (size_t k = 0; k < 3; ++k) {
                    EXPECT_EQ(b.vertices[meshes[m].triangles[t][k]].position,
                              source.vertices[source.triangles[t][k]].position);
                }
            }
        }
    }
}

TEST(MeshPartition, AModelTooLargeForOneBlockIsRefused) {
    std::vector<ExportMesh> meshes = {Mesh("a", 65535)};
    EXPECT_TRUE(CheckBlockFits(meshes).Ok());  // 21845 triangles, at the limit
    meshes.push_back(Mesh("HpBig", 70000));    // hardpoints hold no geometry
    EXPECT_TRUE(CheckBlockFits(meshes).Ok());
    meshes.push_back(Mesh("b", 1));  // no triangles: left out, so no geometry either
    EXPECT_TRUE(CheckBlockFits(meshes).Ok());
    meshes[0] = Mesh("a", 65534);
    meshes.push_back(Mesh("c", 3));
    EXPECT_EQ(CheckBlockFits(meshes).GetFault(), Fault::Refused);
    EXPECT_EQ(CheckBlockFits(meshes).Reason(),
              "The model is too large for one mesh data block (65537 vertices, 21845 "
              "triangles; at most 65535 vertices and 21845 triangles)");
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(WriteMeshBlock(meshes, PartitionSinglePart(meshes), bytes));
    EXPECT_TRUE(bytes.empty());

    std::vector<ExportMesh> triangles = {Mesh("a", 3 * 21846)};
    EXPECT_NE(CheckBlockFits(triangles).Reason().find("(65538 vertices, 21846 "),
              std::string::npos);
}

}  // namespace
}  // namespace kx
