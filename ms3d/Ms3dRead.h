#pragma once
// Reading a version 4 model file into its records, checked whole: every count
// against the bytes left, every index against what it points at. Joints and
// the trailer (comments, vertex, joint and model extras) are checked and
// skipped.

#include <cstdint>
#include <span>
#include <string>

#include "ms3d/Ms3dFile.h"

namespace kx {

// False with a one-line reason (without the file name) when the bytes are not
// a whole, consistent version 4 file; `out` is then unspecified.
bool ParseMs3d(std::span<const uint8_t> bytes, Ms3dFile& out, std::string& error);

}  // namespace kx
