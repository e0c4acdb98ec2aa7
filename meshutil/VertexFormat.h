#pragma once

#include <cstdint>

namespace kx::meshutil {

// Vertex format codes follow the flexible-vertex-format bit layout of the
// device API the collision exporter targets.
inline constexpr std::uint32_t FVF_POSITION_MASK = 0x400E;
inline constexpr std::uint32_t FVF_XYZ = 0x002;
inline constexpr std::uint32_t FVF_XYZRHW = 0x004;
inline constexpr std::uint32_t FVF_NORMAL = 0x010;
inline constexpr std::uint32_t FVF_PSIZE = 0x020;
inline constexpr std::uint32_t FVF_DIFFUSE = 0x040;
inline constexpr std::uint32_t FVF_SPECULAR = 0x080;

// Bytes per vertex for a format code (a code without a known position part
// counts 0 bytes for its position).
std::uint32_t VertexFormatSize(std::uint32_t code);

// True when the code starts its vertices with three float32 coordinates.
bool HasPosition(std::uint32_t code);

}  // namespace kx::meshutil
