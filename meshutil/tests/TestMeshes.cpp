#include "TestMeshes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kx::meshutil::test {

Device* TestDevice() {
    static int anchor;
    return reinterpret_cast<Device*>(&anchor);
}

TriMeshPtr MakeMesh(const Points& points, const Indices& indices, std::uint32_t options) {
    TriMesh* mesh = nullptr;
    const Status status = CreateTriMesh(static_cast<std::uint32_t>(indices.size() / 3),
                                        static_cast<std::uint32_t>(points.size()), options, 0x002,
                                        TestDevice(), &mesh);
    EXPECT_EQ(status, STATUS_OK);
    if (status != STATUS_OK) {
        return nullptr;
    }
    void* data = nullptr;
    mesh->LockVertexBuffer(0x800, &data);
    std::memcpy(data, points.data(), points.size() * 12);
    mesh->UnlockVertexBuffer();
    for (std::size_t i = 0; i < indices.size(); ++i) {
        mesh->SetIndex(i, indices[i]);
    }
    return TriMeshPtr(mesh);
}

Indices FacesOf(const TriMesh& mesh) {
    Indices indices(std::size_t{mesh.GetFaceCount()} * 3);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        indices[i] = mesh.Index(i);
    }
    return indices;
}

Points PointsOf(const TriMesh& mesh) {
    Points points(mesh.GetVertexCount());
    for (std::uint32_t v = 0; v < mesh.GetVertexCount(); ++v) {
        points[v] = mesh.Position(v);
    }
    return points;
}

Indices AdjacencyOf(TriMesh& mesh, float epsilon) {
    Indices adjacency(std::size_t{mesh.GetFaceCount()} * 3, 0x12345678u);
    EXPECT_EQ(mesh.GenerateAdjacency(epsilon, adjacency.data()), STATUS_OK);
    return adjacency;
}

}  // namespace kx::meshutil::test
