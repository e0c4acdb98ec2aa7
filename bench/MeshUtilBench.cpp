// Mesh utility operations on the collision exporter's kind of mesh.
#include <benchmark/benchmark.h>

#include "BenchMeshes.h"
#include "meshutil/BoundingSphere.h"
#include "meshutil/ReduceMesh.h"
#include "meshutil/WeldVertices.h"

namespace kx::bench {
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

// The collision exporter's usual reduction: to 60 percent of the welded faces.
void BM_ReduceMesh(benchmark::State& state) {
    std::vector<std::uint32_t> adjacency;
    const meshutil::TriMeshPtr welded =
        PrepareWelded(MakePieceSphere(static_cast<std::uint32_t>(state.range(0))), adjacency);
    const std::uint32_t target = ReductionTarget(welded->GetFaceCount());
    std::uint32_t faces = 0;
    for (auto _ : state) {
        meshutil::TriMesh* reduced = nullptr;
        if (meshutil::ReduceMesh(welded.get(), adjacency.data(), nullptr, nullptr, target,
                                 meshutil::REDUCE_TO_FACES, &reduced) != meshutil::STATUS_OK) {
            state.SkipWithError("ReduceMesh failed");
            break;
        }
        faces = reduced->GetFaceCount();
        reduced->Release();
    }
    state.counters["faces_out"] = faces;
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_AdjacencyWeld)->Apply(FaceCounts);
BENCHMARK(BM_ReduceMesh)->Apply(FaceCounts);

}  // namespace
}  // namespace kx::bench
