#pragma once
// Reading a version 4 model file into its records, checked whole: every count
// against the bytes left, every index against what it points at. Joints and
// the trailer (comments, vertex, joint and model extras) are checked and
// skipped.

#include <cstdint>
#include <span>

#include "base/Result.h"
#include "ms3d/Ms3dFile.h"

namespace kx {

// The file's records, or a one-line reason (without the file name) why the
// bytes are not a whole, consistent version 4 file: WrongKind for another
// magic or version, Refused for a trailer part of a sub-version not known
// here, Damaged for the rest.
Result<Ms3dFile> ParseMs3d(std::span<const uint8_t> bytes);

}  // namespace kx
