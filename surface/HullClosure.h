#pragma once
// Whether a hull's triangles close around one solid: the test the game's
// readers make of every hull, whose header count (distinct vertices +
// triangles + 1) then comes to 3 + 1.5 x triangles.

#include <array>
#include <cstdint>
#include <span>

namespace kx {

// Every edge is run once each way by two different triangles (so shared by
// exactly two, wound alike), no triangle repeats a corner, and the surface is
// one piece without holes or handles: distinct vertices = 2 + triangles / 2.
bool IsClosedHull(std::span<const std::array<uint32_t, 3>> triangles);

}  // namespace kx
