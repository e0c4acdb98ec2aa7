#pragma once
// Little-endian bytes for tests, spelled field by field without the readers
// and writers under test: Le appends fields, U32At and friends read them back
// out of a file image, PutU32 patches one in place.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kx::test {

// Appends one field a call. Self is the derived builder, so format-specific
// builders (an .ms3d file, say) keep chaining through these calls.
template <typename Self>
struct LeBytes {
    std::vector<uint8_t> bytes;

    Self& u8(uint8_t v) {
        bytes.push_back(v);
        return self();
    }
    Self& u16(uint16_t v) {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return self();
    }
    Self& u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        return u16(static_cast<uint16_t>(v >> 16));
    }
    Self& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Self& f32(float v) { return u32(std::bit_cast<uint32_t>(v)); }
    Self& f32s(std::initializer_list<float> vs) {
        for (float v : vs) {
            f32(v);
        }
        return self();
    }
    // Text, then zeros up to `width` bytes (just its own zero byte when 0).
    Self& text(const std::string& t, size_t width = 0) {
        bytes.insert(bytes.end(), t.begin(), t.end());
        bytes.resize(bytes.size() + (width ? width - t.size() : 1), 0);
        return self();
    }
    Self& append(const std::vector<uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return self();
    }

  private:
    Self& self() { return static_cast<Self&>(*this); }
};

struct Le : LeBytes<Le> {};

// Fields of a file image; a read past the end fails the test run loudly
// (std::out_of_range) instead of reading stray memory.
uint16_t U16At(const std::vector<uint8_t>& b, size_t at);
uint32_t U32At(const std::vector<uint8_t>& b, size_t at);
float F32At(const std::vector<uint8_t>& b, size_t at);
void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v);

}  // namespace kx::test
