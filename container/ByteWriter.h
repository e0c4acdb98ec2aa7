#pragma once
// Little-endian writer: every field of a file layout is written one by one,
// so the bytes do not depend on the compiler's struct layout or the host's
// byte order.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace kx {

class ByteWriter {
  public:
    ByteWriter() = default;
    explicit ByteWriter(std::vector<uint8_t>& out) : ext_(&out) {}

    void U8(uint8_t v) { Buf().push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        Buf().insert(Buf().end(), p, p + size);
    }
    void Zeros(size_t count) { Buf().insert(Buf().end(), count, 0); }
    // A zero-padded fixed-width text field; text longer than width - 1 is cut
    // so the field always ends with a zero byte.
    void FixedText(std::string_view text, size_t width) {
        if (width == 0) {
            return;
        }
        size_t n = text.size() < width - 1 ? text.size() : width - 1;
        Bytes(text.data(), n);
        Zeros(width - n);
    }

    size_t Size() const { return ext_ ? ext_->size() : own_.size(); }
    const std::vector<uint8_t>& Data() const { return ext_ ? *ext_ : own_; }
    std::vector<uint8_t> Take() { return std::move(Buf()); }

  private:
    std::vector<uint8_t>& Buf() { return ext_ ? *ext_ : own_; }
    std::vector<uint8_t> own_;
    std::vector<uint8_t>* ext_ = nullptr;
};

}  // namespace kx
