#pragma once
// Laying out a model file's records as a version 4 file: header, vertices,
// triangles, groups, materials, animation fields, no joints, no trailer.

#include <cstdint>
#include <vector>

#include "ms3d/Ms3dFile.h"

namespace kx {

// The counts must fit the file's 16-bit fields, as FileFromModel leaves them.
std::vector<uint8_t> SerializeMs3d(const Ms3dFile& file);

}  // namespace kx
