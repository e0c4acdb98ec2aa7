// Mesh utility operations on the collision exporter's kind of mesh.
#include <benchmark/benchmark.h>

#include "BenchMeshes.h"
#include "meshutil/BoundingSphere.h"
#include "meshutil/WeldVertices.h"

namespace kaltrix::bench {
namespace {

void BM_AdjacencyWeld(benchmark::State& state) {
    const PieceMesh source = MakePieceSphere(static_cast<std::uint32_t>(state.range(0)));
    std::vector<std::uint32_t> adjacency(source.indices.size());
    const meshutil::WeldEpsilons zero;
    for (auto _ : state) {
        state.PauseTiming();
        meshutil::TriMeshPtr mesh = ToTriMesh(source);
        state.ResumeTiming();
        mesh->GenerateAdjacency(0.05f, adjacency.data());
        meshutil::WeldVertices(mesh.get(), 0, &zero, adjacency.data(), adjacency.data(), nullptr,
                               nullptr);
        void* vertices = nullptr;
        mesh->LockVertexBuffer(0x800, &vertices);
        float centre[3], radius;
        meshutil::ComputeBoundingSphere(vertices, mesh->GetVertexCount(), 12, centre, &radius);
        mesh->UnlockVertexBuffer();
        benchmark::DoNotOptimize(radius);
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["vertices"] = static_cast<double>(source.points.size());
    state.SetComplexityN(state.range(0));
}

void FaceCounts(benchmark::internal::Benchmark* b) {
    for (const std::int64_t faces : kBenchFaceCounts) {
        b->Arg(faces);
    }
    b->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
}

BENCHMARK(BM_AdjacencyWeld)->Apply(FaceCounts);

}  // namespace
}  // namespace kaltrix::bench
