#pragma once
// Bounds-checked little-endian reader over a byte span. A read past the end
// fails (returns false and leaves the reader failed) instead of touching
// memory outside the span, so callers check once after a run of fields.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace kx {

class ByteReader {
  public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    bool Ok() const { return ok_; }
    size_t Pos() const { return pos_; }
    size_t Size() const { return data_.size(); }
    size_t Remaining() const { return data_.size() - pos_; }

    bool Seek(size_t pos) {
        if (pos > data_.size()) {
            return Fail();
        }
        pos_ = pos;
        return ok_;
    }
    bool Skip(size_t count) {
        if (count > Remaining()) {
            return Fail();
        }
        pos_ += count;
        return ok_;
    }

    bool U8(uint8_t& v) {
        if (!Need(1)) {
            return false;
        }
        v = data_[pos_++];
        return true;
    }
    bool U16(uint16_t& v) {
        if (!Need(2)) {
            return false;
        }
        v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool U32(uint32_t& v) {
        if (!Need(4)) {
            return false;
        }
        v = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
            (static_cast<uint32_t>(data_[pos_ + 2]) << 16) |
            (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }
    bool I32(int32_t& v) {
        uint32_t u;
        if (!U32(u)) {
            return false;
        }
        v = static_cast<int32_t>(u);
        return true;
    }
    bool F32(float& v) {
        uint32_t bits;
        if (!U32(bits)) {
            return false;
        }
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    // A view of the next `count` bytes; empty and failed when they are not there.
    bool Bytes(size_t count, std::span<const uint8_t>& out) {
        if (!Need(count)) {
            out = {};
            return false;
        }
        out = data_.subspan(pos_, count);
        pos_ += count;
        return true;
    }
    // A fixed-width, zero-padded text field, read up to its first zero byte.
    bool FixedText(size_t width, std::string& out) {
        std::span<const uint8_t> field;
        if (!Bytes(width, field)) {
            return false;
        }
        size_t n = 0;
        while (n < field.size() && field[n] != 0) {
            ++n;
        }
        out.assign(reinterpret_cast<const char*>(field.data()), n);
        return true;
    }

  private:
    bool Need(size_t count) {
        if (!ok_ || count > Remaining()) {
            return Fail();
        }
        return true;
    }
    bool Fail() {
        ok_ = false;
        return false;
    }

    std::span<const uint8_t> data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace kx
