// kaltrix render at a game model's limits: a sheet of 64,800 triangles in 16
// parts with 200 hardpoints, at the default size, drawn and encoded as PNG;
// and the sheet of a collision surface of very many small parts, read from
// its file.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "BenchMeshes.h"
#include "host/FileIo.h"
#include "render/Picture.h"
#include "render/SurfaceScene.h"
#include "surface/SurfacePart.h"

namespace kx::bench {
namespace {

constexpr int kHardpoints = 200;

double Milliseconds(std::clock_t ticks) {
    return 1000.0 * static_cast<double>(ticks) / CLOCKS_PER_SEC;
}

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
    double draw = 0, encode = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        auto picture = RenderPicture(scene, options);
        const std::clock_t drawn = std::clock();
        auto png = EncodePng(picture.Value());
        benchmark::DoNotOptimize(png.Value().data());
        draw += Milliseconds(drawn - start);
        encode += Milliseconds(std::clock() - drawn);
    }
    state.counters["triangles"] = static_cast<double>(scene.TriangleCount());
    // Processor time of drawing and of encoding.
    state.counters["draw_ms"] = benchmark::Counter(draw, benchmark::Counter::kAvgIterations);
    state.counters["png_ms"] = benchmark::Counter(encode, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RenderSheet)->Unit(benchmark::kMillisecond);

// A .sur of `count` parts, each a small box of 12 hull triangles, on a grid.
std::string ManyPartsFile(int count) {
    std::vector<SurfacePart> parts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        SurfacePart& part = parts[static_cast<size_t>(i)];
        part.id = 0x1000u + static_cast<uint32_t>(i);
        const Vec3 lo{static_cast<float>(i % 100) * 3, static_cast<float>(i / 100 % 100) * 3,
                      static_cast<float>(i / 10000) * 3};
        const uint32_t hull = part.AddHull(kHullOrdinary, part.id);
        std::vector<Vec3> corners;
        for (int k = 0; k < 8; ++k) {
            corners.push_back({lo[0] + (k & 1), lo[1] + (k >> 1 & 1), lo[2] + (k >> 2 & 1)});
            part.AddVertex(corners.back(), part.id);
            part.box.Extend(corners.back());
        }
        constexpr uint32_t kFaces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 4, 5, 1},
                                           {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 6, 7, 5}};
        for (const auto& f : kFaces) {
            for (const std::array<uint32_t, 3>& v :
                 {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}}) {
                HullTriangle t;
                t.flags = static_cast<uint32_t>(part.Hull(hull).triangles.size());
                t.vertices = v;
                t.normal = TriangleNormal(corners[v[0]], corners[v[1]], corners[v[2]]);
                part.Hull(hull).triangles.push_back(t);
            }
        }
        BoundingNode node;
        node.centre = Add(lo, Vec3{0.5f, 0.5f, 0.5f});
        node.radius = 1;
        part.AppendHullNode(node, hull);
        if (!part.Finish()) {
            std::abort();
        }
    }
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("kaltrix_bench_" + std::to_string(count) + "_parts.sur"))
                                 .string();
    WriteWholeFile(path, WriteSurfaceFile(parts));
    return path;
}

void BM_RenderManyParts(benchmark::State& state) {
    const std::string path = ManyPartsFile(static_cast<int>(state.range(0)));
    double load = 0, draw = 0;
    for (auto _ : state) {
        const std::clock_t start = std::clock();
        auto scene = LoadSurfaceScene(path);
        if (!scene) {
            state.SkipWithError(scene.Reason().c_str());
            break;
        }
        const std::clock_t loaded = std::clock();
        auto picture = RenderPicture(scene.Value(), RenderOptions{});
        auto png = EncodePng(picture.Value());
        benchmark::DoNotOptimize(png.Value().data());
        load += Milliseconds(loaded - start);
        draw += Milliseconds(std::clock() - loaded);
    }
    std::filesystem::remove(path);
    // Processor time of reading the file and of drawing and encoding it.
    state.counters["load_ms"] = benchmark::Counter(load, benchmark::Counter::kAvgIterations);
    state.counters["draw_ms"] = benchmark::Counter(draw, benchmark::Counter::kAvgIterations);
}
// Every file, however many parts it has, renders in under 2 s.
BENCHMARK(BM_RenderManyParts)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx::bench
