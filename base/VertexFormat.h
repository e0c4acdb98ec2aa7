#pragma once
// Vertex format codes: the bit layout of the device API's flexible vertex
// format, which the mesh data blocks store and the collision exporter's mesh
// work uses, and the size in bytes of each element a code can name. The
// mesh data block and the mesh utilities each have their own rule for which
// codes they take; both build vertex sizes from this one table.

#include <cstdint>

namespace kx::fvf {

// The position part: plain x, y, z; transformed x, y, z, rhw; x, y, z with
// one to five blend weights (codes 0x006 to 0x00E).
inline constexpr std::uint32_t kPositionMask = 0x400E;
inline constexpr std::uint32_t kXyz = 0x002;
inline constexpr std::uint32_t kXyzRhw = 0x004;

inline constexpr std::uint32_t kNormal = 0x010;
inline constexpr std::uint32_t kPointSize = 0x020;
inline constexpr std::uint32_t kDiffuse = 0x040;
inline constexpr std::uint32_t kSpecular = 0x080;

// Bits 8 to 11 count the texture coordinate sets.
inline constexpr std::uint32_t kTexCountMask = 0xF00;
inline constexpr std::uint32_t kTexCountShift = 8;
inline constexpr std::uint32_t kTex1 = 0x100;
inline constexpr std::uint32_t kTex2 = 0x200;

// Element sizes in bytes.
inline constexpr std::uint32_t kXyzBytes = 12;
inline constexpr std::uint32_t kNormalBytes = 12;
inline constexpr std::uint32_t kPointSizeBytes = 4;
inline constexpr std::uint32_t kDiffuseBytes = 4;  // one packed colour
inline constexpr std::uint32_t kSpecularBytes = 4;

// Bytes of the position part named by a code's position bits; 0 for bits
// that name no position part.
constexpr std::uint32_t PositionBytes(std::uint32_t code) {
    switch (code & kPositionMask) {
        case kXyz:
            return kXyzBytes;
        case kXyzRhw:
            return kXyzBytes + 4;
        case 0x006:
        case 0x008:
        case 0x00A:
        case 0x00C:
        case 0x00E:
            return kXyzBytes + 4 * (((code & kPositionMask) - kXyzRhw) / 2);
        default:
            return 0;
    }
}

// Floats in one texture coordinate set by its two-bit size field; field 0,
// the usual two floats, is also the size of a set the code gives no field.
inline constexpr std::uint32_t kTexSetFloats[4] = {2, 3, 4, 1};
inline constexpr std::uint32_t kTexSizeFieldShift = 16;  // set i's field at bit 16 + 2i

constexpr std::uint32_t TexSetBytes(std::uint32_t sizeField) {
    return 4 * kTexSetFloats[sizeField & 3];
}

}  // namespace kx::fvf
