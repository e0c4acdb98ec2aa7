// Mesh data blocks and mesh references: hand-written bytes decode to the
// fields they spell, encoding gives the same bytes back, and damaged blocks
// are refused with a message instead of being read past their end.

#include <gtest/gtest.h>

#include "meshdata/VMeshData.h"
#include "meshdata/VMeshRef.h"
#include "testsupport/LittleEndian.h"

namespace kx {
namespace {

using test::Le;

// One mesh (material 0x1a2b3c4d), one triangle, one 32-byte vertex:
// position (1, 0.5, -1), normal (0, 1, 0), uv (0.5, 1).
const std::vector<uint8_t> kSmallBlock = {
    0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,  // header words 1, 4
    0x01, 0x00, 0x03, 0x00, 0x12, 0x01, 0x01, 0x00,  // M 1, I 3, format 0x112, V 1
    0x4d, 0x3c, 0x2b, 0x1a, 0x00, 0x00, 0x00, 0x00,  // material, start 0, end 0
    0x03, 0x00, 0xcc, 0x00,                          // 3 indices, padding
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // triangle 0 0 0
    0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x80, 0xbf,  // position
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,  // normal
    0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x80, 0x3f,                          // uv
};

VMeshBlock SmallBlock() {
    VMeshBlock b;
    b.indexCount = 3;
    b.meshes = {{0x1a2b3c4d, 0, 0, 3, 0xcc}};
    b.triangles = {{0, 0, 0}};
    VMeshVertex v;
    v.position = {1.0f, 0.5f, -1.0f};
    v.normal = {0.0f, 1.0f, 0.0f};
    v.uv = {0.5f, 1.0f};
    b.vertices = {v};
    return b;
}

void ExpectSameBlock(const VMeshBlock& a, const VMeshBlock& b) {
    EXPECT_EQ(a.headerWord1, b.headerWord1);
    EXPECT_EQ(a.headerWord2, b.headerWord2);
    EXPECT_EQ(a.indexCount, b.indexCount);
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.meshes, b.meshes);
    EXPECT_EQ(a.triangles, b.triangles);
    EXPECT_EQ(a.vertices, b.vertices);
}

// A header and nothing else but `tail`.
std::vector<uint8_t> Block(uint16_t meshes, uint16_t indices, uint16_t format, uint16_t vertices,
                           const std::vector<uint8_t>& tail = {}) {
    Le le;
    le.u32(1).u32(4).u16(meshes).u16(indices).u16(format).u16(vertices);
    le.bytes.insert(le.bytes.end(), tail.begin(), tail.end());
    return le.bytes;
}

TEST(VMeshData, HandWrittenBlockDecodesAndEncodesBack) {
    auto result = DecodeVMeshData(kSmallBlock);
    ASSERT_TRUE(result.Ok()) << result.Reason();
    ExpectSameBlock(*result, SmallBlock());

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeVMeshData(SmallBlock(), bytes));
    EXPECT_EQ(bytes, kSmallBlock);
}

TEST(VMeshData, EveryPrefixOfABlockIsRefusedWithAMessage) {
    for (size_t n = 0; n < kSmallBlock.size(); ++n) {
        std::vector<uint8_t> prefix(kSmallBlock.begin(), kSmallBlock.begin() + n);
        auto result = DecodeVMeshData(prefix);
        EXPECT_EQ(result.GetFault(), Fault::Damaged) << n;
        EXPECT_FALSE(result.Reason().empty()) << n;
    }
    EXPECT_EQ(DecodeVMeshData({kSmallBlock.data(), 15}).Reason(),
              "The mesh data block is too short for its header (15 of 16 bytes)");
    EXPECT_EQ(DecodeVMeshData({kSmallBlock.data(), 65}).Reason(),
              "The mesh data block is too short for its counts (1 meshes, 3 indices, 1 "
              "vertices need 66 bytes, it has 65)");
}

