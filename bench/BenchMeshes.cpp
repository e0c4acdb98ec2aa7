#include "BenchMeshes.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "meshutil/WeldVertices.h"

namespace kaltrix::bench {

PieceMesh MakePieceSphere(std::uint32_t faceCount) {
    const std::uint32_t rings =
        static_cast<std::uint32_t>(std::lround(std::sqrt(static_cast<double>(faceCount) / 4.0)));
    const std::uint32_t slices = 2 * rings;
    const double radius = 0.0278 * std::sqrt(static_cast<double>(faceCount));

    // Shared grid: north pole 0, ring j (1..rings) slice i at 1 + (j-1)*slices + i, south pole.
    const std::uint32_t gridCount = slices * rings + 2;
    const std::uint32_t south = gridCount - 1;
    std::vector<std::array<float, 3>> grid(gridCount);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.01, 0.01);
    const double pi = 3.14159265358979323846;
    grid[0] = {0, 0, static_cast<float>(radius)};
    grid[south] = {0, 0, static_cast<float>(-radius)};
    for (std::uint32_t j = 1; j <= rings; ++j) {
        const double phi = pi * j / (rings + 1);
        for (std::uint32_t i = 0; i < slices; ++i) {
            const double theta = 2 * pi * i / slices;
            const double r = radius * (1 + noise(random));
            grid[1 + (j - 1) * slices + i] = {
                static_cast<float>(r * std::sin(phi) * std::cos(theta)),
                static_cast<float>(r * std::sin(phi) * std::sin(theta)),
                static_cast<float>(r * std::cos(phi))};
        }
    }
    auto at = [&](std::uint32_t j, std::uint32_t i) { return 1 + (j - 1) * slices + i % slices; };

    // Faces by cell: band b = 0 is the north cap, b = rings the south cap.
    struct Face {
        std::uint32_t piece;
        std::array<std::uint32_t, 3> v;
    };
    std::vector<Face> faces;
    for (std::uint32_t b = 0; b <= rings; ++b) {
        for (std::uint32_t i = 0; i < slices; ++i) {
            const std::uint32_t piece = (b * 4 / (rings + 1)) * 4 + i * 4 / slices;
            if (b == 0) {
                faces.push_back({piece, {0, at(1, i), at(1, i + 1)}});
            } else if (b == rings) {
                faces.push_back({piece, {at(rings, i), south, at(rings, i + 1)}});
            } else {
                faces.push_back({piece, {at(b, i), at(b + 1, i), at(b, i + 1)}});
                faces.push_back({piece, {at(b, i + 1), at(b + 1, i), at(b + 1, i + 1)}});
            }
        }
    }

    PieceMesh mesh;
    std::vector<std::uint32_t> local(gridCount);
    for (std::uint32_t piece = 0; piece < 16; ++piece) {
        std::fill(local.begin(), local.end(), 0xFFFFFFFFu);
        for (const Face& face : faces) {
            if (face.piece != piece) {
                continue;
            }
            for (const std::uint32_t v : face.v) {
                if (local[v] == 0xFFFFFFFFu) {
                    local[v] = static_cast<std::uint32_t>(mesh.points.size());
                    mesh.points.push_back(grid[v]);
                }
                mesh.indices.push_back(local[v]);
            }
        }
    }
    return mesh;
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

}  // namespace kaltrix::bench
