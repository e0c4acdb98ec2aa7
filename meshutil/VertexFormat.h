#pragma once

#include <cstdint>

#include "base/VertexFormat.h"

namespace kx::meshutil {

// Vertex format codes follow the flexible-vertex-format bit layout of the
// device API the collision exporter targets.
inline constexpr std::uint32_t FVF_POSITION_MASK = fvf::kPositionMask;
inline constexpr std::uint32_t FVF_XYZ = fvf::kXyz;
inline constexpr std::uint32_t FVF_XYZRHW = fvf::kXyzRhw;
inline constexpr std::uint32_t FVF_NORMAL = fvf::kNormal;
inline constexpr std::uint32_t FVF_PSIZE = fvf::kPointSize;
inline constexpr std::uint32_t FVF_DIFFUSE = fvf::kDiffuse;
inline constexpr std::uint32_t FVF_SPECULAR = fvf::kSpecular;

// Bytes per vertex for a format code (a code without a known position part
// counts 0 bytes for its position).
std::uint32_t VertexFormatSize(std::uint32_t code);

// True when the code starts its vertices with three float32 coordinates.
bool HasPosition(std::uint32_t code);

// Number of texture coordinate sets the code names (up to 15).
constexpr std::uint32_t TexSetCount(std::uint32_t code) {
    return (code & fvf::kTexCountMask) >> fvf::kTexCountShift;
}

// The size field of texture set `set`. Only eight sets have one; later sets
// read as field 0, like every set of a code without the high bits.
constexpr std::uint32_t TexSetSizeField(std::uint32_t code, std::uint32_t set) {
    const std::uint32_t shift = fvf::kTexSizeFieldShift + 2 * set;
    return shift < 32 ? (code >> shift) & 3 : 0;
}

}  // namespace kx::meshutil
