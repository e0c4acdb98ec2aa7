#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "meshutil/TriMesh.h"

namespace kx::meshutil::test {

using Points = std::vector<std::array<float, 3>>;
using Indices = std::vector<std::uint32_t>;

constexpr std::uint32_t N = NO_NEIGHBOUR;

// The meshes only keep the device's address; any address will do.
Device* TestDevice();

// A position-only mesh with the collision exporter's options (16-bit indices)
// unless other options are given.
TriMeshPtr MakeMesh(const Points& points, const Indices& indices, std::uint32_t options = 0x112);

Indices FacesOf(const TriMesh& mesh);
Points PointsOf(const TriMesh& mesh);

// Adjacency of the mesh at epsilon; fails the test on a bad status.
Indices AdjacencyOf(TriMesh& mesh, float epsilon);

}  // namespace kx::meshutil::test
