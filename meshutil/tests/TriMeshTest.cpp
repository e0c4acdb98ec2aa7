#include <gtest/gtest.h>

#include "TestMeshes.h"
#include "meshutil/DataBuffer.h"
#include "meshutil/VertexFormat.h"

namespace kx::meshutil::test {
namespace {

Status Create(std::uint32_t faces, std::uint32_t vertices, std::uint32_t options,
              std::uint32_t format, Device* device = TestDevice()) {
    TriMesh* mesh = nullptr;
    const Status status = CreateTriMesh(faces, vertices, options, format, device, &mesh);
    EXPECT_EQ(status == STATUS_OK, mesh != nullptr);
    if (mesh != nullptr) {
        EXPECT_EQ(mesh->Release(), 0u);
    }
    return status;
}

TEST(CreateTriMesh, RefusesBadArguments) {
    EXPECT_EQ(Create(1, 3, 0x112, 0x000), STATUS_INVALID_CALL);  // no format
    EXPECT_EQ(Create(1, 3, 0x112, 0x003), STATUS_INVALID_CALL);  // bit 0x001
    EXPECT_EQ(Create(1, 3, 0x112, 0x004), STATUS_INVALID_CALL);  // transformed position
    EXPECT_EQ(Create(1, 3, 0x2000, 0x002), STATUS_INVALID_CALL);
    EXPECT_EQ(Create(1, 3, 0x112, 0x002, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(Create(0, 3, 0x112, 0x002), STATUS_INVALID_CALL);
    EXPECT_EQ(Create(1, 0, 0x112, 0x002), STATUS_INVALID_CALL);
    EXPECT_EQ(CreateTriMesh(1, 3, 0x112, 0x002, TestDevice(), nullptr), STATUS_INVALID_CALL);
}

TEST(CreateTriMesh, SixteenBitCountsStopBelowTheUnusedMarker) {
    EXPECT_EQ(Create(65534, 65534, 0x112, 0x002), STATUS_OK);
    EXPECT_EQ(Create(65535, 3, 0x112, 0x002), STATUS_INVALID_CALL);
    EXPECT_EQ(Create(1, 65535, 0x112, 0x002), STATUS_INVALID_CALL);
    EXPECT_EQ(Create(65535, 65535, 0x113, 0x002), STATUS_OK);
}

TEST(CreateTriMesh, StartsZeroFilledWithTheGivenLayout) {
    TriMesh* raw = nullptr;
    ASSERT_EQ(CreateTriMesh(2, 4, 0x113, 0x012, TestDevice(), &raw), STATUS_OK);
    TriMeshPtr mesh(raw);
    EXPECT_EQ(mesh->GetFaceCount(), 2u);
    EXPECT_EQ(mesh->GetVertexCount(), 4u);
    EXPECT_EQ(mesh->GetVertexFormat(), 0x012u);
    EXPECT_EQ(mesh->GetVertexStride(), 24u);
    EXPECT_EQ(mesh->GetDevice(), TestDevice());
    void* indices = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0x800, &indices), STATUS_OK);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(static_cast<std::uint32_t*>(indices)[i], 0u);  // 32-bit entries
    }
    EXPECT_EQ(mesh->UnlockIndexBuffer(), STATUS_OK);
    EXPECT_EQ(mesh->UnlockIndexBuffer(), STATUS_INVALID_CALL);
    EXPECT_EQ(mesh->LockVertexBuffer(0, nullptr), STATUS_INVALID_CALL);
    EXPECT_EQ(mesh->AddRef(), 2u);
    EXPECT_EQ(mesh->Release(), 1u);
}

TEST(VertexFormatSize, FollowsThePositionNormalAndTextureRules) {
    EXPECT_EQ(VertexFormatSize(0x002), 12u);
    EXPECT_EQ(VertexFormatSize(0x012), 24u);
    EXPECT_EQ(VertexFormatSize(0x00E), 32u);
    EXPECT_EQ(VertexFormatSize(0x0E2), 24u);                 // psize, diffuse, specular
    EXPECT_EQ(VertexFormatSize(0x212), 40u);                 // two 2D sets
    EXPECT_EQ(VertexFormatSize(0x16212), 0 + 12 + 12 + 8u);  // unknown position part counts 0
    EXPECT_EQ(VertexFormatSize(0x70302), 12 + 4 + 12 + 8u);  // set sizes from the high bits
    // Fifteen sets: only eight have a size field, the rest count 8 bytes.
    EXPECT_EQ(VertexFormatSize(0xBFFF0F02), 12 + 7 * 4 + 16 + 7 * 8u);
}

TEST(DataBuffer, HoldsItsSizeAndCountsReferences) {
    DataBuffer* buffer = nullptr;
    EXPECT_EQ(CreateDataBuffer(10, nullptr), STATUS_INVALID_CALL);
    ASSERT_EQ(CreateDataBuffer(24 * 3, &buffer), STATUS_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 72u);
    ASSERT_NE(buffer->GetBufferPointer(), nullptr);
    static_cast<std::uint32_t*>(buffer->GetBufferPointer())[17] = 5;  // last word is writable
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    EXPECT_EQ(buffer->Release(), 0u);
}

}  // namespace
}  // namespace kx::meshutil::test
