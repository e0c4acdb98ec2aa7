#pragma once
// The record sizes of a .sur file and the key that names a triangle edge,
// shared by the writer and the reader so the two cannot drift apart.

#include <cstdint>

namespace kx {

// A part record up to its surface header: id, chunk count, "exts" tag and
// box, "surf" tag and size (4 bytes more when "!fxd" leads).
inline constexpr uint32_t kRecordHeadSize = 4 + 4 + 4 + 24 + 4 + 4;
inline constexpr uint32_t kSurfaceHeaderSize = 48;
inline constexpr uint32_t kHullHeaderSize = 16;
inline constexpr uint32_t kTriangleSize = 16;
inline constexpr uint32_t kVertexSize = 16;
inline constexpr uint32_t kNodeSize = 28;

// The same key for an edge whichever way round it runs.
inline uint64_t EdgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t{a} << 32) | b : (uint64_t{b} << 32) | a;
}

}  // namespace kx