TEST(VMeshData, StrideIsTheSumOfTheElementsPresent) {
    EXPECT_EQ(VMeshVertexStride(0x112), 32u);
    EXPECT_EQ(VMeshVertexStride(0x152), 36u);
    EXPECT_EQ(VMeshVertexStride(0x002), 12u);
    EXPECT_EQ(VMeshVertexStride(0x302), 36u);
    EXPECT_EQ(VMeshVertexStride(0x352), 52u);
}

TEST(VMeshData, ColourSitsBetweenNormalAndTextureCoordinates) {
    auto tail = Le().f32s({1, 2, 3, 4, 5, 6}).u32(0x80ff2010).f32s({0.25f, 0.75f}).bytes;
    auto result = DecodeVMeshData(Block(0, 0, 0x152, 1, tail));
    ASSERT_TRUE(result.Ok()) << result.Reason();
    const VMeshVertex& v = result->vertices.at(0);
    EXPECT_EQ(v.normal, (std::array<float, 3>{4, 5, 6}));
    EXPECT_EQ(v.diffuse, 0x80ff2010u);
    EXPECT_EQ(v.uv, (std::array<float, 2>{0.25f, 0.75f}));
}

TEST(VMeshData, WithBothTextureBitsTheSetReadLastWins) {
    // Position, then the 8-byte set (9, 9), then the 16-byte sets.
    auto tail = Le().f32s({1, 2, 3}).f32s({9, 9}).f32s({5, 6, 7, 8}).bytes;
    auto result = DecodeVMeshData(Block(0, 0, 0x302, 1, tail));
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_EQ(result->vertices[0].uv, (std::array<float, 2>{5, 6}));
    EXPECT_EQ(result->vertices[0].uv2, (std::array<float, 2>{7, 8}));
}

TEST(VMeshData, IndicesBeyondAWholeTriangleAreNotRead) {
    // I = 4 means one triangle; the block carries no room for a fourth index.
    auto tail = Le().u16(1).u16(2).u16(3).f32s({0, 0, 0}).bytes;
    auto result = DecodeVMeshData(Block(0, 4, 0x002, 1, tail));
    ASSERT_TRUE(result.Ok()) << result.Reason();
    EXPECT_EQ(result->indexCount, 4);
    ASSERT_EQ(result->triangles.size(), 1u);
    EXPECT_EQ(result->triangles[0], (VMeshTriangle{1, 2, 3}));
}

TEST(VMeshData, UnknownFormatBitsAndHugeCountsAreRefused) {
    auto tail = std::vector<uint8_t>(64, 0);
    for (uint16_t format : {0x004, 0x008, 0x080, 0x400, 0x8112}) {
        auto result = DecodeVMeshData(Block(0, 0, format, 1, tail));
        EXPECT_EQ(result.GetFault(), Fault::Refused) << format;
    }
    EXPECT_EQ(DecodeVMeshData(Block(0, 0, 0x116, 0)).Reason(),
              "The mesh data block has an unknown vertex format 0x116");
    // Counts far beyond the bytes are refused before anything is allocated.
    EXPECT_EQ(DecodeVMeshData(Block(0xFFFF, 0xFFFF, 0x352, 0xFFFF)).GetFault(), Fault::Damaged);
    EXPECT_FALSE(DecodeVMeshData(Block(0, 0, 0x112, 2, std::vector<uint8_t>(63))).Ok());
}

TEST(VMeshData, FormatsWithoutAPositionAreDamaged) {
    // Such vertices take no bytes: 16 bytes claimed 65535 of them.
    for (uint16_t format : {0x000, 0x010, 0x110, 0x350}) {
        auto result = DecodeVMeshData(Block(0, 0, format, 0xFFFF));
        EXPECT_EQ(result.GetFault(), Fault::Damaged) << format;
    }
    EXPECT_EQ(DecodeVMeshData(Block(0, 0, 0x110, 1)).Reason(),
              "The mesh data block has a vertex format without a position (0x110)");
    std::vector<uint8_t> bytes;
    VMeshBlock b;
    b.format = 0x110;
    EXPECT_FALSE(EncodeVMeshData(b, bytes));
}

