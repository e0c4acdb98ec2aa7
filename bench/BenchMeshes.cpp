#include "BenchMeshes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "meshutil/WeldVertices.h"

namespace kx::bench {

PieceMesh MakePieceSphere(std::uint32_t faceCount) {
    // Octants of a subdivided octahedron pushed out onto a sphere: triangles of
    // nearly even size, no crowding at the poles.
    const int m = static_cast<int>(std::lround(std::sqrt(faceCount / 8.0)));
    const double radius = 0.105 * m;  // edges of about 0.15

    // A point from its integer octahedron coordinates (|x| + |y| + |z| = m), so
    // that every copy of a border vertex comes out bit for bit the same.
    auto point = [&](int x, int y, int z) {
        const double length = std::sqrt(double(x * x + y * y + z * z));
        std::uint32_t h = static_cast<std::uint32_t>((x + 1000) * 73856093 ^ (y + 1000) * 19349663 ^
                                                     (z + 1000) * 83492791);
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        const double r = radius * (1.0 + 0.002 * (static_cast<double>(h % 2001) / 1000.0 - 1.0));
        return std::array<float, 3>{static_cast<float>(r * x / length),
                                    static_cast<float>(r * y / length),
                                    static_cast<float>(r * z / length)};
    };

    PieceMesh mesh;
    std::map<std::array<int, 3>, std::uint32_t> local;
    for (int octant = 0; octant < 8; ++octant) {
        const int sx = octant & 1 ? -1 : 1, sy = octant & 2 ? -1 : 1, sz = octant & 4 ? -1 : 1;
        // Outward winding: the corner order x, y, z is outward when the signs' product is +.
        const bool flip = sx * sy * sz < 0;
        for (int half = 0; half < 2; ++half) {
            local.clear();
            auto vertex = [&](int i, int j) {
                const std::array<int, 3> key = {sx * i, sy * j, sz * (m - i - j)};
                const auto [it, added] =
                    local.emplace(key, static_cast<std::uint32_t>(mesh.points.size()));
                if (added) {
                    mesh.points.push_back(point(key[0], key[1], key[2]));
                }
                return it->second;
            };
            auto triangle = [&](int i0, int j0, int i1, int j1, int i2, int j2) {
                // Each octant is cut into two pieces along i = j.
                if ((i0 + i1 + i2 > j0 + j1 + j2) != (half == 0)) {
                    return;
                }
                const std::uint32_t a = vertex(i0, j0), b = vertex(i1, j1), c = vertex(i2, j2);
                mesh.indices.insert(mesh.indices.end(), {a, flip ? c : b, flip ? b : c});
            };
            for (int i = 0; i < m; ++i) {
                for (int j = 0; i + j < m; ++j) {
                    triangle(i, j, i + 1, j, i, j + 1);
                    if (i + j + 1 < m) {
                        triangle(i + 1, j, i + 1, j + 1, i, j + 1);
                    }
                }
            }
        }
    }
    return mesh;
}

void FaceCounts(benchmark::internal::Benchmark* b) {
    for (const std::int64_t faces : {968, 3872, 16200, 64800}) {
        b->Arg(faces);
    }
    b->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
}

meshutil::TriMeshPtr ToTriMesh(const PieceMesh& mesh) {
    meshutil::TriMesh* raw = nullptr;
    static int device;
    if (meshutil::CreateTriMesh(static_cast<std::uint32_t>(mesh.indices.size() / 3),
                                static_cast<std::uint32_t>(mesh.points.size()), 0x112, 0x002,
                                reinterpret_cast<meshutil::Device*>(&device),
                                &raw) != meshutil::STATUS_OK) {
        std::abort();
    }
    void* data = nullptr;
    raw->LockVertexBuffer(0x800, &data);
    std::memcpy(data, mesh.points.data(), mesh.points.size() * 12);
    raw->UnlockVertexBuffer();
    raw->LockIndexBuffer(0x800, &data);
    auto* indices = static_cast<std::uint16_t*>(data);
    for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
        indices[i] = static_cast<std::uint16_t>(mesh.indices[i]);
    }
    raw->UnlockIndexBuffer();
    return meshutil::TriMeshPtr(raw);
}

meshutil::TriMeshPtr PrepareWelded(const PieceMesh& mesh, std::vector<std::uint32_t>& adjacency) {
    meshutil::TriMeshPtr welded = ToTriMesh(mesh);
    adjacency.assign(mesh.indices.size(), 0);
    const meshutil::WeldEpsilons zero;
    if (welded->GenerateAdjacency(0.05f, adjacency.data()) != meshutil::STATUS_OK ||
        meshutil::WeldVertices(welded.get(), 0, &zero, adjacency.data(), adjacency.data(), nullptr,
                               nullptr) != meshutil::STATUS_OK) {
        std::abort();
    }
    return welded;
}

}  // namespace kx::bench
