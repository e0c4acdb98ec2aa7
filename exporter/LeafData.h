#pragma once
// The byte forms of the small leaves the exporter writes: single numbers as
// 8 bytes (the value, then a 32-bit zero), texts with their zero byte, and
// runs of floats.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "container/ByteWriter.h"

namespace kx {

inline std::vector<uint8_t> NumberLeaf(uint32_t value) {
    ByteWriter w;
    w.U32(value);
    w.U32(0);
    return w.Take();
}

inline std::vector<uint8_t> FloatLeaf(float value) {
    ByteWriter w;
    w.F32(value);
    w.U32(0);
    return w.Take();
}

inline std::vector<uint8_t> TextLeaf(std::string_view text) {
    ByteWriter w;
    w.Bytes(text.data(), text.size());
    w.U8(0);
    return w.Take();
}

inline std::vector<uint8_t> FloatsLeaf(std::span<const float> values) {
    ByteWriter w;
    for (float v : values) {
        w.F32(v);
    }
    return w.Take();
}

inline std::vector<uint8_t> FloatsLeaf(std::initializer_list<float> values) {
    return FloatsLeaf(std::span<const float>(values.begin(), values.size()));
}

}  // namespace kx
