#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

#include "meshutil/TriMesh.h"

namespace kx::bench {

// A mesh shaped like the collision exporter's input: a noisy sphere cut into 16
// pieces (halves of the octants of a subdivided octahedron), each piece with its
// own copies of its border vertices, pieces one after the other. faceCount must
// be 8 m² (968, 3872, 16200, 64800, ...); the radius grows with the face count so
// that the triangles keep about the same size (edges near 0.15).
struct PieceMesh {
    std::vector<std::array<float, 3>> points;
    std::vector<std::uint32_t> indices;
};
PieceMesh MakePieceSphere(std::uint32_t faceCount);

// Runs a mesh benchmark at the face counts of the benchmark meshes, in
// milliseconds, fitting n log n.
void FaceCounts(benchmark::internal::Benchmark* b);

// A 16-bit position-only mesh with the exporter's options, filled from `mesh`.
meshutil::TriMeshPtr ToTriMesh(const PieceMesh& mesh);

// 60 percent of the faces, the reduction target the benchmarks use.
inline std::uint32_t ReductionTarget(std::uint32_t faces) {
    return faces * 60 / 100;
}

// The exporter's preparation: adjacency at epsilon 0.05, then the weld; the
// adjacency is left in `adjacency`.
meshutil::TriMeshPtr PrepareWelded(const PieceMesh& mesh, std::vector<std::uint32_t>& adjacency);

}  // namespace kx::bench
