#pragma once

#include <cstdint>

#include "meshutil/Status.h"

namespace kx {
class Device;  // host/Device.h; only its address is used
}  // namespace kx

namespace kx::meshutil {

using kx::Device;
class DataBuffer;
class TriMesh;

// Latitude/longitude sphere around the origin: a pole on +z, stacks - 1 rings of
// `slices` vertices (slice 0 on +y), a pole on -z; position-and-normal vertices,
// 16-bit indices. The vertex and triangle order is part of the output.
Status CreateSphereMesh(Device* device, float radius, std::uint32_t slices, std::uint32_t stacks,
                        TriMesh** meshOut, DataBuffer** adjacencyOut);

}  // namespace kx::meshutil
