// Yardstick for BM_ReduceMesh: an established simplifier on the same welded
// mesh, to the same face count (the error bound is open, so the count decides).
#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <cfloat>

#include "BenchMeshes.h"

namespace kx::bench {
namespace {

void BM_MeshoptSimplify(benchmark::State& state) {
    std::vector<std::uint32_t> adjacency;
    const meshutil::TriMeshPtr welded =
        PrepareWelded(MakePieceSphere(static_cast<std::uint32_t>(state.range(0))), adjacency);
    std::vector<unsigned int> indices(std::size_t{welded->GetFaceCount()} * 3);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        indices[i] = welded->Index(i);
    }
    std::vector<float> positions;
    for (std::uint32_t v = 0; v < welded->GetVertexCount(); ++v) {
        const auto p = welded->Position(v);
        positions.insert(positions.end(), p.begin(), p.end());
    }
    const std::size_t targetIndices = std::size_t{ReductionTarget(welded->GetFaceCount())} * 3;
    std::vector<unsigned int> out(indices.size());
    std::size_t written = 0;
    for (auto _ : state) {
        written =
            meshopt_simplify(out.data(), indices.data(), indices.size(), positions.data(),
                             welded->GetVertexCount(), 12, targetIndices, FLT_MAX, 0, nullptr);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["faces_out"] = static_cast<double>(written / 3);
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_MeshoptSimplify)->Apply(FaceCounts);

}  // namespace
}  // namespace kx::bench
