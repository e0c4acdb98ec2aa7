#include "meshutil/VertexFormat.h"

namespace kx::meshutil {

std::uint32_t VertexFormatSize(std::uint32_t code) {
    std::uint32_t size = fvf::PositionBytes(code);
    if (code & FVF_NORMAL) {
        size += fvf::kNormalBytes;
    }
    if (code & FVF_PSIZE) {
        size += fvf::kPointSizeBytes;
    }
    if (code & FVF_DIFFUSE) {
        size += fvf::kDiffuseBytes;
    }
    if (code & FVF_SPECULAR) {
        size += fvf::kSpecularBytes;
    }
    for (std::uint32_t set = 0; set < TexSetCount(code); ++set) {
        size += fvf::TexSetBytes(TexSetSizeField(code, set));
    }
    return size;
}

bool HasPosition(std::uint32_t code) {
    return fvf::PositionBytes(code) != 0;
}

}  // namespace kx::meshutil
