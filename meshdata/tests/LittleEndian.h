#pragma once
// Expected bytes for the layout tests, spelled field by field without the
// code under test.

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace kx::test {

struct Le {
    std::vector<uint8_t> bytes;

    Le& u16(uint32_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Le& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Le& f32(float v) { return u32(std::bit_cast<uint32_t>(v)); }
    Le& f32s(std::initializer_list<float> vs) {
        for (float v : vs) {
            f32(v);
        }
        return *this;
    }
    // Text, then zeros up to `width` bytes (just its own zero byte when 0).
    Le& text(const std::string& t, size_t width = 0) {
        bytes.insert(bytes.end(), t.begin(), t.end());
        bytes.resize(bytes.size() + (width ? width - t.size() : 1), 0);
        return *this;
    }
    Le& append(const std::vector<uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
};

}  // namespace kx::test
