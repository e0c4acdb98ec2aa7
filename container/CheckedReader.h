#pragma once
// What every checked parser of outside bytes carries: the reader with its
// position, the place a failure is reported at, and the failure itself as
// one line saying what is wrong and where. A parsing step returns false once
// it failed; the parser then hands back Failure().

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "base/Result.h"
#include "container/ByteReader.h"

namespace kx {

class CheckedReader {
  public:
    explicit CheckedReader(std::span<const uint8_t> bytes) : in_(bytes) {}

    ByteReader& In() { return in_; }
    const ByteReader& In() const { return in_; }

    // The place put in front of every failure ("part 2 at byte 8"), built up
    // as the parser goes deeper; empty for none.
    std::string& Where() { return where_; }

    // Records the failure behind the place; false, for a step to return.
    bool Fail(std::string what, Fault fault = Fault::Damaged) {
        status_ = Status::Failure(fault, where_.empty() ? std::move(what) : where_ + ": " + what);
        return false;
    }
    // After a run of fields: a read past the end means the bytes were cut
    // short inside `part`.
    bool Whole(std::string_view part) {
        return in_.Ok() || Fail("file ends inside the " + std::string(part));
    }
    // Whether `count` records of `size` bytes fit in the bytes left: a count
    // from a file is checked before anything is allocated for it.
    bool Fits(size_t count, size_t size) const {
        // Divided, not multiplied: no overflow where size_t is 32 bits.
        return size == 0 || count <= in_.Remaining() / size;
    }

    // The recorded failure; a success until Fail was called.
    const Status& Failure() const { return status_; }

  private:
    ByteReader in_;
    std::string where_;
    Status status_;
};

}  // namespace kx
