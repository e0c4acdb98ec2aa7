#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

namespace {

std::uint32_t PositionSize(std::uint32_t code) {
    switch (code & FVF_POSITION_MASK) {
        case 0x002:
            return 12;
        case 0x004:
            return 16;
        case 0x006:
            return 16;
        case 0x008:
            return 20;
        case 0x00A:
            return 24;
        case 0x00C:
            return 28;
        case 0x00E:
            return 32;
        default:
            return 0;
    }
}

}  // namespace

std::uint32_t VertexFormatSize(std::uint32_t code) {
    std::uint32_t size = PositionSize(code);
    if (code & FVF_NORMAL) {
        size += 12;
    }
    if (code & FVF_PSIZE) {
        size += 4;
    }
    if (code & FVF_DIFFUSE) {
        size += 4;
    }
    if (code & FVF_SPECULAR) {
        size += 4;
    }
    const std::uint32_t sets = (code >> 8) & 15;
    for (std::uint32_t i = 0; i < sets; ++i) {
        if (code < 0x10000) {
            size += 8;
            continue;
        }
        // Only eight sets have a size field; later ones read as field 0.
        static constexpr std::uint32_t kSetSize[4] = {8, 12, 16, 4};
        const std::uint32_t shift = 16 + 2 * i;
        size += kSetSize[shift < 32 ? (code >> shift) & 3 : 0];
    }
    return size;
}

bool HasPosition(std::uint32_t code) {
    return PositionSize(code) != 0;
}

}  // namespace kx::meshutil
