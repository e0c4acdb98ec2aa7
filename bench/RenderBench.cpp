// kaltrix render at a game model's limits: a sheet of 64,800 triangles in 16
// parts with 200 hardpoints, at the default size, drawn and encoded as PNG.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include "BenchMeshes.h"
#include "render/Picture.h"

namespace kx::bench {
namespace {

constexpr int kHardpoints = 200;

RenderScene LargestScene() {
    const PieceMesh mesh = MakePieceSphere(64800);
    RenderScene scene;
    scene.fileName = "largest.cmp";
    scene.level = "level 0";
    const size_t perPart = mesh.indices.size() / 3 / 16;
    for (size_t t = 0; t * 3 < mesh.indices.size(); ++t) {
        const auto part = static_cast<uint16_t>(std::min<size_t>(t / perPart, 15));
        scene.AddTriangle(part, mesh.points[mesh.indices[3 * t]],
                          mesh.points[mesh.indices[3 * t + 1]],
                          mesh.points[mesh.indices[3 * t + 2]]);
    }
    for (int g = 0; g < 16; ++g) {
        scene.groups.push_back("part" + std::to_string(g));
    }
    // Hardpoints spread over the sphere, each turned its own way.
    for (int h = 0; h < kHardpoints; ++h) {
        const Vec3& p = mesh.points[(mesh.points.size() * h) / kHardpoints];
        const float a = 0.1f * static_cast<float>(h);
        SceneHardpoint hp;
        hp.name = "HpWeapon" + std::to_string(h);
        hp.position = p;
        hp.frame = {{{std::cos(a), 0, std::sin(a)}, {0, 1, 0}, {-std::sin(a), 0, std::cos(a)}}};
        scene.hardpoints.push_back(hp);
    }
    return scene;
}

void BM_RenderSheet(benchmark::State& state) {
    const RenderScene scene = LargestScene();
    const RenderOptions options;  // the sheet, 1024 x 768
    for (auto _ : state) {
        auto picture = RenderPicture(scene, options);
        auto png = EncodePng(picture.Value());
        benchmark::DoNotOptimize(png.Value().data());
    }
    state.counters["triangles"] = static_cast<double>(scene.TriangleCount());
}
BENCHMARK(BM_RenderSheet)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx::bench
