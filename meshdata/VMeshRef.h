#pragma once
// The 60-byte mesh reference ("VMeshRef" leaf) by which a model part selects
// its range of a mesh data block.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"

namespace kx {

inline constexpr uint32_t kVMeshRefSize = 60;
// The importer needs only the fields before the box; the box, centre and
// radius after them are never read back by it.
inline constexpr uint32_t kVMeshRefRangeSize = 20;

struct VMeshRef {
    uint32_t recordSize = kVMeshRefSize;
    uint32_t libraryId = 0;  // NameHash of the folder holding the block; 0 = no data
    uint16_t startVertex = 0;
    uint16_t vertexCount = 0;
    uint16_t startIndex = 0;  // counted in indices, 3 per triangle
    uint16_t indexCount = 0;
    uint16_t startMesh = 0;
    uint16_t meshCount = 0;
    // max x, min x, max y, min y, max z, min z
    std::array<float, 6> box{};
    std::array<float, 3> centre{};
    float radius = 0.0f;
    // Whether the bytes decoded held the box, centre and radius.
    bool hasBounds = true;

    bool operator==(const VMeshRef&) const = default;
};

std::vector<uint8_t> EncodeVMeshRef(const VMeshRef& ref);

// Needs the 20 bytes of the range (Fault::Damaged with fewer); the bounds are
// read when all 60 bytes are there (`hasBounds`).
Result<VMeshRef> DecodeVMeshRef(std::span<const uint8_t> bytes);

}  // namespace kx
