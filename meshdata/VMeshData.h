#pragma once
// The mesh data block stored in a "VMeshData" leaf: the vertices, triangles
// and per-material mesh records of one level of detail, which the parts of a
// model select ranges of through their mesh references.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "base/VertexFormat.h"

namespace kx {

// The vertex format bits this layout knows.
inline constexpr uint16_t kFvfPosition = fvf::kXyz;
inline constexpr uint16_t kFvfNormal = fvf::kNormal;
inline constexpr uint16_t kFvfDiffuse = fvf::kDiffuse;
inline constexpr uint16_t kFvfTex1 = fvf::kTex1;
inline constexpr uint16_t kFvfTex2 = fvf::kTex2;
inline constexpr uint16_t kFvfKnown = kFvfPosition | kFvfNormal | kFvfDiffuse | kFvfTex1 | kFvfTex2;
// What the exporter writes: position, normal, one texture coordinate set.
inline constexpr uint16_t kFvfExport = kFvfPosition | kFvfNormal | kFvfTex1;

inline constexpr size_t kVMeshHeaderSize = 16;
inline constexpr size_t kVMeshRecordSize = 12;
inline constexpr size_t kVMeshTriangleSize = 6;
inline constexpr uint16_t kVMeshRecordPadding = 0x00CC;
// The counts are 16-bit: one block holds at most this many of each, and
// 65535 indices make 21845 triangles.
inline constexpr uint32_t kVMeshMaxCount = 65535;
inline constexpr uint32_t kVMeshMaxTriangles = kVMeshMaxCount / 3;

struct VMeshRecord {
    uint32_t materialId = 0;  // NameHash of the material name; 0 = none
    uint16_t startVertex = 0;
    uint16_t endVertex = 0;
    uint16_t indexCount = 0;  // 3 x the mesh's triangles
    uint16_t padding = kVMeshRecordPadding;

    bool operator==(const VMeshRecord&) const = default;
};

using VMeshTriangle = std::array<uint16_t, 3>;

// One vertex with every element a format can hold; the block's format says
// which of them the file had.
struct VMeshVertex {
    std::array<float, 3> position{};
    std::array<float, 3> normal{};
    uint32_t diffuse = 0;
    std::array<float, 2> uv{};
    std::array<float, 2> uv2{};

    bool operator==(const VMeshVertex&) const = default;
};

struct VMeshBlock {
    uint32_t headerWord1 = 1;
    uint32_t headerWord2 = 4;
    // The stored index count; the block holds indexCount / 3 triangles. On
    // encoding it is recomputed from the triangles.
    uint16_t indexCount = 0;
    uint16_t format = kFvfExport;
    std::vector<VMeshRecord> meshes;
    std::vector<VMeshTriangle> triangles;
    std::vector<VMeshVertex> vertices;
};

// Bytes per vertex for a format: the sum of the sizes of its known elements;
// the two texture bits read as a count of two-float sets (1, 2 or 3).
size_t VMeshVertexStride(uint16_t format);

// The block's bytes; false (and `out` untouched) when a count does not fit
// its 16-bit field, or the format has bits this layout does not know or no
// position (blocks the decoder would refuse).
bool EncodeVMeshData(const VMeshBlock& block, std::vector<uint8_t>& out);

// Reads a block from exactly these bytes; nothing outside them is read, and
// bytes after the vertex array are ignored. A format with unknown bits gives
// Refused; a block too short for its header or its counts, or whose format
// has no position, Damaged (such vertices would take no bytes, so a few
// bytes could claim 65535 of them).
Result<VMeshBlock> DecodeVMeshData(std::span<const uint8_t> bytes);

}  // namespace kx
