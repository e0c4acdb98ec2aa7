// The collision-surface export of a large ship: 2, 4 or 16 groups of about
// 3,700 triangles each (60,000 in all at 16) and 100 hardpoints, reduced, with
// the shield bubble and with the shrink wrap. Each stage's processor time is
// reported as a counter (milliseconds per export).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>

#include "host/headless/HeadlessModel.h"
#include "surface/HostMeshRecords.h"
#include "surface/PartMeshes.h"
#include "surface/SurfaceHardpoints.h"
#include "surface/SurfaceHulls.h"

namespace kx::bench {
namespace {

constexpr int kSlices = 50;
constexpr int kStacks = 38;  // 2 x 50 x 37 = 3,700 triangles a group
constexpr int kHardpoints = 100;

meshutil::Device* Device() {
    static int anchor;
    return reinterpret_cast<meshutil::Device*>(&anchor);
}

// A knobbly ball, its triangles larger than the adjacency tolerance even at
// its poles: most vertices pulled in a little, a coarse lattice of them
// left out at the full radius, so that few vertices lie on its hull (as on a
// ship, whose surface detail lies inside its outline).
void AddBall(msModel* model, int group, float cx, float cy, float cz, float radius) {
    msMesh* mesh = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(mesh, ("section" + std::to_string(group)).c_str());
    auto vertex = [&](float x, float y, float z) {
        msVec3 p = {cx + x, cy + y, cz + z};
        msVertex_SetVertex(msMesh_GetVertexAt(mesh, msMesh_AddVertex(mesh)), p);
    };
    vertex(0, 0, radius);
    uint32_t noise = 12345u + static_cast<uint32_t>(group);
    for (int j = 1; j < kStacks; ++j) {
        const float phi = 3.1415927f * static_cast<float>(j) / kStacks;
        for (int i = 0; i < kSlices; ++i) {
            const float theta = 6.2831855f * static_cast<float>(i) / kSlices;
            noise = noise * 1664525u + 1013904223u;
            const bool outer = i % 5 == 0 && j % 5 == 0;
            const float r =
                outer ? radius
                      : radius * (0.94f + 0.04f * static_cast<float>(noise >> 24) / 256.0f);
            vertex(r * std::sin(phi) * std::cos(theta), r * std::sin(phi) * std::sin(theta),
                   r * std::cos(phi));
        }
    }
    vertex(0, 0, -radius);
    const int south = 1 + (kStacks - 1) * kSlices;
    auto triangle = [&](int a, int b, int c) {
        word indices[3] = {static_cast<word>(a), static_cast<word>(b), static_cast<word>(c)};
        msTriangle_SetVertexIndices(msMesh_GetTriangleAt(mesh, msMesh_AddTriangle(mesh)), indices);
    };
    for (int i = 0; i < kSlices; ++i) {
        const int next = (i + 1) % kSlices;
        triangle(0, 1 + i, 1 + next);
        for (int j = 0; j + 2 < kStacks; ++j) {
            const int a = 1 + j * kSlices, b = a + kSlices;
            triangle(a + i, b + i, b + next);
            triangle(a + i, b + next, a + next);
        }
        const int c = 1 + (kStacks - 2) * kSlices;
        triangle(south, c + next, c + i);
    }
}

void BuildShip(msModel* model, int groups) {
    for (int g = 0; g < groups; ++g) {
        AddBall(model, g, static_cast<float>(g % 4) * 1200.0f, static_cast<float>(g / 4) * 400.0f,
                static_cast<float>(g / 4) * 1500.0f, 600.0f + static_cast<float>(g % 3) * 100.0f);
    }
    const char* kinds[] = {"HpWeapon", "HpTurret_0", "HpTorpedo", "HpCM", "HpThruster"};
    for (int h = 0; h < kHardpoints; ++h) {
        const int g = h % groups;
        msMesh* marker = msModel_GetMeshAt(model, msModel_AddMesh(model));
        const std::string name = kinds[h % 5] + std::to_string(h % 4 + 1) + "_" + std::to_string(h);
        msMesh_SetName(marker, name.c_str());
        const float x = static_cast<float>(g % 4) * 1200.0f + static_cast<float>(h % 7) * 50.0f;
        const float y = static_cast<float>(g / 4) * 400.0f + 200.0f;
        const float z = static_cast<float>(g / 4) * 1500.0f;
        for (const auto& c :
             {std::array{x - 1, y, z - 1}, std::array{x, y, z + 1}, std::array{x + 1, y, z - 1}}) {
            msVec3 p = {c[0], c[1], c[2]};
            msVertex_SetVertex(msMesh_GetVertexAt(marker, msMesh_AddVertex(marker)), p);
        }
        word indices[3] = {0, 1, 2};
        msTriangle_SetVertexIndices(msMesh_GetTriangleAt(marker, msMesh_AddTriangle(marker)),
                                    indices);
    }
}

// Processor time, so that the stages compare fairly on a busy machine.
class Stopwatch {
  public:
    double Lap() {
        const std::clock_t now = std::clock();
        const double ms = 1000.0 * static_cast<double>(now - last_) / CLOCKS_PER_SEC;
        last_ = now;
        return ms;
    }