TEST(VMeshData, EveryFormatSurvivesARoundTrip) {
    for (uint16_t format : {0x002, 0x012, 0x102, 0x112, 0x152, 0x202, 0x302, 0x352}) {
        VMeshBlock b;
        b.format = format;
        b.indexCount = 6;
        b.meshes = {{7, 0, 1, 3, 0xcc}, {0, 2, 2, 3, 0xcc}};
        b.triangles = {{0, 1, 1}, {2, 0, 0}};
        for (int i = 0; i < 3; ++i) {
            VMeshVertex v;
            float f = static_cast<float>(i);
            if (format & kFvfPosition) {
                v.position = {f, f + 1, f + 2};
            }
            if (format & kFvfNormal) {
                v.normal = {-f, 0.5f, 1};
            }
            if (format & kFvfDiffuse) {
                v.diffuse = 0xff000000u + i;
            }
            if (format & (kFvfTex1 | kFvfTex2)) {
                v.uv = {f / 4, 1 - f};
            }
            if (format & kFvfTex2) {
                v.uv2 = {f * 2, -f};
            }
            b.vertices.push_back(v);
        }
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(EncodeVMeshData(b, bytes)) << format;
        EXPECT_EQ(bytes.size(), 16 + 2 * 12 + 2 * 6 + 3 * VMeshVertexStride(format));
        auto result = DecodeVMeshData(bytes);
        ASSERT_TRUE(result.Ok()) << result.Reason();
        ExpectSameBlock(*result, b);
    }
}

TEST(VMeshData, EncodingRefusesCountsBeyondSixteenBits) {
    std::vector<uint8_t> bytes;
    VMeshBlock b;
    b.vertices.resize(65536);
    EXPECT_FALSE(EncodeVMeshData(b, bytes));
    b.vertices.resize(65535);
    EXPECT_TRUE(EncodeVMeshData(b, bytes));
    b.triangles.resize(21846);
    EXPECT_FALSE(EncodeVMeshData(b, bytes));
    b.triangles.resize(21845);
    b.format = 0x116;
    EXPECT_FALSE(EncodeVMeshData(b, bytes));
}

// Library 0x5e6f7a8b, start vertex 4, 16 vertices, start index 6, 36
// indices, start mesh 1, 2 meshes; box (1 -1 1 -1 1 -1), centre (0 0 0.5),
// radius 2.
const std::vector<uint8_t> kRef = {
    0x3c, 0x00, 0x00, 0x00, 0x8b, 0x7a, 0x6f, 0x5e, 0x04, 0x00, 0x10, 0x00, 0x06, 0x00, 0x24,
    0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x80, 0xbf, 0x00, 0x00,
    0x80, 0x3f, 0x00, 0x00, 0x80, 0xbf, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x80, 0xbf, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x00, 0x40,
};

TEST(VMeshRef, HandWrittenReferenceDecodesAndEncodesBack) {
    VMeshRef expected;
    expected.libraryId = 0x5e6f7a8b;
    expected.startVertex = 4;
    expected.vertexCount = 16;
    expected.startIndex = 6;
    expected.indexCount = 36;
    expected.startMesh = 1;
    expected.meshCount = 2;
    expected.box = {1, -1, 1, -1, 1, -1};
    expected.centre = {0, 0, 0.5f};
    expected.radius = 2;

    auto result = DecodeVMeshRef(kRef);
    ASSERT_TRUE(result) << result.Reason();
    EXPECT_EQ(*result, expected);
    EXPECT_EQ(EncodeVMeshRef(expected), kRef);
}

TEST(VMeshRef, TheRangeAloneIsEnoughButLessIsRefused) {
    auto range = DecodeVMeshRef({kRef.data(), 20});
    ASSERT_TRUE(range);
    EXPECT_FALSE(range->hasBounds);
    EXPECT_EQ(range->meshCount, 2);
    auto shorter = DecodeVMeshRef({kRef.data(), 19});
    EXPECT_FALSE(shorter);
    EXPECT_EQ(shorter.Reason(), "The mesh reference is too short (19 of 60 bytes)");
}

}  // namespace
}  // namespace kx