  private:
    std::clock_t last_ = std::clock();
};

void BM_SurfaceExport(benchmark::State& state) {
    msModel* model = kxModel_Create();
    const auto groups = static_cast<int>(state.range(1));
    BuildShip(model, groups);
    SurfaceOptions options;
    options.collisionKind =
        state.range(0) == 2 ? CollisionKind::ShieldBubble : CollisionKind::ShrinkWrapped;
    options.groupCount = groups;
    for (int g = 0; g < groups; ++g) {
        options.quantities[g] = 1;
    }
    double read = 0, sphere = 0, prepare = 0, hardpoints = 0, hulls = 0, finish = 0, write = 0;
    size_t bytes = 0, wrapTriangles = 0;
    for (auto _ : state) {
        Stopwatch watch;
        Result<HostModel> readHost = ReadHostModel(model, options);
        if (!readHost) {
            state.SkipWithError("the model was refused");
            break;
        }
        HostModel& host = *readHost;
        read += watch.Lap();
        SurfaceModel whole;
        whole.box = host.box;
        SurfaceMessages messages;
        MeasureWholeModel(host.records, Device(), whole.sphere, messages);
        sphere += watch.Lap();
        PreparedMeshes meshes;
        PrepareGroupMeshes(host.records, options, whole.sphere.radius, Device(), meshes, messages);
        prepare += watch.Lap();
        std::vector<SurfaceBox> boxes;
        for (const PartMeshRecord& part : meshes.parts) {
            boxes.push_back(part.box);
        }
        auto owned = CollectHardpoints(host.records, boxes, options.modelType);
        for (size_t p = 0; p < owned.size(); ++p) {
            meshes.parts[p].hardpoints = std::move(owned[p]);
        }
        hardpoints += watch.Lap();
        std::vector<SurfacePart> parts = BuildSurfaceParts(meshes, options, whole);
        hulls += watch.Lap();
        for (SurfacePart& part : parts) {
            if (!part.Finish()) {
                state.SkipWithError("a part was refused");
            }
        }
        finish += watch.Lap();
        bytes = WriteSurfaceFile(parts).size();
        write += watch.Lap();
        for (const SurfaceHull& hull : parts[0].Hulls()) {
            if (hull.type == kHullWrap) {
                wrapTriangles = hull.triangles.size();
            }
        }
    }
    kxModel_Free(model);
    const auto average = benchmark::Counter::kAvgIterations;
    state.counters["read_ms"] = benchmark::Counter(read, average);
    state.counters["sphere_ms"] = benchmark::Counter(sphere, average);
    state.counters["meshes_ms"] = benchmark::Counter(prepare, average);
    state.counters["hardpoints_ms"] = benchmark::Counter(hardpoints, average);
    state.counters["hulls_ms"] = benchmark::Counter(hulls, average);
    state.counters["link_ms"] = benchmark::Counter(finish, average);
    state.counters["write_ms"] = benchmark::Counter(write, average);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["root_wrap_triangles"] = static_cast<double>(wrapTriangles);
}

// The collision kind (2: shield bubble, 4: shrink wrapped), then the groups.
BENCHMARK(BM_SurfaceExport)->ArgsProduct({{2, 4}, {2, 4, 16}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kx::bench
